#pragma once

#include "db/embedded/NameResolver.h"
#include "db/embedded/Statement.h"
#include "db/embedded/Token.h"

#include <QString>

namespace db::embedded {

/// Turns the T-SQL that the program sends into SQLite text, token by token, so that a quote or a
/// keyword inside a value can never change a statement.
class TsqlTranslator {
public:
    explicit TsqlTranslator(NameResolver& resolver);

    /// Translates one statement (the tokens between two ";"). Throws DbError for what cannot run.
    Statement translate(const TokenList& tokens);
    /// Translates one column definition of CREATE or ALTER TABLE ("Amount numeric(18,2) NOT NULL").
    ColumnDefinition columnDefinition(const TokenList& tokens);
    /// The SQLite text of a token list written back with the same quoting rules.
    static QString render(const TokenList& tokens);
    /// A name as SQLite reads it, in double quotes.
    static QString quoteName(const QString& name);
    /// The stored SQLite definition of a column (the engine's own CREATE text, one column) changed
    /// to the type and nullability of `column`, keeping its key and its other clauses.
    static QString changedColumn(const TokenList& stored, const ColumnDefinition& column);

private:
    // One handler for each kind of statement.
    Statement setOption(const TokenList& tokens);
    Statement identityInsert(const TokenList& tokens);
    Statement transactionControl(const TokenList& tokens);
    Statement ifExists(const TokenList& tokens);
    Statement exec(const TokenList& tokens);
    Statement database(const TokenList& tokens);
    Statement createTable(const TokenList& tokens);
    Statement alterTable(const TokenList& tokens);
    Statement select(const TokenList& tokens);
    Statement insert(const TokenList& tokens);
    /// UPDATE, DELETE and whatever else goes to SQLite as a translated expression.
    Statement query(const TokenList& tokens);

    NameResolver& m_resolver;
    /// The table of this session with IDENTITY_INSERT on ("MAIN01.dbo.tblGodown"), empty for none.
    QString m_identityInsert;
};

} // namespace db::embedded
