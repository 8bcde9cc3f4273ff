#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

namespace db {
class Connection;
}
namespace report {
class Prompter;
}

namespace connection {

/// The server's clock as the date pickers and messages show it.
struct ServerTime {
    /// The server's date (no time of day).
    QDate date;
    /// The date as "05/Dec/2026".
    QString dateText;
    /// The time as "10:30:00 AM".
    QString timeText;
};

/// Reads the head office clock, shifted by TIMEZONE.ini's minutes from UTC when it holds any.
class ServerClock {
public:
    /// The local clock, injected for tests.
    using Clock = std::function<QDateTime()>;

    /// `timezoneText` is the whole text of TIMEZONE.ini; failures go to `prompter` as warning boxes.
    ServerClock(QString timezoneText, report::Prompter& prompter, Clock localClock);

    /// Minutes from UTC: the number TIMEZONE.ini starts with, 0 when it starts with none or does
    /// not fit in 16 bits.
    int offsetMinutes() const { return m_offset; }
    /// The clock query for an offset.
    static QString query(int offsetMinutes);

    /// Asks the source connection when it is open, else the destination when that is open, else
    /// uses the local clock. No query goes to a closed connection.
    ServerTime serverDateTime(db::Connection& source, db::Connection& destination);

private:
    int m_offset = 0;
    report::Prompter& m_prompter;
    Clock m_clock;
};

} // namespace connection
