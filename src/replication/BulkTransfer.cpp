#include "replication/BulkTransfer.h"

#include "replication/IdentityInsert.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/ObjectName.h"
#include "db/UnlimitedCommandTime.h"
#include "report/Reporter.h"

namespace replication {

BulkTransfer::BulkTransfer(db::Connection& destination, QString syncServer, QString sourceCompany, report::Reporter& reporter)
    : m_destination(destination)
    , m_syncServer(std::move(syncServer))
    , m_sourceCompany(std::move(sourceCompany))
    , m_reporter(reporter)
{
}

QString BulkTransfer::sourceName(const QString& table) const
{
    return db::ObjectName::linkedTable(m_syncServer, m_sourceCompany, table);
}

QString BulkTransfer::stageName(const QString& table)
{
    return QStringLiteral("#MirtaneStage_") + table;
}

void BulkTransfer::stage(const QString& table)
{
    dropStage(table);
    // The remote read is the long part; it may take as long as it needs.
    const db::UnlimitedCommandTime unlimited(m_destination);
    m_destination.execute(QStringLiteral("select * into ") + stageName(table) + QStringLiteral(" from ") + sourceName(table));
}

void BulkTransfer::replaceFromStage(const QString& table, const QString& columns)
{
    m_reporter.status(QStringLiteral("Migrating ") + table);
    m_destination.execute(QStringLiteral("Delete from ") + table);
    const db::UnlimitedCommandTime unlimited(m_destination);
    // The stage brings the head office's keys; an identity column takes them only with
    // IDENTITY_INSERT on and a column list.
    QStringList names;
    if (columns.isEmpty()) {
        const db::Recordset shape = m_destination.openRecordset(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"));
        for (const db::Column& column : shape.columns())
            names << column.name;
    } else {
        for (const QString& column : columns.split(QLatin1Char(',')))
            names << column.trimmed();
    }
    const bool identity = !IdentityInsert::identityColumn(m_destination, table, names).isEmpty();
    const IdentityInsert keys(m_destination, table, identity);
    const QString list = columns.isEmpty() && identity ? names.join(QLatin1Char(',')) : columns;
    if (!list.isEmpty())
        m_destination.execute(QStringLiteral("Insert into ") + table + QLatin1Char('(') + list + QStringLiteral(") select ")
                              + list + QStringLiteral(" from ") + stageName(table));
    else
        m_destination.execute(QStringLiteral("Insert into ") + table + QStringLiteral(" select * from ") + stageName(table));
}

void BulkTransfer::dropStage(const QString& table)
{
    try {
        m_destination.execute(QStringLiteral("DROP TABLE ") + stageName(table));
    } catch (const db::DbError&) {
        // there was none
    }
}

} // namespace replication
