#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace db {
class Connection;
class Recordset;
}
namespace report {
class GridControl;
class Reporter;
}

namespace upload {

/// Counts the head office's activity rows above the mark per table and day into the grid
/// msgActivity, as each timer tick shows them before it uploads.
///
/// The activity log only grows, so the counts are kept between ticks: each fill asks the head
/// office only for the rows above the highest activity id already counted and, when the mark has
/// moved, for the rows between the old and the new mark, which leave (or re-enter) the counts.
/// Both are ranges on the ID index, so a tick reads each activity row about once however long
/// the log grows. The grid shows the same counts as one grouped count of every row above the mark.
/// A change committed after others under a number already counted (two changes can take the same
/// number) is counted from the next start or Connect on.
class ActivitySummary {
public:
    /// The grid's column titles.
    static QString gridFormat();

    /// Brings the counts up to date on `source` (the head office) for the master mark `mark`,
    /// logging each statement sent and each row of rows() to `reporter`. Throws db::DbError when a
    /// statement fails; the counts are then left as they were.
    void fill(db::Connection& source, report::Reporter& reporter, qint32 mark);
    /// The counts as the grid shows them: one row per table and day, its cells (count, table,
    /// day/month/year) separated by TAB.
    QStringList rows() const;
    /// Resets `grid` to its titles and adds `rows`.
    static void show(const QStringList& rows, report::GridControl& grid);
    /// Forgets every count (after Connect); the next fill counts every row above its mark again.
    void restart();

    /// Activity rows that the last fill read from the head office (the rows of the ranges it asked for).
    qint64 rowsRead() const { return m_rowsRead; }
    /// Master changes the counts hold above the mark: rows with a key of tables the replay copies
    /// (tblGodown, which it passes over, and tables it excludes are not counted). Reads nothing.
    qint64 waitingChanges() const;
    /// The highest activity id counted so far; nothing when nothing was summarised since the start.
    std::optional<qint64> summarisedId() const;

private:
    // One grid row: a table (names differing only in letter case or trailing blanks are one
    // table, as the head office's default collation groups them) and a calendar day.
    struct Key {
        bool tableNull = false;
        QString table; // folded
        bool dateNull = false;
        qint64 year = 0, month = 0, day = 0;
        bool operator<(const Key& other) const;
    };
    struct Counts {
        QString table; // as the head office first spelled it
        qint64 updations = 0; // rows with a key value, as COUNT(tblUniqueID) counts them
        qint64 activities = 0; // every row, so that a day whose rows carry no key still shows (with 0)
    };
    using Groups = std::map<Key, Counts>;

    static QString rangeQuery(qint64 above, std::optional<qint64> upTo);
    // Adds (sign 1) or removes (sign -1) the counted rows of `rows`; returns the highest id read.
    qint64 merge(db::Recordset& rows, int sign, Groups& groups);
    qint64 readRange(db::Connection& source, report::Reporter& reporter, qint64 above, std::optional<qint64> upTo, int sign,
                     Groups& groups);

    bool m_started = false;
    qint64 m_base = 0; // the mark the counts start above
    qint64 m_summarised = 0; // the counts cover the rows with m_base < ID <= m_summarised
    Groups m_groups;
    qint64 m_rowsRead = 0;
};

} // namespace upload
