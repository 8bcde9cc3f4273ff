#include "transform/TransformPreview.h"

#include "connection/CompanyConnections.h"
#include "db/Connection.h"
#include "report/ListControl.h"
#include "transform/KeyBatches.h"

#include <QHash>
#include <QSet>

namespace transform {

TransformPreview::TransformPreview(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter)
    : m_connections(connections)
    , m_run(connections, reporter, prompter)
{
}

Preview TransformPreview::preview(const RunChoices& choices, const RunSettings& settings)
{
    Preview preview;
    const Preparation preparation = m_run.prepare(choices, settings);
    if (const RunRefusal* refusal = std::get_if<RunRefusal>(&preparation)) {
        switch (refusal->reason) {
        case RunRefusal::Reason::Refused:
            preview.refused = refusal->text;
            break;
        case RunRefusal::Reason::FamiliesDiffer:
            preview.refused = QStringLiteral("The voucher types of both sides are of different families: nothing would be copied.");
            break;
        case RunRefusal::Reason::Unreachable:
            preview.refused = QStringLiteral("Transformation stopped: ") + refusal->text;
            break;
        }
        return preview;
    }
    const PreparedRun* prepared = &std::get<PreparedRun>(preparation);
    const Transformation& how = prepared->how;
    preview.family = prepared->family;
    preview.taxType = TransformationRun::taxTypeText(how.taxMode);
    preview.taxModeText = prepared->taxModeText;
    preview.vchType = prepared->destinationVchTypeText;
    if (prepared->family == VoucherFamily::None) {
        preview.refused = QStringLiteral("No voucher transferred: choose a sales or purchase voucher type on both sides.");
        return preview;
    }

    QList<long long> checked;
    for (const ChosenEntry& entry : choices.checked)
        checked << entry.id;
    if (checked.isEmpty())
        return preview;

    // The same lookups the run makes: the branch's copies by head-office key, and the header the
    // copy selects by key and listed voucher type.
    db::Connection& branch = m_connections.destination();
    db::Connection& headOffice = m_connections.source();
    const VoucherTables tables = TransformationRun::tables(prepared->family);
    const QHash<long long, QString> transferred = TransformationRun::transferredKeys(branch, prepared->family, checked);
    QList<long long> wanted;
    for (const long long key : checked)
        if (!transferred.contains(key))
            wanted << key;
    preview.alreadyTransferred = int(checked.size() - wanted.size());

    QList<long long> found;
    for (const QString& batch : KeyBatches::of(wanted)) {
        db::Recordset rows = headOffice.openRecordset(QStringLiteral("Select InvID from ") + tables.master + QStringLiteral(" where VchtypeID=")
                                                      + QString::number(settings.listing->vchType) + QStringLiteral(" and InvID in (")
                                                      + batch + QLatin1Char(')'));
        for (; !rows.eof(); rows.moveNext())
            found << rows.field(0).value().toLongLong();
    }
    preview.toCopy = int(found.size());
    preview.notFound = int(wanted.size() - found.size());

    // The reduced rates are computed by the server with the run's own expressions, then rounded
    // to the decimals of the branch's columns, as the branch's update stores them.
    const QString detail = tables.detail + QLatin1Char('.');
    const QStringList columns = {QStringLiteral("Prate"), tables.salesRateColumn, QStringLiteral("MRP")};
    // The ERP keeps every rate column of the item rows as numeric(18,2). The decimals cannot be
    // read from a value ("21" may be a 21.00 kept by a column of two decimals), nor asked of every
    // server, so they are the ERP's.
    constexpr int branchScale = 2;
    const double percents[3] = {how.purchaseRatePercent, how.salesRatePercent, how.mrpPercent};
    QString reduced;
    for (int c = 0; c < 3; ++c)
        reduced += QLatin1Char(',') + (percents[c] != 0 ? TransformationRun::reducedExpression(detail + columns[c], percents[c]) : detail + columns[c]);

    const auto add = [](PriceTotals& totals, const Amount& quantity, const Amount prices[3]) {
        totals.purchase += quantity * prices[0];
        totals.sales += quantity * prices[1];
        totals.mrp += quantity * prices[2];
    };
    for (const QString& keys : KeyBatches::of(found)) {
        QSet<QPair<long long, long long>> copiedRows;
        db::Recordset passing = headOffice.openRecordset(
            QStringLiteral("Select ") + detail + QStringLiteral("InvID,") + detail + QStringLiteral("SlNo,") + detail + QStringLiteral("Qty") + reduced
            + QStringLiteral(" from ") + tables.detail + QStringLiteral(",tblItemMaster where ") + detail + QStringLiteral("InvID in (") + keys
            + QStringLiteral(") and ") + detail + QStringLiteral("ItemID=tblItemMaster.ItemID ") + prepared->itemFilter);
        for (; !passing.eof(); passing.moveNext()) {
            copiedRows.insert({passing.field(0).value().toLongLong(), passing.field(1).value().toLongLong()});
            Amount prices[3];
            for (int c = 0; c < 3; ++c)
                prices[c] = Amount::parse(passing.field(3 + c).text()).rounded(branchScale);
            add(preview.branch, Amount::parse(passing.field(2).text()), prices);
        }
        db::Recordset all = headOffice.openRecordset(QStringLiteral("Select InvID, SlNo, Qty, ") + columns.join(QLatin1Char(','))
                                                     + QStringLiteral(" from ") + tables.detail + QStringLiteral(" where InvID in (") + keys
                                                     + QLatin1Char(')'));
        for (; !all.eof(); all.moveNext()) {
            const Amount quantity = Amount::parse(all.field(2).text());
            const Amount prices[3] = {Amount::parse(all.field(3).text()), Amount::parse(all.field(4).text()), Amount::parse(all.field(5).text())};
            if (copiedRows.contains({all.field(0).value().toLongLong(), all.field(1).value().toLongLong()})) {
                ++preview.items;
                add(preview.headOffice, quantity, prices);
            } else {
                ++preview.itemsLeftOut;
                add(preview.leftOut, quantity, prices);
            }
        }
    }
    return preview;
}

} // namespace transform
