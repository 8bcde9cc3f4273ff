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

    /// Records the main status line text.
    void status(const QString& text) override;
    /// Records the progress line text.
    void progress(const QString& text) override;
    /// Records the log entry.
    void log(const QString& tag, const QString& text) override;
    /// Counts the call; there is no window to repaint.
    void processEvents() override;
    /// Records the progress bar move.
    void progressRange(const QString& name, qint64 done, qint64 total) override;

    /// Forgets everything recorded so far.
    void clear();

    std::vector<QString> statuses;
    std::vector<QString> progresses;
    std::vector<LogEntry> logs;
    std::vector<QString> balloons;
    std::vector<Range> ranges;
    int processEventsCalls = 0;

protected:
    void showBalloon(const QString& text) override;
};

} // namespace support
