#pragma once

#include <QString>

#include <vector>

namespace db {
class Connection;
}
namespace report {
class GridControl;
class Reporter;
}

namespace masters {

/// A table whose head-office copy holds far fewer rows than the branch's, so that copying it would
/// empty or shrink the branch's table.
struct GuardedTable {
    QString table;
    qint64 branchRows = 0;
    qint64 headOfficeRows = 0;
};

/// Compares the row counts of ten master tables of both companies in the grid msgDataCount (FillDataCount).
class MasterCounts {
public:
    /// Counts on `destination` (the sub company) and `source` (the main company).
    MasterCounts(db::Connection& destination, db::Connection& source, report::Reporter& reporter);

    /// The count query sent unchanged to both databases: ten rows (Property, Nos) by property.
    static QString query();
    /// The grid's column titles.
    static QString gridFormat();

    /// Fills `grid` with the destination counts, a last row "Onlinedata", and the source counts
    /// beside them; a row whose counts differ gets a red first cell and sets `masterDifference`.
    /// Does nothing while the source connection is closed; an error is shown as a notification
    /// and leaves the rows filled so far and the flag as it was at that moment. Each of `skipped`
    /// (the tables the last Master Synchronisation left alone) follows as a row "Skipped TABLE"
    /// with the counts the run saw and a yellow first cell.
    void fill(report::GridControl& grid, bool& masterDifference, const std::vector<GuardedTable>& skipped = {});

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace masters
