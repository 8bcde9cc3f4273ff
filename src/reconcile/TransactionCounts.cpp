#include "reconcile/TransactionCounts.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "text/NumberText.h"
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

void TransactionCounts::fill(report::GridControl& grid, std::optional<long long> vchType, const QDate& day)
{
    try {
        // Without a voucher type the clause would read "in ()", which no server accepts.
        if (!vchType)
            throw std::runtime_error("No voucher type is chosen in VchTypes To Transform.");
        const QString sql = query(*vchType, day);

        grid.reset(gridFormat());
        db::Recordset local = m_destination.openRecordset(sql);
        for (; !local.eof(); local.moveNext())
            grid.addRow(local.field(QStringLiteral("Property")).text() + QLatin1Char('\t') + local.field(QStringLiteral("Nos")).text());
        grid.addRow(QStringLiteral("Onlinedata"));

        db::Recordset online = m_source.openRecordset(sql);
        for (int row = 0; !online.eof(); online.moveNext(), ++row) {
            grid.setCell(row, 2, online.field(QStringLiteral("Nos")).text());
            const bool differs = text::NumberText::leading(grid.cell(row, 1)) != text::NumberText::leading(grid.cell(row, 2));
            if (differs)
                grid.setCellBackground(row, 0, report::CellColour::Red);
            grid.setCell(row, 3, differs ? QStringLiteral("Yes") : QStringLiteral("No"));
        }
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromUtf8(e.what()));
    }
}

} // namespace reconcile
