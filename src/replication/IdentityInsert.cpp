#include "replication/IdentityInsert.h"

#include "db/Connection.h"
#include "db/DbError.h"

namespace replication {

namespace {

QString literal(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("N'") + escaped + QLatin1Char('\'');
}

} // namespace

QString IdentityInsert::identityColumn(db::Connection& connection, const QString& table, const QStringList& columns)
{
    if (columns.isEmpty())
        return QString();
    // One question for all the columns: which of them the catalog marks as the identity.
    QString sql = QStringLiteral("select ");
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            sql += QLatin1Char(',');
        sql += QStringLiteral("COLUMNPROPERTY(OBJECT_ID(") + literal(table) + QStringLiteral("),") + literal(columns[i])
            + QStringLiteral(",'IsIdentity')");
    }
    db::Recordset answer = connection.openRecordset(sql);
    if (answer.eof())
        return QString();
    for (int i = 0; i < answer.fieldCount() && i < columns.size(); ++i)
        if (!answer.field(i).isNull() && answer.field(i).value().toInt() == 1)
            return columns[i];
    return QString();
}

IdentityInsert::IdentityInsert(db::Connection& connection, const QString& table, bool needed)
    : m_connection(connection)
    , m_table(table)
{
    if (!needed)
        return;
    m_connection.execute(QStringLiteral("SET IDENTITY_INSERT ") + m_table + QStringLiteral(" ON"));
    m_on = true;
}

IdentityInsert::~IdentityInsert()
{
    if (!m_on)
        return;
    try {
        m_connection.execute(QStringLiteral("SET IDENTITY_INSERT ") + m_table + QStringLiteral(" OFF"));
    } catch (const std::exception&) {
        // the session is gone, and the setting with it
    }
}

} // namespace replication
