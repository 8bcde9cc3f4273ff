#include "upload/MasterUpload.h"

#include "db/Connection.h"
#include "db/Transaction.h"
#include "replication/RowCopier.h"
#include "report/IniSetting.h"
#include "report/Prompter.h"
#include "report/Reporter.h"

#include <array>
#include <exception>
#include <utility>

namespace upload {

namespace {

const QString errorTag = QStringLiteral("masters uploading Error");

struct KnownTable {
    const char* table;
    const char* column;
};

const std::array<KnownTable, 13> knownTables = {{
    {"tblCategories", "categoryID"},
    {"tblCostCentre", "CCID"},
    {"tblEmployee", "EMPID"},
    {"tblGodown", "GodownID"},
    {"tblItemMaster", "ItemID"},
    {"tblLedger", "LID"},
    {"tblTaxClass", "TaxClassID"},
    {"tblUserMaster", "UserID"},
    {"tblUserGroupMaster", "ID"},
    {"tblVchType", "VchTypeID"},
    {"tblCustomerProfile", "ProfileID"},
    {"tblArea", "AreaID"},
    {"tblAgent", "AgentID"},
}};

QString errorText(const std::exception& e)
{
    return QString::fromUtf8(e.what());
}

} // namespace

MasterUpload::MasterUpload(db::Connection& source, db::Connection& destination, report::Reporter& reporter, report::Prompter& prompter,
                           report::IniSetting& ini, QString loopSettingsPath)
    : m_source(source)
    , m_destination(destination)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_ini(ini)
    , m_loopSettingsPath(std::move(loopSettingsPath))
{
}

QString MasterUpload::activityQuery(qint32 mark)
{
    return QStringLiteral(" SELECT   ID, TableName, tblUniqueID, Action, Active, DateofAction From tblActivity where ISNULL(pARENTid,0)=0 AND id>")
        + QString::number(mark) + QStringLiteral(" ORDER BY ID ");
}

std::optional<MasterUpload::KeyColumn> MasterUpload::keyColumn(const QString& table)
{
    for (const KnownTable& known : knownTables) {
        if (table == QLatin1String(known.table))
            return KeyColumn{QLatin1String(known.column), table == QLatin1String("tblGodown")};
    }
    return std::nullopt;
}

qint32 MasterUpload::uploadMasters(qint32 mark)
{
    db::Recordset rows;
    try {
        rows = m_source.openRecordset(activityQuery(mark));
    } catch (const std::exception& e) {
        // Without the activity rows there is nothing to replay and no mark to move.
        m_reporter.log(QStringLiteral("masters uploading Qry Failed"), errorText(e));
        return mark;
    }
    m_reporter.log(QStringLiteral("masters uploading Qry Opened"), rows.source());

    qlonglong lastId = 0;
    for (; !rows.eof(); rows.moveNext()) {
        const QString table = rows.field(QStringLiteral("TableName")).text();
        const std::optional<KeyColumn> key = keyColumn(table);
        if (key && key->passedOver)
            continue;
        if (!key) {
            m_prompter.tell(report::PromptIcon::None, table + QStringLiteral(" Excluded From Synch"));
        } else {
            // The key goes into the statements as a number, so a value that is not one is never sent.
            bool isNumber = false;
            const qlonglong uniqueId = rows.field(QStringLiteral("tblUniqueID")).text().toLongLong(&isNumber);
            if (isNumber)
                replay(table, key->column, uniqueId, rows.field(QStringLiteral("Action")).text());
            else
                m_reporter.log(errorTag, table + QStringLiteral(": no key in activity ") + rows.field(QStringLiteral("ID")).text());
        }
        const qlonglong id = rows.field(QStringLiteral("ID")).value().toLongLong();
        lastId = id;
        if (id > 0)
            m_ini.write(m_loopSettingsPath, QStringLiteral("MaxActivityID"), QString::number(id));
        m_reporter.progress(QStringLiteral("Update Masters Over"));
    }
    return lastId > 0 ? qint32(lastId) : mark;
}

void MasterUpload::replay(const QString& table, const QString& keyColumn, qlonglong key, const QString& action)
{
    try {
        if (action == QLatin1String("Insert") || action == QLatin1String("Update"))
            copyAgain(table, keyColumn, key);
        else if (action == QLatin1String("Deleted"))
            m_destination.execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where ") + keyColumn + QLatin1Char('=')
                                  + QString::number(key));
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
    }
}

void MasterUpload::copyAgain(const QString& table, const QString& keyColumn, qlonglong key)
{
    const QString keyText = QString::number(key);
    // Delete and copy commit together: a copy that fails leaves the branch's old row in place.
    db::Transaction transaction(m_destination);
    try {
        m_destination.execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where ") + keyColumn + QLatin1Char('=') + keyText);
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
    }
    replication::RowCopier copier(m_source, m_destination, m_reporter, m_prompter);
    const replication::CopyOutcome outcome =
        copier.copy(table, QString(), QStringLiteral("SELECT  * from ") + table + QStringLiteral(" where  ") + keyColumn + QLatin1Char('=') + keyText);
    // No source row any more is a success: the row was deleted at the head office since.
    if (outcome.error.isEmpty() && outcome.failed == 0)
        transaction.commit();
    else
        m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
}

} // namespace upload
