#include "tools/demo/ActivityTriggers.h"

namespace tools {

namespace {

using Kind = CapturedTable::Kind;

struct TriggerAction {
    const char* event;   // SQLite trigger event
    const char* action;  // text written into tblActivity.Action
    const char* row;     // NEW or OLD
};

const TriggerAction actions[] = {
    {"INSERT", "Insert", "NEW"},
    {"UPDATE", "Update", "NEW"},
    {"DELETE", "Deleted", "OLD"},
};

// ActionTime is what convert(char(50), getdate()) gives on SQL Server: "Dec  5 2026 10:30AM",
// padded with blanks to 50 characters.
const char* actionTimeExpression =
    "printf('%-50s', printf('%s %2d %s %2d:%s%s', "
    "substr('JanFebMarAprMayJunJulAugSepOctNovDec', 3 * CAST(substr(clock.t, 6, 2) AS INTEGER) - 2, 3), "
    "CAST(substr(clock.t, 9, 2) AS INTEGER), substr(clock.t, 1, 4), "
    "(CAST(substr(clock.t, 12, 2) AS INTEGER) + 11) % 12 + 1, substr(clock.t, 15, 2), "
    "CASE WHEN CAST(substr(clock.t, 12, 2) AS INTEGER) < 12 THEN 'AM' ELSE 'PM' END))";

QString triggerName(const CapturedTable& table, const TriggerAction& action)
{
    return QStringLiteral("trgActivity_%1_%2").arg(table.tableName, QLatin1String(action.action));
}

QString createTrigger(const CapturedTable& table, const TriggerAction& action)
{
    const QString row = QLatin1String(action.row);
    const QString key = row + QLatin1Char('.') + table.keyColumn;
    const bool transaction = table.kind == Kind::Transaction;
    const QString parentId = transaction
        ? QStringLiteral("(SELECT ParentID FROM tblVchType WHERE VchTypeID = %1.VchTypeID)").arg(row)
        : QStringLiteral("0");
    const QString vchTypeId = transaction ? row + QLatin1String(".VchTypeID") : QStringLiteral("0");
    QString refId = QStringLiteral("NULL");
    if (QLatin1String(action.action) == QLatin1String("Deleted"))
        refId = transaction ? QStringLiteral("OLD.ServInvID") : QStringLiteral("0");

    // The WHEN clause lets only the first row of a statement through, so a statement that
    // changes many rows writes one activity row and one that changes none writes nothing.
    return QStringLiteral(
               "CREATE TRIGGER %1 AFTER %2 ON %3 FOR EACH ROW\n"
               "WHEN %4 IS NOT NULL AND mirtane_first_in_statement('%5') = 1\n"
               "BEGIN\n"
               "  INSERT INTO tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction,"
               " ParentId, VchTypeid, ActionTime, tblUniqueRefID)\n"
               "  SELECT (SELECT IFNULL(MAX(ID), 0) + 1 FROM tblActivity), '%3', %4, '%6', 1,"
               " substr(clock.t, 1, 10) || ' 00:00:00', %7, %8, %9, %10\n"
               "  FROM (SELECT mssql_getdate() AS t) AS clock;\n"
               "END")
        .arg(triggerName(table, action), QLatin1String(action.event), table.tableName, key,
             table.tableName + QLatin1Char(' ') + QLatin1String(action.action), QLatin1String(action.action),
             parentId, vchTypeId, QLatin1String(actionTimeExpression), refId);
}

} // namespace

QList<CapturedTable> ActivityTriggers::capturedTables()
{
    return {
        {QStringLiteral("tblCategories"), QStringLiteral("categoryID"), Kind::Master},
        {QStringLiteral("tblCostCentre"), QStringLiteral("CCID"), Kind::Master},
        {QStringLiteral("tblEmployee"), QStringLiteral("EMPID"), Kind::Master},
        {QStringLiteral("tblGodown"), QStringLiteral("GodownID"), Kind::Master},
        {QStringLiteral("tblItemMaster"), QStringLiteral("ItemID"), Kind::Master},
        {QStringLiteral("tblLedger"), QStringLiteral("LID"), Kind::Master},
        {QStringLiteral("tblTaxClass"), QStringLiteral("TaxClassID"), Kind::Master},
        {QStringLiteral("tblUserMaster"), QStringLiteral("UserID"), Kind::Master},
        {QStringLiteral("tblUserGroupMaster"), QStringLiteral("ID"), Kind::Master},
        {QStringLiteral("tblVchType"), QStringLiteral("VchTypeID"), Kind::Master},
        {QStringLiteral("tblCustomerProfile"), QStringLiteral("ProfileID"), Kind::Master},
        {QStringLiteral("tblArea"), QStringLiteral("AreaID"), Kind::Master},
        {QStringLiteral("tblAgent"), QStringLiteral("AgentID"), Kind::Master},
        {QStringLiteral("tblSales"), QStringLiteral("InvID"), Kind::Transaction},
        {QStringLiteral("tblPurchase"), QStringLiteral("InvID"), Kind::Transaction},
        {QStringLiteral("tblNotes"), QStringLiteral("VchID"), Kind::Transaction},
        {QStringLiteral("tblOrder"), QStringLiteral("InvID"), Kind::Transaction},
        {QStringLiteral("tblStockJournal"), QStringLiteral("InvID"), Kind::Transaction},
        {QStringLiteral("tblJobCard"), QStringLiteral("JobCardID"), Kind::Transaction},
    };
}

QStringList ActivityTriggers::statements(const CapturedTable& table)
{
    QStringList result;
    for (const TriggerAction& action : actions) {
        result << QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(triggerName(table, action));
        result << createTrigger(table, action);
    }
    return result;
}

QStringList ActivityTriggers::allStatements()
{
    QStringList result;
    for (const CapturedTable& table : capturedTables())
        result << statements(table);
    return result;
}

} // namespace tools
