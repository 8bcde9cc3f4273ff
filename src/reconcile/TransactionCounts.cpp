#include "reconcile/TransactionCounts.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "masters/MasterCounts.h"
#include "report/GridControl.h"
#include "report/Reporter.h"


#include <exception>

namespace reconcile {

TransactionCounts::TransactionCounts(db::Connection& destination, db::Connection& source, report::Reporter& reporter)
    : m_destination(destination)
    , m_source(source)
    , m_reporter(reporter)
{
}

QString TransactionCounts::gridFormat()
{
    return QStringLiteral("Table  |DesktopCount|OnlineCount|Mismatch|Table ");
}

QString TransactionCounts::query(qlonglong voucherType, const QDate& day)
{
    const QString date = text::DateText::sqlDate(day);
    const QString vouchers = QStringLiteral(" and vchtypeID in (") + QString::number(voucherType) + QStringLiteral(")");
    return QStringLiteral(" SELECT     'Sales' AS Property, COUNT(InvID) AS Nos From tblSales Where InvDate ='") + date + QStringLiteral("' ")
        + vouchers
        + QStringLiteral(" Union SELECT     'SalesItem' AS Property, COUNT(InvID) AS Nos From tblSalesItem Where InvID in(Select InvID from "
                         "tblSales where InvDate ='")
        + date + QStringLiteral("' ") + vouchers + QStringLiteral(")")
        + QStringLiteral(" Union SELECT     'Receipt' AS Property, COUNT(VchID) AS Nos From tblNOtes where VchDate ='") + date
        + QStringLiteral("' ") + vouchers
        + QStringLiteral(" Union SELECT     'StockJournal' AS Property, COUNT(VchID) AS Nos From tblStockJournal where InvDate ='") + date
        + QStringLiteral("' ") + vouchers
        + QStringLiteral(" Union SELECT     'StockJournalDetail' AS Property, COUNT(InvID) AS Nos From tblStockJournalDetail Where InvID "
                         "in(Select InvID from tblStockJournal where InvDate ='")
        + date + QStringLiteral("' ") + vouchers + QStringLiteral(")")
        + QStringLiteral(" Union SELECT     'JobCard' AS Property, COUNT(jobcardid) AS Nos From tblJobcard where JobcardDate ='") + date
        + QStringLiteral("' ") + vouchers
        + QStringLiteral(" Union SELECT     'JobCardDetail' AS Property, COUNT(JobCardID) AS Nos From tblJobCardDetail Where JobCardID "
                         "in(Select JobCardID from tblJobCard where JobcardDate ='")
        + date + QStringLiteral("' ") + vouchers + QStringLiteral(")")
        + QStringLiteral(" Union SELECT     'Order' AS Property, COUNT(InvID) AS Nos From tblOrder Where InvDate ='") + date
        + QStringLiteral("' ") + vouchers
        + QStringLiteral(" Union SELECT     'OrderItem' AS Property, COUNT(InvID) AS Nos From tblOrderItem Where InvID in(Select InvID from "
                         "tblOrder where InvDate ='")
        + date + QStringLiteral("' ") + vouchers + QStringLiteral(")") + QStringLiteral(" ORDER BY Property DESC ");
}

DayCounts TransactionCounts::count(std::optional<long long> vchType, const QDate& day)
{
    DayCounts counts;
    try {
        // Without a voucher type the clause would read "in ()", which no server accepts.
        if (!vchType)
            throw std::runtime_error("No voucher type is chosen in VchTypes To Transform.");
        masters::countBothSides(m_destination, m_source, query(*vchType, day), counts);
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromUtf8(e.what()));
    }
    return counts;
}

void TransactionCounts::show(const DayCounts& counts, report::GridControl& grid)
{
    counts.show(grid, gridFormat(), report::CountComparison::MismatchColumn::Shown);
}

} // namespace reconcile
