#pragma once

#include "report/Reporter.h"

#include <QString>

#include <vector>

namespace support {

/// A reporter that remembers everything an operation reported, in order, for tests to check.
class RecordingReporter : public report::Reporter {
public:
    /// One daily log entry.
    struct LogEntry {
        QString tag;
        QString text;
        bool operator==(const LogEntry&) const = default;
    };
    /// One move of a progress bar.
    struct Range {
        QString name;
        qint64 done = 0;
        qint64 total = 0;
        bool operator==(const Range&) const = default;
    };

    void status(const QString& text) override { statuses.push_back(text); }
    void progress(const QString& text) override { progresses.push_back(text); }
    void log(const QString& tag, const QString& text) override { logs.push_back({tag, text}); }
    /// There is no window to repaint.
    void processEvents() override {}
    void progressRange(const QString& name, qint64 done, qint64 total) override { ranges.push_back({name, done, total}); }

    /// Forgets everything recorded so far.
    void clear() { *this = RecordingReporter(); }

    std::vector<QString> statuses;
    std::vector<QString> progresses;
    std::vector<LogEntry> logs;
    std::vector<QString> balloons;
    std::vector<Range> ranges;

protected:
    void showBalloon(const QString& text) override { balloons.push_back(text); }
};

} // namespace support
