#include "transform/TransactionListing.h"

#include "connection/CompanyConnections.h"
#include "text/DateText.h"
#include "text/NumberText.h"
#include "report/ListControl.h"
#include "report/Prompter.h"
#include "report/ProgressSteps.h"
#include "report/Reporter.h"
#include "transform/FillProgress.h"
#include "transform/Filters.h"
#include "transform/ListFiller.h"

#include <stdexcept>

namespace transform {

TransactionListing::TransactionListing(connection::CompanyConnections& connections, ListFiller& filler, report::Reporter& reporter,
                                       report::Prompter& prompter, FillProgress& progress)
    : m_connections(connections)
    , m_filler(filler)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_progress(progress)
{
}

QString TransactionListing::filterClause(const QString& categoryList, const QString& classList)
{
    QString clause;
    if (!categoryList.isEmpty())
        clause += QStringLiteral(" and CategoryID in(") + categoryList + QStringLiteral(" )");
    if (!classList.isEmpty())
        clause += QStringLiteral(" and PRoducttypeid in(") + classList + QStringLiteral(" )");
    return clause;
}

QString TransactionListing::dateClause(const QDate& from, const QDate& to)
{
    if (to == singleDayMark())
        return QStringLiteral(" invdate ='") + text::DateText::sqlDate(from) + QLatin1Char('\'');
    return QStringLiteral(" invdate between  '") + text::DateText::sqlDate(from) + QStringLiteral("' and '") + text::DateText::sqlDate(to)
        + QLatin1Char('\'');
}

QString TransactionListing::salesIdQuery(const QString& filter, qlonglong vchType, const QString& dateClause)
{
    return QStringLiteral(" SELECT DISTINCT tblSalesItem.InvID  FROM  tblSalesItem INNER JOIN tblItemMaster ON tblSalesItem.ItemId = "
                          "tblItemMaster.ItemID INNER JOIN tblSales ON tblSalesItem.InvID = tblSales.InvId WHERE   1=1 ")
        + filter + QStringLiteral(" and cancelled=0 and VchtypeID=") + QString::number(vchType) + QStringLiteral(" and ") + dateClause;
}

QString TransactionListing::purchaseIdQuery(const QString& filter)
{
    return QStringLiteral("Select Distinct InvID from tblPurchaseItem,tblItemMaster where tblPurchaseItem.itemID= tblItemMaster.itemID ")
        + filter;
}

QString TransactionListing::idClause(const QString& ids)
{
    // The 0 closes the list after the "," that follows the last id.
    return ids.isEmpty() ? QString() : QStringLiteral("and InvID in(") + ids + QStringLiteral("0)");
}

QString TransactionListing::salesListingQuery(qlonglong vchType, const QString& dateClause, const QString& idClause)
{
    return QStringLiteral("Select InvID,InvNo + ' - ' + left(Party,20)    + '-   ' + cast(INvDate as varchar(12))  + '-                       ' "
                          "+ cast(BillAmt as varchar(20))  from tblSales where cancelled=0 and VchtypeID=")
        + QString::number(vchType) + QStringLiteral(" and ") + dateClause + idClause + QStringLiteral(" Order by SortNumber");
}

QString TransactionListing::purchaseListingQuery(qlonglong vchType, const QString& dateClause, const QString& idClause)
{
    return QStringLiteral("Select InvID,InvNo + ' - '  + cast(INvDate as varchar(12)) + '-//-                       ' + cast(BillAmt as "
                          "varchar(20))  from tblPurchase where VchtypeID=")
        + QString::number(vchType) + QStringLiteral(" and ") + dateClause + idClause + QStringLiteral(" Order by InvID");
}

QString TransactionListing::idsOf(const QString& query)
{
    db::Recordset rows = m_connections.source().openRecordset(query);
    // Every id followed by ",", the last one included.
    return rows.getString(QString(), QStringLiteral(","), QString());
}

void TransactionListing::listFamily(const ListingControls& controls, VoucherFamily family, qlonglong vchType, const QString& filter,
                                    const QString& dates)
{
    const bool sales = family == VoucherFamily::Sales;
    QString ids;
    if (!filter.isEmpty()) {
        ids = idsOf(sales ? salesIdQuery(filter, vchType, dates) : purchaseIdQuery(filter));
        if (ids.isEmpty())
            m_prompter.tell(report::PromptIcon::Critical, sales ? QStringLiteral("No invoices found.Filters removed automaticaly")
                                                                : QStringLiteral("No Purchase invoices found.Filters removed automaticaly"));
    }
    const QString listing = sales ? salesListingQuery(vchType, dates, idClause(ids)) : purchaseListingQuery(vchType, dates, idClause(ids));
    m_filler.fill(controls.transactions, listing, FillOptions{false, false, Company::Source});
}

bool TransactionListing::showTransactions(const ListingControls& controls, const QDate& from, const QDate& to, const ListingSteps& steps)
{
    m_listed.reset();
    try {
        controls.transactions.clear();
        Listing listing;
        listing.categories = Filters::selectedItemDataList(controls.categories);
        listing.itemClasses = Filters::selectedItemDataList(controls.itemClasses);
        listing.from = from;
        listing.to = to;
        const QString filter = filterClause(listing.categories, listing.itemClasses);
        m_progress.setBusy(true);
        m_reporter.processEvents();
        // Finding the family, listing its vouchers, adding up the totals.
        report::ProgressSteps bar(m_reporter, QStringLiteral("Show Trans"), 3);

        const int chosen = controls.vchTypes.currentIndex();
        if (chosen < 0)
            throw std::runtime_error("Choose the voucher type to list first.");
        const qlonglong vchType = controls.vchTypes.itemData(chosen);
        const VoucherFamily family = familyOfParent(parentOfVchType(m_connections.destination(), vchType));
        listing.vchType = vchType;
        listing.vchTypeName = controls.vchTypes.text(chosen);
        listing.family = family;
        bar.moveTo(1);
        if (family != VoucherFamily::None)
            listFamily(controls, family, vchType, filter, dateClause(from, to));
        bar.moveTo(2);

        const text::Decimal total = billAmount(controls.transactions, Entries::All);
        checkAll(controls.transactions, true);
        if (steps.showTotals)
            steps.showTotals(total, billAmount(controls.transactions, Entries::CheckedOnly));

        if (steps.mastersDiffer && steps.mastersDiffer())
            m_prompter.tell(report::PromptIcon::Critical,
                            QStringLiteral("Please check whether masters of Both companies are identical. Please run Step1 and proceed further"));
        bar.finish();
        m_progress.setBusy(false);
        m_reporter.processEvents();
        m_listed = std::move(listing);
        return true;
    } catch (const std::exception& e) {
        m_progress.setBusy(false);
        m_reporter.processEvents();
        m_prompter.tell(report::PromptIcon::Critical, QString::fromStdString(e.what()));
        return false;
    }
}

text::Decimal TransactionListing::entryAmount(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    qsizetype start = end;
    while (start > 0 && ((text[start - 1] >= QLatin1Char('0') && text[start - 1] <= QLatin1Char('9')) || text[start - 1] == QLatin1Char('.')))
        --start;
    if (start == end)
        return text::Decimal();
    if (start > 0 && (text[start - 1] == QLatin1Char('-') || text[start - 1] == QLatin1Char('+')))
        --start;
    return text::NumberText::leadingDecimal(text.mid(start, end - start));
}

text::Decimal TransactionListing::billAmount(const report::ListControl& list, Entries which)
{
    text::Decimal sum;
    for (int i = 0; i < list.count(); ++i) {
        if (which != Entries::All && !list.isChecked(i))
            continue;
        const text::Decimal amount = entryAmount(list.text(i));
        sum = amount.isNegative() ? sum - amount : sum + amount;
    }
    return sum;
}

void TransactionListing::checkAll(report::ListControl& list, bool checked)
{
    for (int i = 0; i < list.count(); ++i)
        list.setChecked(i, checked);
}

void TransactionListing::selectBills(report::ListControl& list, const text::Decimal& required)
{
    try {
        const int last = list.count() - 1;
        text::Decimal sum;
        // The first entry (index 0) is never visited, and the sum runs on across the passes.
        for (int i = 1; i <= last; i += 2) {
            sum = sum + entryAmount(list.text(i));
            if (sum.compare(required) > 0)
                break;
            list.setChecked(i, true);
        }
        if (sum.compare(required) < 0) {
            for (int i = 1; i <= last; i += 3) {
                sum = sum + entryAmount(list.text(i));
                list.setChecked(i, true);
                if (sum.compare(required) > 0)
                    break;
            }
        }
        if (sum.compare(required) < 0) {
            for (int i = 1; i <= last; ++i) {
                sum = sum + entryAmount(list.text(i));
                list.setChecked(i, true);
                if (sum.compare(required) > 0)
                    break;
            }
        }
    } catch (const std::exception& e) {
        m_prompter.tell(report::PromptIcon::Exclamation, QString::fromStdString(e.what()));
    }
}

} // namespace transform
