#pragma once

#include <QString>
#include <vector>

namespace db::embedded {

/// A column of a table as the engine declared it.
struct TableColumn {
    QString name;
    QString type; ///< the declared type: "varchar(50)", "numeric real(18,2)", "INTEGER" for an identity key
    bool notNull = false;
    bool identity = false;
};

/// What the translator asks of the session while it rewrites names and literals.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    /// The SQLite schema that holds `catalog` of `server` (empty: this server); "main" for the
    /// current catalog. Attaches the database when needed. Throws DbError.
    virtual QString schemaFor(const QString& server, const QString& catalog) = 0;
    /// The SQLite schema that holds this server's master database (sys.servers). Throws DbError.
    virtual QString masterSchema() = 0;
    /// The declared type of `column` of `schema`.`table`, empty when the column is not known.
    virtual QString declaredType(const QString& schema, const QString& table, const QString& column) = 0;
    /// The columns of `schema`.`table` in order (empty schema: as SQLite finds the table, temp first);
    /// empty when there is no such table.
    virtual std::vector<TableColumn> columns(const QString& schema, const QString& table) = 0;
    /// "MAIN01.dbo.tblItem": the table as SQL Server's messages name it.
    virtual QString objectName(const QString& schema, const QString& table) = 0;
    /// How many columns the SQLite query `sql` gives, without running it. Throws DbError.
    virtual int resultColumnCount(const QString& sql) = 0;
};

} // namespace db::embedded
