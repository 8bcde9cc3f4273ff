#pragma once

#include "report/CountComparison.h"

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

/// Sends `query` (rows Property, Nos) to `branch`, then to `headOffice`, into `counts` as it reads
/// them. Throws when a side fails; what was read until then stays in `counts`.
void countBothSides(db::Connection& branch, db::Connection& headOffice, const QString& query, report::CountComparison& counts);

/// Compares the row counts of ten master tables of both companies in the grid msgDataCount (FillDataCount).
class MasterCounts {
public:
    /// Counts on `destination` (the sub company) and `source` (the main company).
    MasterCounts(db::Connection& destination, db::Connection& source, report::Reporter& reporter);

    /// The count query sent unchanged to both databases: ten rows (Property, Nos) by property.
    static QString query();
    /// The grid's column titles.
    static QString gridFormat();

    /// Counts on both sides. Counts nothing while the source connection is closed; an error is
    /// shown as a notification and keeps what was read until then. Throws nothing.
    report::CountComparison count();
    /// Refills `grid` with `counts`: the destination counts, a last row "Onlinedata", the source
    /// counts beside them, a red first cell where they differ. Each of `skipped` (the tables the last
    /// Master Synchronisation left alone) follows as a row "Skipped TABLE" with the counts the run
    /// saw and a yellow first cell. Does nothing when nothing was counted.
    static void show(const report::CountComparison& counts, const std::vector<GuardedTable>& skipped, report::GridControl& grid);

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace masters
