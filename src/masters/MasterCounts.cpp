#include "masters/MasterCounts.h"

#include "db/Connection.h"
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

void countBothSides(db::Connection& branch, db::Connection& headOffice, const QString& query, report::CountComparison& counts)
{
    counts.counted = true;
    db::Recordset local = branch.openRecordset(query);
    for (; !local.eof(); local.moveNext())
        counts.branch.push_back({local.field(QStringLiteral("Property")).text(), local.field(QStringLiteral("Nos")).text()});
    counts.branchComplete = true;
    // Rows match by position: both results hold the same properties in the same order.
    db::Recordset online = headOffice.openRecordset(query);
    counts.headOfficeAnswered = true;
    for (; !online.eof(); online.moveNext())
        counts.headOffice << online.field(QStringLiteral("Nos")).text();
}

report::CountComparison MasterCounts::count()
{
    report::CountComparison counts;
    if (!m_source.isOpen())
        return counts;
    try {
        countBothSides(m_destination, m_source, query(), counts);
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
    return counts;
}

void MasterCounts::show(const report::CountComparison& counts, const std::vector<GuardedTable>& skipped, report::GridControl& grid)
{
    if (!counts.counted)
        return;
    counts.show(grid, gridFormat(), report::CountComparison::MismatchColumn::Hidden);
    for (const GuardedTable& t : skipped) {
        grid.addRow(QStringLiteral("Skipped ") + t.table + QLatin1Char('\t') + QString::number(t.branchRows) + QLatin1Char('\t')
                    + QString::number(t.headOfficeRows));
        grid.setCellBackground(grid.rowCount() - 1, 0, report::CellColour::Amber);
    }
}

} // namespace masters
