#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace db {
class Connection;
}
namespace report {
class GridControl;
class Reporter;
}

namespace reconcile {

/// Compares the transactions of one day per table on both companies in the grid msgTransGrid
/// (FillTransCount): the branch's counts, a row "Onlinedata", the head office's counts beside them.
class TransactionCounts {
public:
    /// Counts on `destination` (the branch) and `source` (the head office).
    TransactionCounts(db::Connection& destination, db::Connection& source, report::Reporter& reporter);

    /// The counting query sent unchanged to both sides: nine rows (Property, Nos), labels descending.
    static QString query(qlonglong voucherType, const QDate& day);
    /// The grid's column titles.
    static QString gridFormat();

    /// Fills `grid` with the counts of `day` for voucher type `vchType` (none chosen: a notification); a row
    /// whose counts differ reads "Yes" and gets a red first cell. A failure ends the filling where
    /// it stands and is shown as a notification. Throws nothing.
    void fill(report::GridControl& grid, std::optional<long long> vchType, const QDate& day);

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace reconcile
