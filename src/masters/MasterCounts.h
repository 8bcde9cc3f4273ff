#pragma once

#include <QString>

namespace db {
class Connection;
}
namespace report {
class GridControl;
class Reporter;
}

namespace masters {

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
    /// and leaves the rows filled so far and the flag as it was at that moment.
    void fill(report::GridControl& grid, bool& masterDifference);

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace masters
