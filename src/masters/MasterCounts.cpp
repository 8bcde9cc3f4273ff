#include "masters/MasterCounts.h"

#include "db/Connection.h"
#include "text/NumberText.h"
#include "report/GridControl.h"
#include "report/Reporter.h"


namespace masters {

MasterCounts::MasterCounts(db::Connection& destination, db::Connection& source, report::Reporter& reporter)
    : m_destination(destination)
    , m_source(source)
    , m_reporter(reporter)
{
}

QString MasterCounts::query()
{
    return QStringLiteral(" SELECT     'Category' AS Property, COUNT(CategoryID) AS Nos From tblCategories ")
        + QStringLiteral(" Union SELECT     'Items' AS Property, COUNT(ItemID) AS Nos From tblItemMaster ")
        + QStringLiteral(" Union SELECT     'Agent' AS Property, COUNT(AgentID) AS Nos From tblAgent ")
        + QStringLiteral(" Union SELECT     'Area' AS Property, COUNT(AreaID) AS Nos From tblArea ")
        + QStringLiteral(" Union SELECT     'AccountGroup' AS Property, COUNT(AccountGroupID) AS Nos From tblAccountGroup ")
        + QStringLiteral(" Union SELECT     'Employee' AS Property, COUNT(EmpID) AS Nos From tblEmployee ")
        + QStringLiteral(" Union SELECT     'Ledger' AS Property, COUNT(LID) AS Nos FROM         tblLedger AS tblEmployee_1 ")
        + QStringLiteral(" Union SELECT     'TaxClass' AS Property, COUNT(TaxClassID) AS Nos From tblTaxClass ")
        + QStringLiteral(" Union SELECT     'Usergroup' AS Property, COUNT(ID) AS Nos From tblUserGroupMaster ")
        + QStringLiteral(" Union SELECT     'User' AS Property, COUNT(UserID) AS Nos From tblUserMaster ORDER BY Property ");
}

QString MasterCounts::gridFormat()
{
    return QStringLiteral("Table                      |DestntnCount|SourceCount");
}

void MasterCounts::fill(report::GridControl& grid, bool& masterDifference, const std::vector<GuardedTable>& skipped)
{
    if (!m_source.isOpen())
        return;
    try {
        grid.reset(gridFormat());
        db::Recordset local = m_destination.openRecordset(query());
        while (!local.eof()) {
            grid.addRow(local.field(QStringLiteral("Property")).text() + QLatin1Char('\t')
                        + local.field(QStringLiteral("Nos")).text());
            local.moveNext();
        }
        grid.addRow(QStringLiteral("Onlinedata"));

        db::Recordset online = m_source.openRecordset(query());
        masterDifference = false;
        // Rows match by position: both results hold the same ten properties in the same order.
        int row = 0;
        while (!online.eof()) {
            grid.setCell(row, 2, online.field(QStringLiteral("Nos")).text());
            if (text::NumberText::leading(grid.cell(row, 1)) != text::NumberText::leading(grid.cell(row, 2))) {
                grid.setCellBackground(row, 0, report::CellColour::Red);
                masterDifference = true;
            }
            ++row;
            online.moveNext();
        }
        for (const GuardedTable& t : skipped) {
            grid.addRow(QStringLiteral("Skipped ") + t.table + QLatin1Char('\t') + QString::number(t.branchRows) + QLatin1Char('\t')
                        + QString::number(t.headOfficeRows));
            grid.setCellBackground(grid.rowCount() - 1, 0, report::CellColour::Amber);
        }
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
}

} // namespace masters
