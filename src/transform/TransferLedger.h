#pragma once

#include "transform/TransferFailures.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace db {
class Connection;
}

namespace transform {

/// A voucher the branch holds as copied from head office.
struct TransferRow {
    QString number;
    QDate date;
    QString vchType;
    long long headOfficeKey = 0;
    long long branchKey = 0;
    /// Quantity times the voucher's own rate (sales rate of sales, purchase rate of purchases),
    /// summed over its item rows, to the cent; "" when that side could not be read, or when head
    /// office has no item rows under the key any more.
    QString headOfficeAmount;
    QString branchAmount;
    /// Date and time of the branch's user-log row of the copy, and what started it ("" when the
    /// copy was made before its row named it).
    QString copiedAt;
    QString copiedBy;
};

/// Something that was not copied and waits: a voucher or a master change.
struct SetAsideEntry {
    QString kind;
    QString what;
    QString reason;
    int tries = 0;
    QString lastTry;
};

/// The transfer ledger of the branch for a date range.
struct Ledger {
    std::vector<TransferRow> transfers;
    std::vector<SetAsideEntry> setAside;
    /// What could not be read, in words (a family whose table has no ServInvID yet, an unreachable head office).
    QStringList problems;
};

/// Reads which vouchers the branch holds as copies of head office's, with their amounts on both
/// sides and the user-log row of each copy. It only reads.
class TransferLedger {
public:
    TransferLedger(db::Connection& branch, db::Connection& headOffice);

    /// The copies dated `from` to `to` (the single-day mark as `to`: `from` only), sales first, by date.
    Ledger read(const QDate& from, const QDate& to);

    /// The vouchers runs of this session could not copy, as set-aside entries.
    static std::vector<SetAsideEntry> failedVouchers(const std::vector<FailedVoucher>& failed);
    /// The ledger as CSV text: the transfers, an empty line, then what was set aside. Fields are
    /// quoted where needed; text that a spreadsheet would take for a formula gets a leading quote.
    static QString csv(const Ledger& ledger);

private:
    void readFamily(bool sales, const QString& dates, Ledger& ledger);

    db::Connection& m_branch;
    db::Connection& m_headOffice;
};

} // namespace transform
