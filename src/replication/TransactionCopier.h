#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace db {
class Connection;
}
namespace report {
class Prompter;
class Reporter;
}

namespace replication {

/// Which voucher to copy and how (the arguments of CreateInsertQueriesForTrans).
struct VoucherCopy {
    /// Master table, for example "tblSales".
    QString masterTable;
    /// Filter of the master rows ("" for all); used when `query` is empty.
    QString masterCondition;
    /// When not empty, the master rows are read with this query instead.
    QString query;
    /// Detail table ("" when the voucher has no details), for example "tblSalesItem".
    QString detailTable;
    /// Key of the master table and foreign key of the detail table, for example "InvID".
    QString keyColumn;
    /// A master column left out of the statement ("" for none).
    QString skippedColumn;
    /// Appended unchanged after the detail filter, for example " and tblSalesItem.ItemID=tblItemMaster.ItemID ".
    QString detailCondition;
    /// The "from" list of the detail query, for example "tblSalesItem,tblItemMaster".
    QString detailSource;
    /// Further statements for the copied voucher's new key, run inside its transaction before it
    /// commits; a failing one rolls the voucher back.
    std::function<QStringList(long long newKey)> extraStatements;
};

/// What a voucher copy did.
struct VoucherOutcome {
    /// The key drawn for the last master row (0 when none was drawn).
    long long newKey = 0;
    /// Vouchers committed in the destination.
    int committed = 0;
};

/// Copies vouchers (a master row with its detail rows) under a new key, each voucher inside one
/// transaction on the destination (CreateInsertQueriesForTrans).
class TransactionCopier {
public:
    /// Reads on `from`, writes on `to`; new keys are drawn on `to`.
    TransactionCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter, report::Prompter& prompter);

    /// Copies every master row that `copy` selects. A master insert that affects no rows rolls its
    /// voucher back and shows "Failed to update <table>". Any error rolls the voucher back, is
    /// logged ("Error Generated ") and is thrown for the caller to report, naming the voucher.
    /// No transaction is left open.
    VoucherOutcome copy(const VoucherCopy& copy);

    /// "update <master> set SyncStat=1, ServInvID=<old key> where <key>=<new key>".
    static QString writeBack(const QString& masterTable, const QString& keyColumn, long long oldKey, long long newKey);

private:
    db::Connection& m_from;
    db::Connection& m_to;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
};

} // namespace replication
