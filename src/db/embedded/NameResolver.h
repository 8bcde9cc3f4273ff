#pragma once

#include <QString>

namespace db::embedded {

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
};

} // namespace db::embedded
