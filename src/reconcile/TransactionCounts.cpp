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

bool DayCounts::differs(int row) const
{
    const QString branchCount = row < int(branch.size()) ? branch[std::size_t(row)].count : QString();
    const QString headOfficeCount = row < headOffice.size() ? headOffice[row] : QString();
    return text::NumberText::leading(branchCount) != text::NumberText::leading(headOfficeCount);
}

DayCounts TransactionCounts::count(std::optional<long long> vchType, const QDate& day)
{
    DayCounts counts;
    try {
        // Without a voucher type the clause would read "in ()", which no server accepts.
        if (!vchType)
            throw std::runtime_error("No voucher type is chosen in VchTypes To Transform.");
        const QString sql = query(*vchType, day);
        counts.counted = true;
        db::Recordset local = m_destination.openRecordset(sql);
        for (; !local.eof(); local.moveNext())
            counts.branch.push_back({local.field(QStringLiteral("Property")).text(), local.field(QStringLiteral("Nos")).text()});
        counts.branchComplete = true;
        db::Recordset online = m_source.openRecordset(sql);
        for (; !online.eof(); online.moveNext())
            counts.headOffice << online.field(QStringLiteral("Nos")).text();
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromUtf8(e.what()));
    }
    return counts;
}

void TransactionCounts::show(const DayCounts& counts, report::GridControl& grid)
{
    if (!counts.counted)
        return;
    grid.reset(gridFormat());
    for (const DayCounts::Row& row : counts.branch)
        grid.addRow(row.property + QLatin1Char('\t') + row.count);
    if (counts.branchComplete)
        grid.addRow(QStringLiteral("Onlinedata"));
    for (int row = 0; row < counts.headOffice.size() && row < grid.rowCount(); ++row) {
        grid.setCell(row, 2, counts.headOffice[row]);
        const bool differs = counts.differs(row);
        if (differs)
            grid.setCellBackground(row, 0, report::CellColour::Red);
        grid.setCell(row, 3, differs ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
}

} // namespace reconcile
