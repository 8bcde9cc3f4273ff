#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace db {
class Connection;
}
namespace report {
class Prompter;
class Reporter;
}

namespace upload {

/// What the master replay remembers from one tick to the next while the program runs.
struct ReplayMemory {
    /// Set once a run has read the activity log; cleared to read again from the mark (Connect).
    bool started = false;
    /// The mark the last run returned.
    qint64 lastMark = 0;
    /// Every master activity row up to this id has been replayed, passed over or set aside, or
    /// was read after a change that failed and is read again from that change on. The head
    /// office's transaction rows above the mark are never read again for this.
    qint64 examined = 0;
    /// The mark for which "beyond the head office's log" was said this session (-1: none): the text
    /// names the log's end, which moves while head office works, so it is told once per mark.
    qint64 beyondLogSaidFor = -1;
};

/// Activity ids the head office had not shown yet when a higher one was read: a change whose
/// transaction commits late arrives there, below ids already examined.
struct ActivityGap {
    /// First and last missing id.
    qint64 first = 0;
    qint64 last = 0;
    /// When the gap was first seen, in seconds since 1970 (UTC).
    qint64 seen = 0;
};

/// Replays the master changes of the head office's activity log into the branch, one activity
/// row at a time in activity order (uploadMasters), and keeps the last activity id replayed.
///
/// The mark moves only past rows that were applied or passed over on purpose. A row that fails is
/// tried again at the next run; after failing on three runs in a row it is set aside (kept in the
/// loop settings file, tried again at each run until it applies) so that it no longer holds back
/// the rows after it. Nothing here opens a message box: the replay runs unattended, and what it has
/// to say goes to the log and, as a notification, to the reporter it is given (the timer gives the
/// unattended one, which keeps a repeated text quiet).
class MasterUpload {
public:
    /// How an activity row of a table is treated.
    struct KeyColumn {
        /// The key column that finds the row; "" for a table that is passed over.
        QString column;
        /// True for tblGodown: no statement and the mark does not move for the row.
        bool passedOver = false;
    };

    /// A change that failed on three runs in a row and no longer holds back the mark.
    struct SetAsideRow {
        qlonglong activityId = 0;
        QString table;
        qlonglong key = 0;
        /// Why it failed the last time, as far as the settings file could keep it.
        QString reason;
        /// Runs it has failed on so far, those before it was set aside included.
        int tries = 0;
    };

    /// Runs in a row a change may fail before it is set aside.
    static constexpr int attemptsBeforeSettingAside = 3;
    /// How long a gap in the activity ids is looked at again before it is given up.
    static constexpr qint64 gapLifetimeSeconds = 24 * 60 * 60;
    /// At most this many gaps are kept; beyond it the oldest are given up.
    static constexpr int gapsKept = 200;

    /// Reads `source` (the head office), writes `destination` (the branch); the mark goes to
    /// key MaxActivityID of the file `loopSettingsPath` (AppsettingsLoop.ini), with the failing
    /// and set-aside changes beside it. `memory` (may be null) carries what one run leaves the next.
    MasterUpload(db::Connection& source, db::Connection& destination, report::Reporter& reporter, QString loopSettingsPath, ReplayMemory* memory = nullptr);

    /// The query of the master activity rows above `mark`, in activity order.
    static QString activityQuery(qint64 mark);
    /// The query of the highest activity id, read before the activity query.
    static QString lastActivityQuery();
    /// The query of every activity id above `from` up to `top`, master and transaction rows alike.
    static QString activityIdsQuery(qint64 from, qint64 top);
    /// The query of the activity rows that have appeared in `gaps`, in activity order.
    static QString gapQuery(const std::vector<ActivityGap>& gaps);
    /// The key column of `table` (exact letter case); none for a table that is not replayed.
    static std::optional<KeyColumn> keyColumn(const QString& table);

    /// Tries the set-aside changes again, then replays every master activity row above `mark` and
    /// returns the new mark (`mark` itself when nothing advanced it). Inserted and updated rows are
    /// deleted and copied again inside one transaction on the branch; deleted rows are deleted.
    /// With the same memory as the run before and the mark it returned, the query starts after the
    /// rows that run examined (or at the change that failed), so a run reads only new activity.
    /// When the activity query cannot be opened the run ends at once. Throws nothing.
    qint32 uploadMasters(qint32 mark);

    /// The changes set aside so far, as the loop settings file holds them.
    std::vector<SetAsideRow> setAside() const;
    /// The gaps in the head office's activity ids still looked at, as the loop settings file holds them.
    std::vector<ActivityGap> gaps() const;
    /// Replaces the clock that dates the gaps (the system clock by default).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    // Why a change was not applied; nothing when it was.
    using Refusal = std::optional<QString>;
    Refusal replay(const QString& table, const QString& keyColumn, qlonglong key, const QString& action);
    Refusal copyAgain(const QString& table, const QString& keyColumn, qlonglong key);
    Refusal deleteRow(const QString& table, const QString& keyColumn, qlonglong key);
    void retrySetAside();
    bool replayGaps(std::vector<ActivityGap>& gaps, std::vector<SetAsideRow>& aside, QSet<qlonglong>& asideIds);
    void addGaps(std::vector<ActivityGap>& gaps, qint64 from, qint64 top);
    void expireGaps(std::vector<ActivityGap>& gaps);
    void sayIfBeyondLog(qint64 mark, qint64 top);
    void notice(const QString& text);
    QString readLoop(const QString& key, const QString& defaultValue = QString());
    void writeLoop(const QString& key, const QString& value);

    db::Connection& m_source;
    db::Connection& m_destination;
    report::Reporter& m_reporter;
    QString m_loopSettingsPath;
    ReplayMemory m_ownMemory;
    ReplayMemory& m_memory;
    QStringList m_rowMessages;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTimeUtc(); };
};

} // namespace upload
