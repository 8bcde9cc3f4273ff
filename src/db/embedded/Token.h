#pragma once

#include <QString>
#include <vector>

namespace db::embedded {

/// One token of a T-SQL statement; `text` holds the unquoted value for names and literals.
struct Token {
    enum class Kind {
        Word,       ///< keyword or plain name
        QuotedName, ///< [name] or "name", text without the quotes
        TempName,   ///< #name or ##name, text with the hashes
        Variable,   ///< @name
        String,     ///< '...' or N'...', text unescaped
        Number,
        Operator,   ///< punctuation and operators, "(" and ")" included
        Raw,        ///< text produced by the translator, written out as it is
    };
    Kind kind = Kind::Word;
    QString text;
    /// A literal that was already normalised for its target column and must not be touched again.
    bool settled = false;

    bool isWord(const char* word) const { return kind == Kind::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
    bool isOperator(const char* op) const { return kind == Kind::Operator && text == QLatin1String(op); }
    bool isName() const { return kind == Kind::Word || kind == Kind::QuotedName || kind == Kind::TempName; }
};

using TokenList = std::vector<Token>;

} // namespace db::embedded
