#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace db {
class Connection;
}

namespace upload {

/// How one timer tick went, as far as the health line is concerned.
struct TickOutcome {
    /// False when the machine had no network or the head office could not be opened or was lost.
    bool headOfficeReached = false;
    /// True when the tick did all its work without an error.
    bool completed = false;
    /// The master mark after the tick.
    qint32 mark = 0;
    /// Master changes above the mark that the replay would move past.
    qint64 waiting = 0;
    /// Changes set aside, as the loop settings file holds them; negative when not read this tick.
    qint64 setAside = -1;
    /// True when the head office records no changes (see Health::captureMissing).
    bool captureMissing = false;
};

/// The unattended synchronisation's health in plain words, kept from tick to tick: when the last
/// good tick was, and what is wrong now (head office unreachable, replay stalled, changes set
/// aside, change capture missing). Each tick's outcome is recorded; a change in what is wrong is
/// reported once, however many ticks it lasts.
class Health {
public:
    /// Ticks in a row without the mark moving, while changes wait above it, before the replay counts as stalled.
    static constexpr int stalledAfterTicks = 12;
    /// Days without an activity row, while the head office has vouchers of those days, before capture counts as missing.
    static constexpr int silentDays = 3;

    /// `clock` gives the time of each record.
    explicit Health(std::function<QDateTime()> clock);

    /// Takes the outcome of the tick just ended; true when what is wrong changed with it.
    bool record(const TickOutcome& tick);

    /// What is wrong, one phrase each ("head office unreachable since 10:42", "2 changes set aside"),
    /// then "last good tick 10:55" (or "no good tick yet"); empty before the first record.
    QStringList lines() const;
    /// lines() joined by "; ".
    QString text() const { return lines().join(QStringLiteral("; ")); }
    /// True when something is wrong.
    bool troubled() const;
    /// The notice of a change: "Sync health: " and what is wrong now, or that all is well again.
    QString notice() const;

    /// True when the head office has no tblActivity, or no activity row of the last `silentDays`
    /// days before `now` while it has sales or purchases of those days. Throws db::DbError for
    /// anything but a missing tblActivity.
    static bool captureMissing(db::Connection& headOffice, const QDateTime& now);

private:
    enum Problem { Unreachable = 1, Stalled = 2, SetAside = 4, CaptureMissing = 8 };
    int problems() const;
    QString when(const QDateTime& time) const;

    std::function<QDateTime()> m_clock;
    bool m_recorded = false;
    QDateTime m_now;
    QDateTime m_lastGood;
    QDateTime m_unreachableSince;
    bool m_markKnown = false;
    qint32 m_mark = 0;
    int m_stillTicks = 0;
    QDateTime m_waitingSince;
    qint64 m_waiting = 0;
    qint64 m_setAside = 0;
    bool m_captureMissing = false;
};

} // namespace upload
