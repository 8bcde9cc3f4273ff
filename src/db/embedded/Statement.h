#pragma once

#include "db/embedded/Token.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace db::embedded {

/// An argument of an EXEC: its name without "@" in lower case (empty when positional) and its value.
struct ProcedureArgument {
    QString name;
    QVariant value; ///< QString, a number, or null
};

/// A column as ALTER TABLE gives it: its name, its declared type and its whole SQLite definition.
struct ColumnDefinition {
    QString name;
    QString type;
    /// The type as SQLite keeps it: scaled numbers get REAL affinity ("numeric real(18,2)"), so that
    /// 50.00 * 5 / 100 is 2.5 and not SQLite's integer 2; the first word still gives the type code.
    QString storedType;
    QString definition;
    bool notNull = false;
    /// The first number an IDENTITY column draws; 0 for a column without identity.
    long long identitySeed = 0;
    /// What an IDENTITY column adds for each row.
    long long identityStep = 1;
    /// An IDENTITY column that is not SQLite's row number: the engine's counter draws its values.
    bool countedIdentity = false;
};

/// One translated T-SQL statement: either SQLite text or an action the engine carries out itself.
struct Statement {
    enum class Kind {
        NoOp,
        Sql,
        Begin,
        Commit,
        Rollback,
        IfExists,
        Exec,
        CreateDatabase,
        DropDatabase,
        AddColumns,
        AlterColumn,
        CopyTable,
    };
    Kind kind = Kind::NoOp;
    /// Sql: the SQLite text; IfExists: the condition's query; CopyTable: what follows the source
    /// table (its WHERE), "" for every row.
    QString sql;
    /// Sql: an INSERT, UPDATE or DELETE, whose changed rows are counted.
    bool changesRows = false;
    /// IfExists: IF NOT EXISTS.
    bool negated = false;
    /// CopyTable: the new table is a temporary one.
    bool temporary = false;
    /// IfExists: the statement run when the condition holds.
    TokenList then;
    /// Exec: the procedure (lower case); Create/DropDatabase: the database; Add/AlterColumn: the table;
    /// CopyTable: the new table as SQLite names it.
    QString name;
    /// Add/AlterColumn: the SQLite schema of the table; CopyTable: the source's schema.
    QString schema;
    /// CopyTable: the source table.
    QString table;
    std::vector<ProcedureArgument> arguments;
    std::vector<ColumnDefinition> columns;
    /// Sql, a query: the numeric, decimal or money type of each result column that SQL Server
    /// gives one ("decimal(8,6)", "money"), "" for the others; empty when none is known.
    std::vector<QString> resultTypes;
};

} // namespace db::embedded
