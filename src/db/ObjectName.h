#pragma once

#include <QString>

namespace db {

/// Names of database objects as they are written into statements.
namespace ObjectName {

/// `name` in brackets with every "]" doubled, so that no character of it (a "-", a leading digit,
/// a blank or a "]") can end the name or change the statement.
QString bracketed(const QString& name);

/// "[server].[database].dbo.table": a table of a database on a linked server.
QString linkedTable(const QString& server, const QString& database, const QString& table);

} // namespace ObjectName
} // namespace db
