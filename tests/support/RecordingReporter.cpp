#include "RecordingReporter.h"

namespace support {

void RecordingReporter::status(const QString& text)
{
    statuses.push_back(text);
}

void RecordingReporter::progress(const QString& text)
{
    progresses.push_back(text);
}

void RecordingReporter::log(const QString& tag, const QString& text)
{
    logs.push_back({tag, text});
}

void RecordingReporter::processEvents()
{
    ++processEventsCalls;
}

void RecordingReporter::progressRange(const QString& name, qint64 done, qint64 total)
{
    ranges.push_back({name, done, total});
}

void RecordingReporter::clear()
{
    statuses.clear();
    progresses.clear();
    logs.clear();
    balloons.clear();
    ranges.clear();
    processEventsCalls = 0;
}

void RecordingReporter::showBalloon(const QString& text)
{
    balloons.push_back(text);
}

} // namespace support
