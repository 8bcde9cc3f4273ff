#include "db/embedded/TsqlTranslator.h"

#include "db/DateText.h"
#include "db/DbError.h"
#include "db/TypeCode.h"
#include "db/embedded/Tokenizer.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTime>

#include <functional>

namespace db::embedded {

namespace {

// A token, or a parenthesised group of nodes: TOP, "+" chains and function arguments are all
// decided per parenthesis level.
struct Node {
    Token token;
    bool group = false;
    std::vector<Node> children;
};
using Nodes = std::vector<Node>;

DbError syntaxError(const QString& near)
{
    return DbError(QStringLiteral("Incorrect syntax near '%1'.").arg(near), QStringLiteral("42000"), 102);
}

DbError unsupported(const QString& what)
{
    return DbError(QStringLiteral("[embedded] The embedded engine does not support %1.").arg(what),
                   QStringLiteral("42000"), 0);
}

Node tokenNode(Token::Kind kind, const QString& text)
{
    Node node;
    node.token = Token{kind, text, false};
    return node;
}

Nodes buildTree(const TokenList& tokens, size_t& pos, bool inGroup)
{
    Nodes nodes;
    while (pos < tokens.size()) {
        const Token& token = tokens[pos];
        if (token.isOperator("(")) {
            ++pos;
            Node group;
            group.group = true;
            group.children = buildTree(tokens, pos, true);
            if (pos >= tokens.size())
                throw syntaxError(QStringLiteral("("));
            ++pos;
            nodes.push_back(std::move(group));
        } else if (token.isOperator(")")) {
            if (!inGroup)
                throw syntaxError(QStringLiteral(")"));
            return nodes;
        } else {
            nodes.push_back(Node{token, false, {}});
            ++pos;
        }
    }
    return nodes;
}

Nodes buildTree(const TokenList& tokens)
{
    size_t pos = 0;
    return buildTree(tokens, pos, false);
}

QString quoteName(const QString& name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString quoteText(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString tokenText(const Token& token)
{
    switch (token.kind) {
    case Token::Kind::QuotedName:
    case Token::Kind::TempName:
        return quoteName(token.text);
    case Token::Kind::String:
        return quoteText(token.text);
    case Token::Kind::Operator:
        if (token.text == QLatin1String("!<"))
            return QStringLiteral(">=");
        if (token.text == QLatin1String("!>"))
            return QStringLiteral("<=");
        return token.text;
    default:
        return token.text;
    }
}

QString render(const Nodes& nodes)
{
    QString out;
    bool glue = true; // no blank before the next piece
    bool name = false;
    for (const Node& node : nodes) {
        const bool dot = !node.group && node.token.isOperator(".");
        const bool comma = !node.group && node.token.isOperator(",");
        if (!glue && !dot && !comma && !(node.group && name))
            out += QLatin1Char(' ');
        if (node.group)
            out += QLatin1Char('(') + render(node.children) + QLatin1Char(')');
        else
            out += tokenText(node.token);
        glue = dot;
        // A function's or a type's arguments follow its name without a blank.
        name = !node.group
            && (node.token.kind == Token::Kind::Word || node.token.kind == Token::Kind::Raw || node.token.kind == Token::Kind::QuotedName);
    }
    return out;
}

// "varchar(12)", "numeric(18,2)", "varchar(max)": a type written without blanks inside.
QString compactType(const Nodes& nodes)
{
    QString out;
    for (const Node& node : nodes) {
        if (node.group) {
            out += QLatin1Char('(') + render(node.children).remove(QLatin1Char(' ')) + QLatin1Char(')');
        } else {
            if (!out.isEmpty())
                out += QLatin1Char(' ');
            // "convert(char(50), ...)": the type was taken for the CHAR function on the way in.
            if (node.token.text == QLatin1String("mssql_char") || node.token.text == QLatin1String("mssql_nchar"))
                out += node.token.text.mid(6);
            else
                out += node.token.text;
        }
    }
    return out;
}

std::vector<Nodes> splitAtCommas(const Nodes& nodes)
{
    std::vector<Nodes> parts(1);
    for (const Node& node : nodes) {
        if (!node.group && node.token.isOperator(","))
            parts.emplace_back();
        else
            parts.back().push_back(node);
    }
    if (parts.size() == 1 && parts.front().empty())
        parts.clear();
    return parts;
}

bool isWord(const Node& node, const char* word)
{
    return !node.group && node.token.isWord(word);
}

bool isOp(const Node& node, const char* op)
{
    return !node.group && node.token.isOperator(op);
}

bool isNameNode(const Node& node)
{
    return !node.group && node.token.isName();
}

bool isComparison(const Node& node)
{
    static const QSet<QString> ops = {QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
                                      QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<="),
                                      QStringLiteral(">="), QStringLiteral("!<"), QStringLiteral("!>")};
    return !node.group && node.token.kind == Token::Kind::Operator && ops.contains(node.token.text);
}

// A multi-part name starting at `pos`: its parts (empty for "db..table") and where it ends.
struct NameParts {
    std::vector<QString> parts;
    size_t end = 0;
};

NameParts readName(const Nodes& nodes, size_t pos)
{
    NameParts name;
    name.parts.push_back(nodes[pos].token.text);
    size_t i = pos + 1;
    while (i + 1 < nodes.size() && isOp(nodes[i], ".")) {
        if (isOp(nodes[i + 1], ".")) {
            name.parts.emplace_back();
            i += 1;
            continue;
        }
        if (isNameNode(nodes[i + 1]) || isOp(nodes[i + 1], "*")) {
            name.parts.push_back(nodes[i + 1].token.text);
            i += 2;
            continue;
        }
        break;
    }
    name.end = i;
    return name;
}

struct ResolvedName {
    QString schema; // empty: as SQLite finds it (main, temp)
    QString table;
    QString rendered;
    bool changed = false;
};

ResolvedName resolveName(NameResolver& resolver, const std::vector<QString>& parts)
{
    ResolvedName name;
    const size_t n = parts.size();
    name.table = parts.back();
    if (n == 2 && parts[0].compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0
        && parts[1].compare(QLatin1String("servers"), Qt::CaseInsensitive) == 0) {
        name.schema = resolver.masterSchema();
        name.table = QStringLiteral("servers");
    } else if (n == 2 && parts[0].compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0) {
        // dbo.table: the catalog's own table
    } else if (n == 3) {
        name.schema = resolver.schemaFor(QString(), parts[0]);
    } else if (n == 4) {
        name.schema = resolver.schemaFor(parts[0], parts[1]);
    } else if (n > 4) {
        throw DbError(QStringLiteral("The object name '%1' contains more than the maximum number of prefixes. The maximum is 3.")
                          .arg(QStringList(parts.begin(), parts.end()).join(QLatin1Char('.'))),
                      QStringLiteral("42000"), 117);
    } else {
        return name; // alias.column and the like stay as they are
    }
    name.changed = true;
    name.rendered = name.schema.isEmpty() ? quoteName(name.table) : quoteName(name.schema) + QLatin1Char('.') + quoteName(name.table);
    return name;
}

void passNames(Nodes& nodes, NameResolver& resolver)
{
    for (Node& node : nodes)
        if (node.group)
            passNames(node.children, resolver);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!isNameNode(nodes[i]) || (i > 0 && isOp(nodes[i - 1], ".")))
            continue;
        const NameParts parts = readName(nodes, i);
        if (parts.parts.size() < 2)
            continue;
        const ResolvedName name = resolveName(resolver, parts.parts);
        if (!name.changed) {
            i = parts.end - 1;
            continue;
        }
        nodes.erase(nodes.begin() + i + 1, nodes.begin() + parts.end);
        nodes[i] = tokenNode(Token::Kind::Raw, name.rendered);
    }
}

// SERVERPROPERTY('name'): the property as the server's master database keeps it, NULL for a
// name it does not know, as SQL Server answers.
void passServerProperty(Nodes& nodes, NameResolver& resolver)
{
    for (Node& node : nodes)
        if (node.group)
            passServerProperty(node.children, resolver);
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        if (!isWord(nodes[i], "SERVERPROPERTY") || !nodes[i + 1].group || (i > 0 && isOp(nodes[i - 1], ".")))
            continue;
        nodes[i] = tokenNode(Token::Kind::Raw, QStringLiteral("(SELECT value FROM ") + quoteName(resolver.masterSchema())
                                                   + QStringLiteral(".server_properties WHERE name ="));
        nodes.insert(nodes.begin() + i + 2, tokenNode(Token::Kind::Raw, QStringLiteral(")")));
        i += 2;
    }
}

void passNolock(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passNolock(node.children);
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        if (isWord(nodes[i], "WITH") && nodes[i + 1].group && !nodes[i + 1].children.empty()) {
            bool hints = true;
            for (const Node& child : nodes[i + 1].children)
                hints = hints && (isWord(child, "NOLOCK") || isWord(child, "READUNCOMMITTED") || isOp(child, ","));
            if (hints) {
                nodes.erase(nodes.begin() + i, nodes.begin() + i + 2);
                --i;
            }
        }
    }
}

// SQL Server reads "10:30:00 AM" written into a date-time column as that time on 1 January 1900.
QTime parseTimeOfDay(const QString& text)
{
    static const char* const forms[] = {"h:mm:ss AP", "h:mm AP", "H:mm:ss", "H:mm", "h:mm:ssAP", "h:mmAP"};
    const QString trimmed = text.trimmed();
    for (const char* form : forms) {
        const QTime time = QTime::fromString(trimmed.toUpper(), QLatin1String(form));
        if (time.isValid())
            return time;
    }
    return QTime();
}

void normaliseDateLiteral(Token& token)
{
    if (token.kind != Token::Kind::String || token.settled)
        return;
    const QDateTime parsed = DateText::parse(token.text);
    if (parsed.isValid()) {
        token.text = DateText::sqlDateTime(parsed);
        token.settled = true;
    }
}

void passDates(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passDates(node.children);
    for (size_t i = 0; i < nodes.size(); ++i) {
        Node& node = nodes[i];
        if (node.group) {
            if (i > 0 && isWord(nodes[i - 1], "IN"))
                for (Node& child : node.children)
                    if (!child.group)
                        normaliseDateLiteral(child.token);
            continue;
        }
        if (node.token.kind != Token::Kind::String)
            continue;
        const bool compared = (i > 0 && isComparison(nodes[i - 1])) || (i + 1 < nodes.size() && isComparison(nodes[i + 1]))
            || (i > 0 && isWord(nodes[i - 1], "BETWEEN"))
            || (i >= 3 && isWord(nodes[i - 1], "AND") && isWord(nodes[i - 3], "BETWEEN"));
        if (compared)
            normaliseDateLiteral(node.token);
    }
}

const QHash<QString, QString>& functionNames()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("getdate"), QStringLiteral("mssql_getdate")},
        {QStringLiteral("getutcdate"), QStringLiteral("mssql_getutcdate")},
        {QStringLiteral("dateadd"), QStringLiteral("mssql_dateadd")},
        {QStringLiteral("datediff"), QStringLiteral("mssql_datediff")},
        {QStringLiteral("isnull"), QStringLiteral("ifnull")},
        {QStringLiteral("left"), QStringLiteral("mssql_left")},
        {QStringLiteral("right"), QStringLiteral("mssql_right")},
        {QStringLiteral("len"), QStringLiteral("mssql_len")},
        {QStringLiteral("day"), QStringLiteral("mssql_day")},
        {QStringLiteral("month"), QStringLiteral("mssql_month")},
        {QStringLiteral("year"), QStringLiteral("mssql_year")},
        {QStringLiteral("cast"), QStringLiteral("mssql_cast")},
        {QStringLiteral("convert"), QStringLiteral("mssql_convert")},
        {QStringLiteral("charindex"), QStringLiteral("mssql_charindex")},
        {QStringLiteral("substring"), QStringLiteral("mssql_substring")},
        {QStringLiteral("upper"), QStringLiteral("mssql_upper")},
        {QStringLiteral("lower"), QStringLiteral("mssql_lower")},
        {QStringLiteral("ltrim"), QStringLiteral("ltrim")},
        {QStringLiteral("rtrim"), QStringLiteral("rtrim")},
        {QStringLiteral("replace"), QStringLiteral("mssql_replace")},
        {QStringLiteral("char"), QStringLiteral("mssql_char")},
        {QStringLiteral("nchar"), QStringLiteral("mssql_nchar")},
    };
    return names;
}

// CHAR(n) and NCHAR(n) are also type names ("cast(x as char(10))", "Code nchar(4)"): they are the
// functions only where an expression may start.
bool isTypeName(const Nodes& nodes, size_t i)
{
    if (i == 0 || nodes[i - 1].group || nodes[i - 1].token.kind != Token::Kind::Word)
        return false;
    for (const char* word : {"SELECT", "WHEN", "THEN", "ELSE", "AND", "OR", "NOT", "RETURN"})
        if (isWord(nodes[i - 1], word))
            return false;
    return true;
}

void passFunctions(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passFunctions(node.children);
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        Node& name = nodes[i];
        Node& args = nodes[i + 1];
        if (name.group || name.token.kind != Token::Kind::Word || !args.group || (i > 0 && isOp(nodes[i - 1], ".")))
            continue;
        const QString lower = name.token.text.toLower();
        const auto found = functionNames().find(lower);
        if (found == functionNames().end())
            continue;
        if ((lower == QLatin1String("char") || lower == QLatin1String("nchar")) && isTypeName(nodes, i))
            continue;
        if (lower == QLatin1String("dateadd") || lower == QLatin1String("datediff")) {
            // The date part is a bare word in T-SQL; the function receives it as text.
            if (!args.children.empty() && !args.children.front().group
                && args.children.front().token.kind == Token::Kind::Word)
                args.children.front().token = Token{Token::Kind::String, args.children.front().token.text.toLower(), true};
        } else if (lower == QLatin1String("cast")) {
            size_t as = args.children.size();
            for (size_t k = 0; k < args.children.size(); ++k)
                if (isWord(args.children[k], "AS"))
                    as = k;
            if (as == args.children.size() || as == 0)
                throw syntaxError(QStringLiteral("CAST"));
            const QString type = compactType(Nodes(args.children.begin() + as + 1, args.children.end()));
            args.children.erase(args.children.begin() + as, args.children.end());
            args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
            args.children.push_back(tokenNode(Token::Kind::String, type));
            args.children.back().token.settled = true;
        } else if (lower == QLatin1String("convert")) {
            std::vector<Nodes> parts = splitAtCommas(args.children);
            if (parts.size() < 2)
                throw syntaxError(QStringLiteral("CONVERT"));
            Nodes rebuilt;
            rebuilt.push_back(tokenNode(Token::Kind::String, compactType(parts[0])));
            rebuilt.back().token.settled = true;
            for (size_t k = 1; k < parts.size(); ++k) {
                rebuilt.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                rebuilt.insert(rebuilt.end(), parts[k].begin(), parts[k].end());
            }
            args.children = std::move(rebuilt);
        }
        name.token.text = found.value();
        name.token.kind = Token::Kind::Raw;
    }
}

bool isTermDelimiter(const Node& node)
{
    static const QSet<QString> keywords = {
        QStringLiteral("select"), QStringLiteral("from"), QStringLiteral("where"), QStringLiteral("as"),
        QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("on"),
        QStringLiteral("then"), QStringLiteral("when"), QStringLiteral("else"), QStringLiteral("end"),
        QStringLiteral("case"), QStringLiteral("between"), QStringLiteral("like"), QStringLiteral("in"),
        QStringLiteral("is"), QStringLiteral("order"), QStringLiteral("group"), QStringLiteral("by"),
        QStringLiteral("having"), QStringLiteral("set"), QStringLiteral("values"), QStringLiteral("union"),
        QStringLiteral("all"), QStringLiteral("except"), QStringLiteral("intersect"), QStringLiteral("distinct"),
        QStringLiteral("top"), QStringLiteral("into"), QStringLiteral("join"), QStringLiteral("inner"),
        QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("outer"), QStringLiteral("cross"),
        QStringLiteral("full"), QStringLiteral("asc"), QStringLiteral("desc"), QStringLiteral("limit"),
        QStringLiteral("exists"), QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete"),
        QStringLiteral("with"), QStringLiteral("escape"), QStringLiteral("collate"), QStringLiteral("default"),
    };
    if (node.group)
        return false;
    if (node.token.kind == Token::Kind::Word)
        return keywords.contains(node.token.text.toLower());
    return isComparison(node) || isOp(node, ",") || isOp(node, ";");
}

bool isPlainlyNumeric(const Nodes& term)
{
    static const QSet<QString> numericFunctions = {
        QStringLiteral("count"), QStringLiteral("sum"), QStringLiteral("avg"), QStringLiteral("max"),
        QStringLiteral("min"), QStringLiteral("abs"), QStringLiteral("round"), QStringLiteral("mssql_len"),
        QStringLiteral("mssql_charindex"), QStringLiteral("mssql_datediff"), QStringLiteral("mssql_day"),
        QStringLiteral("mssql_month"), QStringLiteral("mssql_year"),
    };
    for (size_t i = 0; i < term.size(); ++i) {
        const Node& node = term[i];
        if (node.group) {
            if (!isPlainlyNumeric(node.children))
                return false;
            continue;
        }
        const Token& token = node.token;
        if (token.kind == Token::Kind::Number)
            continue;
        if (token.kind == Token::Kind::Operator
            && (token.text == QLatin1String("-") || token.text == QLatin1String("*") || token.text == QLatin1String("/")
                || token.text == QLatin1String("%") || token.text == QLatin1String("+")))
            continue;
        if ((token.kind == Token::Kind::Word || token.kind == Token::Kind::Raw)
            && numericFunctions.contains(token.text.toLower()) && i + 1 < term.size() && term[i + 1].group) {
            ++i; // the arguments do not matter: the result is a number
            continue;
        }
        return false;
    }
    return !term.empty();
}

void passPlus(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passPlus(node.children);
    Nodes out;
    const size_t n = nodes.size();
    auto termEnd = [&](size_t from) {
        size_t j = from;
        while (j < n && !isTermDelimiter(nodes[j]) && !isOp(nodes[j], "+"))
            ++j;
        return j;
    };
    size_t i = 0;
    while (i < n) {
        if (isTermDelimiter(nodes[i]) || isOp(nodes[i], "+")) {
            out.push_back(nodes[i]);
            ++i;
            continue;
        }
        const size_t first = termEnd(i);
        std::vector<Nodes> terms{Nodes(nodes.begin() + i, nodes.begin() + first)};
        size_t k = first;
        while (k < n && isOp(nodes[k], "+")) {
            const size_t m = termEnd(k + 1);
            if (m == k + 1)
                break;
            terms.emplace_back(nodes.begin() + k + 1, nodes.begin() + m);
            k = m;
        }
        bool numeric = true;
        for (const Nodes& term : terms)
            numeric = numeric && isPlainlyNumeric(term);
        if (terms.size() == 1 || numeric) {
            out.insert(out.end(), nodes.begin() + i, nodes.begin() + k);
        } else {
            // SQL Server's "+" concatenates text and adds numbers, left to right.
            Nodes acc = terms[0];
            for (size_t t = 1; t < terms.size(); ++t) {
                Node args;
                args.group = true;
                args.children = acc;
                args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                args.children.insert(args.children.end(), terms[t].begin(), terms[t].end());
                acc = Nodes{tokenNode(Token::Kind::Raw, QStringLiteral("mssql_add")), args};
            }
            out.insert(out.end(), acc.begin(), acc.end());
        }
        i = k;
    }
    nodes = std::move(out);
}

void passTop(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passTop(node.children);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!isWord(nodes[i], "SELECT"))
            continue;
        size_t j = i + 1;
        while (j < nodes.size() && (isWord(nodes[j], "DISTINCT") || isWord(nodes[j], "ALL")))
            ++j;
        if (j + 1 >= nodes.size() || !isWord(nodes[j], "TOP"))
            continue;
        const Node& count = nodes[j + 1];
        if (!count.group && count.token.kind != Token::Kind::Number)
            throw syntaxError(QStringLiteral("TOP"));
        const QString limit = count.group ? render(count.children) : count.token.text;
        if (j + 2 < nodes.size() && (isWord(nodes[j + 2], "PERCENT") || isWord(nodes[j + 2], "WITH")))
            throw unsupported(QStringLiteral("TOP ... PERCENT or WITH TIES"));
        nodes.erase(nodes.begin() + j, nodes.begin() + j + 2);
        size_t end = j;
        while (end < nodes.size() && !isWord(nodes[end], "UNION") && !isWord(nodes[end], "EXCEPT")
               && !isWord(nodes[end], "INTERSECT"))
            ++end;
        nodes.insert(nodes.begin() + end, tokenNode(Token::Kind::Raw, QStringLiteral("LIMIT ") + limit));
    }
}

// SQL Server converts text written into a date-time or bit column; SQLite would store it as it is.
void settleForColumn(Token& token, int typeCode)
{
    if (token.kind != Token::Kind::String || token.settled)
        return;
    token.settled = true;
    if (typeCode == TypeCode::DBTimeStamp) {
        const QDateTime parsed = DateText::parse(token.text);
        if (parsed.isValid()) {
            token.text = DateText::sqlDateTime(parsed);
            return;
        }
        if (token.text.trimmed().isEmpty()) {
            token.text = DateText::sqlDateTime(QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC));
            return;
        }
        const QTime time = parseTimeOfDay(token.text);
        if (time.isValid()) {
            token.text = DateText::sqlDateTime(QDateTime(QDate(1900, 1, 1), time, Qt::UTC));
            return;
        }
        throw DbError(QStringLiteral("Conversion failed when converting date and/or time from character string."),
                      QStringLiteral("22007"), 241);
    }
    if (typeCode == TypeCode::Boolean) {
        const QString lower = token.text.trimmed().toLower();
        if (lower == QLatin1String("true") || lower == QLatin1String("false")) {
            token.kind = Token::Kind::Number;
            token.text = lower == QLatin1String("true") ? QStringLiteral("1") : QStringLiteral("0");
        }
    }
}

int columnTypeCode(NameResolver& resolver, const ResolvedName& table, const QString& column)
{
    return typeCodeForTypeName(resolver.declaredType(table.schema.isEmpty() ? QStringLiteral("main") : table.schema,
                                                     table.table, column));
}

ResolvedName tableAt(NameResolver& resolver, const Nodes& nodes, size_t pos, size_t& end)
{
    if (pos >= nodes.size() || !isNameNode(nodes[pos]))
        throw syntaxError(pos < nodes.size() ? render(Nodes{nodes[pos]}) : QStringLiteral("end of statement"));
    const NameParts parts = readName(nodes, pos);
    end = parts.end;
    ResolvedName name = resolveName(resolver, parts.parts);
    if (!name.changed)
        name.table = parts.parts.back();
    return name;
}

// INSERT ... (cols) VALUES (...) and UPDATE ... SET col = '...': literals take their column's type.
void passAssignments(Nodes& nodes, NameResolver& resolver)
{
    if (nodes.empty())
        return;
    if (isWord(nodes[0], "INSERT")) {
        size_t pos = 1;
        if (pos < nodes.size() && isWord(nodes[pos], "INTO"))
            ++pos;
        size_t end = 0;
        const ResolvedName table = tableAt(resolver, nodes, pos, end);
        if (end >= nodes.size() || !nodes[end].group)
            return;
        std::vector<QString> columns;
        for (const Nodes& column : splitAtCommas(nodes[end].children))
            columns.push_back(column.empty() ? QString() : column.back().token.text);
        size_t v = end + 1;
        if (v >= nodes.size() || !isWord(nodes[v], "VALUES"))
            return;
        std::vector<int> codes;
        for (const QString& column : columns)
            codes.push_back(columnTypeCode(resolver, table, column));
        for (++v; v < nodes.size(); ++v) {
            if (!nodes[v].group)
                continue;
            size_t index = 0;
            Nodes& values = nodes[v].children;
            size_t start = 0;
            for (size_t k = 0; k <= values.size(); ++k) {
                if (k == values.size() || isOp(values[k], ",")) {
                    if (k == start + 1 && !values[start].group && index < codes.size())
                        settleForColumn(values[start].token, codes[index]);
                    ++index;
                    start = k + 1;
                }
            }
        }
    } else if (isWord(nodes[0], "UPDATE")) {
        size_t end = 0;
        const ResolvedName table = tableAt(resolver, nodes, 1, end);
        size_t pos = end;
        while (pos < nodes.size() && !isWord(nodes[pos], "SET"))
            ++pos;
        ++pos;
        while (pos < nodes.size()) {
            if (isWord(nodes[pos], "WHERE") || isWord(nodes[pos], "FROM"))
                break;
            if (isNameNode(nodes[pos])) {
                const NameParts column = readName(nodes, pos);
                const size_t eq = column.end;
                if (eq + 1 < nodes.size() && isOp(nodes[eq], "=") && !nodes[eq + 1].group
                    && (eq + 2 == nodes.size() || isOp(nodes[eq + 2], ",") || isWord(nodes[eq + 2], "WHERE")
                        || isWord(nodes[eq + 2], "FROM"))) {
                    settleForColumn(nodes[eq + 1].token, columnTypeCode(resolver, table, column.parts.back()));
                }
                // Skip the value: up to the next comma at this level.
                pos = eq;
                while (pos < nodes.size() && !isOp(nodes[pos], ",") && !isWord(nodes[pos], "WHERE")
                       && !isWord(nodes[pos], "FROM"))
                    ++pos;
                if (pos < nodes.size() && isOp(nodes[pos], ","))
                    ++pos;
                continue;
            }
            ++pos;
        }
    }
}

QString translateExpression(Nodes nodes, NameResolver& resolver)
{
    passAssignments(nodes, resolver);
    passNames(nodes, resolver);
    passServerProperty(nodes, resolver);
    passNolock(nodes);
    passDates(nodes);
    passFunctions(nodes);
    passPlus(nodes);
    passTop(nodes);
    return render(nodes);
}

QVariant argumentValue(const Nodes& value)
{
    if (value.size() == 1 && !value[0].group) {
        const Token& token = value[0].token;
        if (token.kind == Token::Kind::String)
            return token.text;
        if (token.kind == Token::Kind::Number)
            return token.text.contains(QLatin1Char('.')) ? QVariant(token.text.toDouble()) : QVariant(token.text.toLongLong());
        if (token.isWord("NULL"))
            return QVariant();
        if (token.kind == Token::Kind::Word || token.kind == Token::Kind::QuotedName)
            return token.text;
    }
    if (value.size() == 2 && isOp(value[0], "-") && !value[1].group && value[1].token.kind == Token::Kind::Number)
        return -value[1].token.text.toLongLong();
    throw syntaxError(value.empty() ? QStringLiteral(",") : render(value));
}

size_t matchingParen(const TokenList& tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (tokens[i].isOperator("("))
            ++depth;
        else if (tokens[i].isOperator(")") && --depth == 0)
            return i;
    }
    throw syntaxError(QStringLiteral("("));
}

QString nameText(const Nodes& nodes, size_t pos)
{
    if (pos >= nodes.size() || !isNameNode(nodes[pos]))
        throw syntaxError(pos < nodes.size() ? render(Nodes{nodes[pos]}) : QStringLiteral("end of statement"));
    return nodes[pos].token.text;
}

} // namespace

TsqlTranslator::TsqlTranslator(NameResolver& resolver)
    : m_resolver(resolver)
{
}

QString TsqlTranslator::render(const TokenList& tokens)
{
    return db::embedded::render(buildTree(tokens));
}

ColumnDefinition TsqlTranslator::columnDefinition(const TokenList& tokens)
{
    Nodes nodes = buildTree(tokens);
    ColumnDefinition column;
    column.name = nameText(nodes, 0);
    size_t pos = 1;
    Nodes typeNodes;
    while (pos < nodes.size() && !nodes[pos].group
           && (typeNodes.empty() ? (nodes[pos].token.kind == Token::Kind::Word || nodes[pos].token.kind == Token::Kind::QuotedName)
                                 : (nodes[pos].token.isWord("varying") || nodes[pos].token.isWord("precision")))) {
        typeNodes.push_back(nodes[pos++]);
        if (pos < nodes.size() && nodes[pos].group)
            typeNodes.push_back(nodes[pos++]);
    }
    if (typeNodes.empty())
        throw syntaxError(column.name);
    column.type = compactType(typeNodes);
    const int code = typeCodeForTypeName(column.type);
    column.storedType = column.type;
    const qsizetype paren = column.type.indexOf(QLatin1Char('('));
    const bool scaled = code == TypeCode::Numeric && paren > 0 && column.type.contains(QLatin1Char(','))
        && column.type.mid(column.type.indexOf(QLatin1Char(',')) + 1).remove(QLatin1Char(')')).trimmed().toInt() > 0;
    if (column.type.endsWith(QLatin1String("(max)"), Qt::CaseInsensitive))
        column.storedType = column.type.left(paren); // SQLite takes only numbers as type arguments
    else if (scaled)
        column.storedType = column.type.left(paren) + QStringLiteral(" real") + column.type.mid(paren);
    else if (code == TypeCode::Currency && paren < 0)
        column.storedType = column.type + QStringLiteral(" real");

    bool identity = false;
    bool primaryKey = false;
    bool collate = false;
    Nodes rest;
    for (size_t i = pos; i < nodes.size(); ++i) {
        const Node& node = nodes[i];
        if (isWord(node, "IDENTITY")) {
            identity = true;
            if (i + 1 < nodes.size() && nodes[i + 1].group)
                ++i;
            continue;
        }
        if (isWord(node, "CLUSTERED") || isWord(node, "NONCLUSTERED") || isWord(node, "ROWGUIDCOL"))
            continue;
        if (isWord(node, "PRIMARY") && i + 1 < nodes.size() && isWord(nodes[i + 1], "KEY")) {
            primaryKey = true;
            ++i;
            continue;
        }
        if (isWord(node, "NOT") && i + 1 < nodes.size() && isWord(nodes[i + 1], "NULL")) {
            column.nullabilityGiven = true;
            column.notNull = true;
            ++i;
            continue;
        }
        if (isWord(node, "NULL")) {
            column.nullabilityGiven = true;
            column.notNull = false;
            continue;
        }
        if (isWord(node, "COLLATE") && i + 1 < nodes.size()) {
            // SQL Server collations ending in _CI_ ignore case; SQLite has ASCII case folding for that.
            const bool ci = nodes[i + 1].token.text.contains(QLatin1String("_CI"), Qt::CaseInsensitive)
                || nodes[i + 1].token.isWord("NOCASE");
            rest.push_back(node);
            rest.push_back(tokenNode(Token::Kind::Word, ci ? QStringLiteral("NOCASE") : QStringLiteral("BINARY")));
            collate = true;
            ++i;
            continue;
        }
        if (isWord(node, "DEFAULT") && i + 2 < nodes.size() && !nodes[i + 1].group && nodes[i + 2].group
            && nodes[i + 1].token.kind == Token::Kind::Word) {
            // SQLite wants an expression default in parentheses.
            Node wrapped;
            wrapped.group = true;
            wrapped.children = {nodes[i + 1], nodes[i + 2]};
            rest.push_back(node);
            rest.push_back(wrapped);
            i += 2;
            continue;
        }
        rest.push_back(node);
    }
    passFunctions(rest);

    QString definition = quoteName(column.name) + QLatin1Char(' ');
    const QString base = column.type.toLower();
    if (identity && primaryKey && (base == QLatin1String("int") || base == QLatin1String("integer"))) {
        // INTEGER PRIMARY KEY is SQLite's row number, so new rows are numbered as IDENTITY numbers them.
        column.type = QStringLiteral("INTEGER");
        definition += QStringLiteral("INTEGER PRIMARY KEY");
    } else {
        definition += column.storedType;
        if (isTextType(code) && !collate)
            definition += QStringLiteral(" COLLATE NOCASE");
        if (primaryKey)
            definition += QStringLiteral(" PRIMARY KEY");
        if (column.notNull || primaryKey)
            definition += QStringLiteral(" NOT NULL");
    }
    if (!rest.empty())
        definition += QLatin1Char(' ') + db::embedded::render(rest);
    column.definition = definition;
    return column;
}

Statement TsqlTranslator::translate(const TokenList& tokens)
{
    Statement statement;
    if (tokens.empty())
        return statement;
    const Token& first = tokens[0];
    auto second = [&](const char* word) { return tokens.size() > 1 && tokens[1].isWord(word); };

    if (first.isWord("SET")) {
        static const char* const accepted[] = {"NOCOUNT", "LANGUAGE", "DATEFORMAT", "ANSI_NULLS", "QUOTED_IDENTIFIER",
                                               "ANSI_WARNINGS", "ANSI_PADDING", "ARITHABORT", "XACT_ABORT",
                                               "CONCAT_NULL_YIELDS_NULL", "TRANSACTION", "DEADLOCK_PRIORITY"};
        for (const char* option : accepted)
            if (second(option))
                return statement;
        throw unsupported(QStringLiteral("SET %1").arg(tokens.size() > 1 ? tokens[1].text : QString()));
    }
    if (first.isWord("BEGIN") && (tokens.size() == 1 || second("TRAN") || second("TRANSACTION"))) {
        statement.kind = Statement::Kind::Begin;
        return statement;
    }
    if (first.isWord("COMMIT")) {
        statement.kind = Statement::Kind::Commit;
        return statement;
    }
    if (first.isWord("ROLLBACK")) {
        statement.kind = Statement::Kind::Rollback;
        return statement;
    }
    if (first.isWord("IF")) {
        size_t pos = 1;
        if (pos < tokens.size() && tokens[pos].isWord("NOT")) {
            statement.negated = true;
            ++pos;
        }
        if (pos + 1 >= tokens.size() || !tokens[pos].isWord("EXISTS") || !tokens[pos + 1].isOperator("("))
            throw unsupported(QStringLiteral("IF without EXISTS (...)"));
        const size_t close = matchingParen(tokens, pos + 1);
        statement.kind = Statement::Kind::IfExists;
        statement.sql = translateExpression(buildTree(TokenList(tokens.begin() + pos + 2, tokens.begin() + close)), m_resolver);
        statement.then.assign(tokens.begin() + close + 1, tokens.end());
        return statement;
    }
    Nodes nodes = buildTree(tokens);
    if (first.isWord("EXEC") || first.isWord("EXECUTE")) {
        if (nodes.size() < 2 || !isNameNode(nodes[1]))
            throw syntaxError(first.text);
        const NameParts name = readName(nodes, 1);
        statement.kind = Statement::Kind::Exec;
        statement.name = name.parts.back().toLower();
        for (const Nodes& argument : splitAtCommas(Nodes(nodes.begin() + name.end, nodes.end()))) {
            ProcedureArgument parsed;
            if (argument.size() >= 2 && !argument[0].group && argument[0].token.kind == Token::Kind::Variable
                && isOp(argument[1], "=")) {
                parsed.name = argument[0].token.text.mid(1).toLower();
                parsed.value = argumentValue(Nodes(argument.begin() + 2, argument.end()));
            } else {
                parsed.value = argumentValue(argument);
            }
            statement.arguments.push_back(parsed);
        }
        return statement;
    }
    if ((first.isWord("CREATE") || first.isWord("DROP")) && second("DATABASE")) {
        statement.kind = first.isWord("CREATE") ? Statement::Kind::CreateDatabase : Statement::Kind::DropDatabase;
        statement.name = nameText(nodes, 2);
        if (nodes.size() > 3)
            throw unsupported(QStringLiteral("options of %1 DATABASE").arg(first.text.toUpper()));
        return statement;
    }
    if (first.isWord("CREATE") && second("TABLE")) {
        size_t end = 0;
        const ResolvedName table = tableAt(m_resolver, nodes, 2, end);
        if (end >= nodes.size() || !nodes[end].group)
            throw syntaxError(table.table);
        const std::vector<Nodes> elements = splitAtCommas(nodes[end].children);
        // Columns of a table-level primary key must not hold NULL either.
        QSet<QString> keyColumns;
        for (const Nodes& element : elements) {
            for (size_t i = 0; i + 2 < element.size(); ++i)
                if (isWord(element[i], "PRIMARY") && isWord(element[i + 1], "KEY")) {
                    size_t g = i + 2;
                    while (g < element.size() && !element[g].group)
                        ++g;
                    if (g < element.size())
                        for (const Nodes& key : splitAtCommas(element[g].children))
                            if (!key.empty())
                                keyColumns.insert(key.front().token.text.toLower());
                }
        }
        QStringList definitions;
        for (const Nodes& element : elements) {
            if (element.empty())
                throw syntaxError(QStringLiteral(","));
            static const char* const constraintWords[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "FOREIGN", "CHECK", "INDEX"};
            bool constraint = false;
            for (const char* word : constraintWords)
                constraint = constraint || isWord(element[0], word);
            if (constraint) {
                Nodes kept;
                for (size_t i = 0; i < element.size(); ++i) {
                    if (isWord(element[i], "CLUSTERED") || isWord(element[i], "NONCLUSTERED"))
                        continue;
                    if (isWord(element[i], "WITH") && i + 1 < element.size() && element[i + 1].group) {
                        ++i;
                        continue;
                    }
                    if (isWord(element[i], "ON") && i + 1 < element.size() && !element[i + 1].group) {
                        ++i;
                        continue;
                    }
                    kept.push_back(element[i]);
                }
                passNames(kept, m_resolver);
                definitions << db::embedded::render(kept);
                continue;
            }
            TokenList columnTokens;
            std::function<void(const Nodes&)> flatten = [&](const Nodes& part) {
                for (const Node& node : part) {
                    if (node.group) {
                        columnTokens.push_back(Token{Token::Kind::Operator, QStringLiteral("("), false});
                        flatten(node.children);
                        columnTokens.push_back(Token{Token::Kind::Operator, QStringLiteral(")"), false});
                    } else {
                        columnTokens.push_back(node.token);
                    }
                }
            };
            flatten(element);
            ColumnDefinition column = columnDefinition(columnTokens);
            QString definition = column.definition;
            if (keyColumns.contains(column.name.toLower()) && !column.notNull
                && !definition.contains(QLatin1String("PRIMARY KEY")))
                definition += QStringLiteral(" NOT NULL");
            definitions << definition;
        }
        statement.kind = Statement::Kind::Sql;
        statement.sql = QStringLiteral("CREATE TABLE ")
            + (table.schema.isEmpty() ? quoteName(table.table) : quoteName(table.schema) + QLatin1Char('.') + quoteName(table.table))
            + QStringLiteral(" (") + definitions.join(QStringLiteral(", ")) + QLatin1Char(')');
        return statement;
    }
    if (first.isWord("ALTER") && second("TABLE")) {
        size_t end = 0;
        const ResolvedName table = tableAt(m_resolver, nodes, 2, end);
        statement.name = table.table;
        statement.schema = table.schema.isEmpty() ? QStringLiteral("main") : table.schema;
        // Column definitions are read back from the original tokens, so that groups keep their parentheses.
        size_t tokenPos = 0;
        for (size_t seen = 0, depth = 0; tokenPos < tokens.size(); ++tokenPos) {
            if (depth == 0 && seen == end)
                break;
            if (tokens[tokenPos].isOperator("("))
                ++depth;
            else if (tokens[tokenPos].isOperator(")"))
                --depth;
            if (depth == 0)
                ++seen;
        }
        if (end < nodes.size() && isWord(nodes[end], "ADD")) {
            statement.kind = Statement::Kind::AddColumns;
            TokenList current;
            int depth = 0;
            for (size_t i = tokenPos + 1; i <= tokens.size(); ++i) {
                if (i == tokens.size() || (depth == 0 && tokens[i].isOperator(","))) {
                    if (current.empty())
                        throw syntaxError(QStringLiteral(","));
                    if (current.front().isWord("COLUMN"))
                        current.erase(current.begin());
                    statement.columns.push_back(columnDefinition(current));
                    current.clear();
                    continue;
                }
                if (tokens[i].isOperator("("))
                    ++depth;
                else if (tokens[i].isOperator(")"))
                    --depth;
                current.push_back(tokens[i]);
            }
            return statement;
        }
        if (end + 1 < nodes.size() && isWord(nodes[end], "ALTER") && isWord(nodes[end + 1], "COLUMN")) {
            statement.kind = Statement::Kind::AlterColumn;
            statement.columns.push_back(columnDefinition(TokenList(tokens.begin() + tokenPos + 2, tokens.end())));
            return statement;
        }
        throw unsupported(QStringLiteral("this form of ALTER TABLE"));
    }
    if (first.isWord("SELECT")) {
        // SELECT ... INTO name FROM ...: a new table made from the query.
        for (size_t i = 1; i + 1 < nodes.size(); ++i) {
            if (isWord(nodes[i], "FROM"))
                break;
            if (isWord(nodes[i], "INTO") && isNameNode(nodes[i + 1])) {
                const bool temporary = nodes[i + 1].token.kind == Token::Kind::TempName;
                size_t end = 0;
                const ResolvedName table = tableAt(m_resolver, nodes, i + 1, end);
                const QString target = table.changed ? table.rendered : quoteName(table.table);
                nodes.erase(nodes.begin() + i, nodes.begin() + end);
                // SELECT * INTO name FROM table: the new table takes the source's columns as declared,
                // as SQL Server's does, and the rows are copied whole.
                size_t sourceEnd = 0;
                if (i == 2 && isOp(nodes[1], "*") && nodes.size() > 3 && isWord(nodes[2], "FROM") && isNameNode(nodes[3])) {
                    const ResolvedName source = tableAt(m_resolver, nodes, 3, sourceEnd);
                    // A WHERE (and a UNION ALL of the same table) only chooses the rows; the columns
                    // are still the source's, as SQL Server declares them.
                    const bool filtered = sourceEnd < nodes.size() && isWord(nodes[sourceEnd], "WHERE");
                    if (sourceEnd == nodes.size() || filtered) {
                        if (filtered)
                            statement.sql = QLatin1Char(' ')
                                + translateExpression(Nodes(nodes.begin() + sourceEnd, nodes.end()), m_resolver);
                        statement.kind = Statement::Kind::CopyTable;
                        statement.name = target;
                        statement.temporary = temporary;
                        statement.schema = !source.schema.isEmpty()                         ? source.schema
                            : nodes[3].token.kind == Token::Kind::TempName ? QStringLiteral("temp")
                                                                            : QStringLiteral("main");
                        statement.table = source.table;
                        return statement;
                    }
                }
                statement.kind = Statement::Kind::Sql;
                statement.sql = (temporary ? QStringLiteral("CREATE TEMP TABLE ") : QStringLiteral("CREATE TABLE ")) + target
                    + QStringLiteral(" AS ") + translateExpression(std::move(nodes), m_resolver);
                return statement;
            }
        }
    }
    statement.kind = Statement::Kind::Sql;
    statement.changesRows = first.isWord("INSERT") || first.isWord("UPDATE") || first.isWord("DELETE");
    statement.sql = translateExpression(std::move(nodes), m_resolver);
    return statement;
}

} // namespace db::embedded
