#include "db/ObjectName.h"

namespace db::ObjectName {

QString bracketed(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString linkedTable(const QString& server, const QString& database, const QString& table)
{
    return bracketed(server) + QLatin1Char('.') + bracketed(database) + QStringLiteral(".dbo.") + table;
}

} // namespace db::ObjectName
