#pragma once

#include <QString>

namespace db {
class Connection;
}
namespace report {
class GridControl;
class Reporter;
}

namespace upload {

/// Counts the head office's activity rows above the mark per table and day into the grid
/// msgActivity, as each timer tick shows them before it uploads.
class ActivitySummary {
public:
    /// Reads the activity log on `source` (the head office).
    ActivitySummary(db::Connection& source, report::Reporter& reporter);

    /// The summary query over every activity row (masters and transactions) above `mark`.
    static QString query(qint32 mark);
    /// The grid's column titles.
    static QString gridFormat();

    /// Opens the query, then resets `grid` to its titles and adds one row per table and day
    /// (count, table, day/month/year), logging each. Throws db::DbError when the query fails;
    /// the grid is then left as it was.
    void fill(report::GridControl& grid, qint32 mark);

private:
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace upload
