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

private:
    NameResolver& m_resolver;
    /// The table of this session with IDENTITY_INSERT on ("MAIN01.dbo.tblGodown"), empty for none.
    QString m_identityInsert;
};

} // namespace db::embedded
