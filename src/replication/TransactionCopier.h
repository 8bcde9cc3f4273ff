#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace db {
class Connection;
}
namespace report {
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
    /// When not empty, each voucher's transaction first takes this exclusive application lock of
    /// the destination database, which every copier of that database takes alike, and holds it
    /// until the voucher commits or rolls back.
    QString lockResource;
    /// When not empty, a query run under the lock before the key is drawn: a row means the voucher
    /// is in the destination already (its first field names the copy), and nothing is copied.
    QString alreadyCopiedQuery;
};

/// What a voucher copy did.
struct VoucherOutcome {
    /// The key drawn for the last master row (0 when none was drawn).
    long long newKey = 0;
    /// Vouchers committed in the destination.
    int committed = 0;
    /// Vouchers rolled back because their master insert affected no row.
    int notInserted = 0;
    /// The copy `alreadyCopiedQuery` found under the lock ("" when none): another program copied
    /// the voucher after the caller last looked.
    QString alreadyCopiedAs;
};

/// Copies vouchers (a master row with its detail rows) under a new key, each voucher inside one
/// transaction on the destination (CreateInsertQueriesForTrans).
class TransactionCopier {
public:
    /// Reads on `from`, writes on `to`; new keys are drawn on `to`.
    TransactionCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter);

    /// Copies every master row that `copy` selects. A master insert that affects no rows rolls its
    /// voucher back and counts it in `notInserted`; it shows nothing. Any error rolls the voucher back, is
    /// logged ("Error Generated ") and is thrown for the caller to report, naming the voucher.
    /// No transaction is left open.
    VoucherOutcome copy(const VoucherCopy& copy);

    /// "update <master> set SyncStat=1, ServInvID=<old key> where <key>=<new key>".
    static QString writeBack(const QString& masterTable, const QString& keyColumn, long long oldKey, long long newKey);
    /// The batch that takes the exclusive application lock `resource` for the current transaction,
    /// waiting up to `timeoutMs`, and returns sp_getapplock's status as the column Granted.
    static QString lockStatement(const QString& resource, int timeoutMs);
    /// How long a voucher waits for another program's copy to finish, in milliseconds.
    static constexpr int lockTimeoutMs = 30000;
    /// Takes the exclusive application lock `resource` of `destination` for its current
    /// transaction. Throws db::DbError (1222) when another program holds it past `timeoutMs`.
    static void takeLock(db::Connection& destination, const QString& resource, int timeoutMs = lockTimeoutMs);

private:
    db::Connection& m_from;
    db::Connection& m_to;
    report::Reporter& m_reporter;
};

} // namespace replication
