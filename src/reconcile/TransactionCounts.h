#pragma once

#include "report/CountComparison.h"

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

/// The transactions of one day counted on both companies.
using DayCounts = report::CountComparison;

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

    /// Counts the transactions of `day` for voucher type `vchType` on both sides (none chosen: a
    /// notification, nothing counted). A failure ends the counting where it stands and is shown as a
    /// notification; what was read until then is kept. Throws nothing.
    DayCounts count(std::optional<long long> vchType, const QDate& day);
    /// Refills `grid` with `counts`: the branch's rows, "Onlinedata", the head office's counts beside
    /// them; a row whose counts differ reads "Yes" and gets a red first cell.
    static void show(const DayCounts& counts, report::GridControl& grid);

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
};

} // namespace reconcile
