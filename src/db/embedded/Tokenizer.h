#pragma once

#include "db/embedded/Token.h"

#include <QString>

namespace db::embedded {

/// Splits T-SQL text into tokens, dropping blanks and comments.
class Tokenizer {
public:
    /// The tokens of `sql`. Throws DbError for an unterminated literal, name or comment.
    static TokenList tokenize(const QString& sql);
    /// The statements of a batch: the tokens between top-level ";" (empty statements left out).
    static std::vector<TokenList> splitBatch(const TokenList& tokens);
};

} // namespace db::embedded
