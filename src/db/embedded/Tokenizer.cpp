#include "db/embedded/Tokenizer.h"

#include "db/DbError.h"


namespace db::embedded {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')
        || c == QLatin1Char('@');
}

DbError unterminated(const QString& what, const QString& sql, qsizetype at)
{
    return DbError(QStringLiteral("Unclosed %1 after the character string '%2'.").arg(what, sql.mid(at, 40)),
                   QStringLiteral("42000"), 105);
}

// Reads a quoted run starting after the opening quote; a doubled closing quote stands for itself.
qsizetype readQuoted(const QString& sql, qsizetype pos, QChar close, QString& out)
{
    const qsizetype n = sql.size();
    while (pos < n) {
        const QChar c = sql.at(pos);
        if (c == close) {
            if (pos + 1 < n && sql.at(pos + 1) == close) {
                out += close;
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        out += c;
        ++pos;
    }
    return -1;
}

} // namespace

TokenList Tokenizer::tokenize(const QString& sql)
{
    TokenList tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto push = [&](Token::Kind kind, QString text) { tokens.push_back(Token{kind, std::move(text), false}); };
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                throw DbError(QStringLiteral("Missing end comment mark '*/'."), QStringLiteral("42000"), 113);
            i = end + 2;
        } else if (c == QLatin1Char('\'') || ((c == QLatin1Char('N') || c == QLatin1Char('n')) && next == QLatin1Char('\''))) {
            const qsizetype start = c == QLatin1Char('\'') ? i + 1 : i + 2;
            QString value;
            const qsizetype end = readQuoted(sql, start, QLatin1Char('\''), value);
            if (end < 0)
                throw unterminated(QStringLiteral("quotation mark"), sql, start);
            push(Token::Kind::String, value);
            i = end;
        } else if (c == QLatin1Char('[')) {
            QString value;
            const qsizetype end = readQuoted(sql, i + 1, QLatin1Char(']'), value);
            if (end < 0)
                throw unterminated(QStringLiteral("bracket"), sql, i + 1);
            push(Token::Kind::QuotedName, value);
            i = end;
        } else if (c == QLatin1Char('"')) {
            QString value;
            const qsizetype end = readQuoted(sql, i + 1, QLatin1Char('"'), value);
            if (end < 0)
                throw unterminated(QStringLiteral("quotation mark"), sql, i + 1);
            push(Token::Kind::QuotedName, value);
            i = end;
        } else if (c == QLatin1Char('0') && (next == QLatin1Char('x') || next == QLatin1Char('X'))) {
            // T-SQL's binary literal 0x00FF is SQLite's X'00FF'.
            qsizetype j = i + 2;
            // Plain ASCII digits and letters only: the C library's isxdigit() depends on the locale
            // and is undefined for the negative chars that letters beyond ASCII become.
            while (j < n && QStringView(u"0123456789abcdefABCDEF").contains(sql.at(j)))
                ++j;
            QString hex = sql.mid(i + 2, j - i - 2);
            if (hex.size() % 2)
                hex.prepend(QLatin1Char('0'));
            push(Token::Kind::Raw, QStringLiteral("X'") + hex + QLatin1Char('\''));
            i = j;
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            qsizetype j = i;
            while (j < n && (sql.at(j).isDigit() || sql.at(j) == QLatin1Char('.')))
                ++j;
            if (j < n && (sql.at(j) == QLatin1Char('e') || sql.at(j) == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (sql.at(k) == QLatin1Char('+') || sql.at(k) == QLatin1Char('-')))
                    ++k;
                if (k < n && sql.at(k).isDigit()) {
                    j = k;
                    while (j < n && sql.at(j).isDigit())
                        ++j;
                }
            }
            push(Token::Kind::Number, sql.mid(i, j - i));
            i = j;
        } else if (c == QLatin1Char('@') || c == QLatin1Char('#') || isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            const QString word = sql.mid(i, j - i);
            push(c == QLatin1Char('@') ? Token::Kind::Variable
                 : c == QLatin1Char('#') ? Token::Kind::TempName
                                         : Token::Kind::Word,
                 word);
            i = j;
        } else {
            static const char* const twoChar[] = {"<>", "!=", "<=", ">=", "!<", "!>", "||"};
            QString op(c);
            for (const char* candidate : twoChar) {
                if (c == QLatin1Char(candidate[0]) && next == QLatin1Char(candidate[1])) {
                    op = QLatin1String(candidate);
                    break;
                }
            }
            push(Token::Kind::Operator, op);
            i += op.size();
        }
    }
    return tokens;
}

std::vector<TokenList> Tokenizer::splitBatch(const TokenList& tokens)
{
    std::vector<TokenList> statements;
    TokenList current;
    int depth = 0;
    for (const Token& token : tokens) {
        if (token.isOperator("("))
            ++depth;
        else if (token.isOperator(")"))
            --depth;
        if (depth <= 0 && token.isOperator(";")) {
            if (!current.empty())
                statements.push_back(std::move(current));
            current.clear();
            depth = 0;
            continue;
        }
        current.push_back(token);
    }
    if (!current.empty())
        statements.push_back(std::move(current));
    return statements;
}

} // namespace db::embedded
