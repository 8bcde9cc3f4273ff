#include "transform/TransferLedger.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "masters/DatabaseUpdate.h"
#include "transform/Amount.h"
#include "transform/KeyBatches.h"
#include "transform/TransactionListing.h"
#include "transform/TransformationRun.h"

#include <QHash>

#include <algorithm>

namespace transform {

namespace {

// Sums quantity times `price` per voucher of `keys` in `detail` of `connection`.
QHash<long long, Amount> amounts(db::Connection& connection, const QString& detail, const QString& price, const QString& keys)
{
    QHash<long long, Amount> sums;
    db::Recordset rows = connection.openRecordset(QStringLiteral("Select InvID, Qty, ") + price + QStringLiteral(" from ") + detail
                                                  + QStringLiteral(" where InvID in (") + keys + QLatin1Char(')'));
    for (; !rows.eof(); rows.moveNext())
        sums[rows.field(0).value().toLongLong()] += Amount::parse(rows.field(1).text()) * Amount::parse(rows.field(2).text());
    return sums;
}

QString csvField(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+@\t\r").contains(text.at(0)))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return text;
}

QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

TransferLedger::TransferLedger(db::Connection& branch, db::Connection& headOffice)
    : m_branch(branch)
    , m_headOffice(headOffice)
{
}

Ledger TransferLedger::read(const QDate& from, const QDate& to)
{
    Ledger ledger;
    const QString dates = TransactionListing::dateClause(from, to);
    readFamily(true, dates, ledger);
    readFamily(false, dates, ledger);
    return ledger;
}

void TransferLedger::readFamily(bool sales, const QString& dates, Ledger& ledger)
{
    const VoucherTables tables = TransformationRun::tables(sales ? VoucherFamily::Sales : VoucherFamily::Purchase);
    const QString price = sales ? tables.salesRateColumn : QStringLiteral("Prate");
    std::vector<TransferRow> rows;
    std::vector<long long> typeIds;
    try {
        db::Recordset copies = m_branch.openRecordset(
            QStringLiteral("Select h.InvID, h.ServInvID, h.InvNo, h.InvDate, h.VchTypeID, v.VchType from ") + tables.master
            + QStringLiteral(" h left join tblVchType v on v.VchTypeID=h.VchTypeID where h.ServInvID>0 and h.") + dates.trimmed()
            + QStringLiteral(" order by h.InvDate, h.InvID"));
        for (; !copies.eof(); copies.moveNext()) {
            TransferRow row;
            row.branchKey = copies.field(0).value().toLongLong();
            row.headOfficeKey = copies.field(1).value().toLongLong();
            row.number = copies.field(2).text();
            row.date = copies.field(3).value().toDateTime().date();
            row.vchType = copies.field(5).isNull() ? copies.field(4).text() : copies.field(5).text();
            rows.push_back(row);
            typeIds.push_back(copies.field(4).value().toLongLong());
        }
    } catch (const db::DbError& e) {
        // A branch that Update Database has not prepared yet holds no copies of this family.
        ledger.problems << tables.master + QStringLiteral(": ") + masters::DatabaseUpdate::explain(e);
        return;
    }

    // The user-log row of each copy names its branch key and voucher type.
    QHash<QPair<long long, long long>, std::pair<QString, QString>> logged;
    QList<long long> branchKeyList;
    QList<long long> headOfficeKeyList;
    for (const TransferRow& row : rows) {
        branchKeyList << row.branchKey;
        headOfficeKeyList << row.headOfficeKey;
    }
    const QStringList branchBatches = KeyBatches::of(branchKeyList);
    const QStringList headOfficeBatches = KeyBatches::of(headOfficeKeyList);
    for (qsizetype batch = 0; batch < branchBatches.size(); ++batch) {
        const QString& branchKeys = branchBatches[batch];
        const qsizetype start = batch * KeyBatches::size;
        const qsizetype end = std::min(qsizetype(rows.size()), start + KeyBatches::size);
        try {
            const QHash<long long, Amount> branchSums = amounts(m_branch, tables.detail, price, branchKeys);
            db::Recordset log = m_branch.openRecordset(QStringLiteral("Select refID, VchTypeID, DateOf, TimeOF, WindowName from tbluserlog where refID in (")
                                                       + branchKeys + QStringLiteral(") and Action like '") + TransformationRun::copyAction + QStringLiteral("%'"));
            for (; !log.eof(); log.moveNext())
                logged.insert({log.field(0).value().toLongLong(), log.field(1).value().toLongLong()},
                              {text::DateText::dayMonthYear(log.field(2).value().toDateTime().date()) + QLatin1Char(' ') + log.field(3).text().trimmed(),
                               log.field(4).text()});
            for (qsizetype i = start; i < end; ++i)
                rows[size_t(i)].branchAmount = branchSums.value(rows[size_t(i)].branchKey).cents();
        } catch (const db::DbError& e) {
            ledger.problems << QStringLiteral("Branch: ") + e.message();
        }
        try {
            const QHash<long long, Amount> headSums = amounts(m_headOffice, tables.detail, price, headOfficeBatches[batch]);
            // Left empty for a voucher head office no longer has: it is not worth 0 there.
            for (qsizetype i = start; i < end; ++i)
                if (headSums.contains(rows[size_t(i)].headOfficeKey))
                    rows[size_t(i)].headOfficeAmount = headSums.value(rows[size_t(i)].headOfficeKey).cents();
        } catch (const db::DbError& e) {
            const QString problem = QStringLiteral("Head office: ") + e.message();
            if (!ledger.problems.contains(problem))
                ledger.problems << problem;
        }
    }
    // The row was written with the voucher type the copy got, which tells a sales copy from a
    // purchase copy of the same branch key.
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto found = logged.constFind({rows[i].branchKey, typeIds[i]});
        if (found == logged.constEnd())
            continue;
        rows[i].copiedAt = found->first;
        rows[i].copiedBy = found->second;
    }
    ledger.transfers.insert(ledger.transfers.end(), rows.begin(), rows.end());
}

std::vector<SetAsideEntry> TransferLedger::failedVouchers(const std::vector<FailedVoucher>& failed)
{
    std::vector<SetAsideEntry> entries;
    for (const FailedVoucher& voucher : failed)
        entries.push_back({QStringLiteral("Voucher"), voucher.entry.simplified(), voucher.reason, voucher.tries,
                           text::DateText::dayMonthYear(voucher.lastTry.date()) + voucher.lastTry.toString(QStringLiteral(" hh:mm:ss"))});
    return entries;
}

QString TransferLedger::csv(const Ledger& ledger)
{
    QString text = csvLine({QStringLiteral("Head office number"), QStringLiteral("Date"), QStringLiteral("Voucher type"),
                            QStringLiteral("Head office key"), QStringLiteral("Branch key"), QStringLiteral("Head office amount"),
                            QStringLiteral("Branch amount"), QStringLiteral("Copied at"), QStringLiteral("Copied by")});
    for (const TransferRow& row : ledger.transfers)
        text += csvLine({row.number, row.date.toString(Qt::ISODate), row.vchType, QString::number(row.headOfficeKey), QString::number(row.branchKey),
                         row.headOfficeAmount, row.branchAmount, row.copiedAt, row.copiedBy});
    text += QStringLiteral("\r\n");
    text += csvLine({QStringLiteral("Set aside"), QStringLiteral("What"), QStringLiteral("Reason"), QStringLiteral("Tries"), QStringLiteral("Last try")});
    for (const SetAsideEntry& entry : ledger.setAside)
        text += csvLine({entry.kind, entry.what, entry.reason, QString::number(entry.tries), entry.lastTry});
    return text;
}

} // namespace transform
