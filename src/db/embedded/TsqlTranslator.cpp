#include "db/embedded/TsqlTranslator.h"

#include "text/DateText.h"
#include "text/Decimal.h"
#include "db/DbError.h"
#include "db/TypeCode.h"
#include "db/embedded/ColumnStore.h"
#include "db/embedded/Tokenizer.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTime>

#include <functional>
#include <limits>
#include <optional>

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

DbError outOfRangeDate()
{
    return DbError(QStringLiteral("The conversion of a varchar data type to a datetime data type resulted in an out-of-range value."),
                   QStringLiteral("22007"), 242);
}

void normaliseDateLiteral(Token& token)
{
    if (token.kind != Token::Kind::String || token.settled)
        return;
    const QDateTime parsed = text::DateText::parse(token.text);
    if (parsed.isValid()) {
        // Compared with a datetime column, the literal is read as a datetime: milliseconds in 1/300 s.
        token.text = text::DateText::storedDateTime(ColumnStore::datetimePrecision(parsed));
        token.settled = true;
    } else if (ColumnStore::looksLikeDate(token.text)) {
        throw outOfRangeDate();
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
        {QStringLiteral("sum"), QStringLiteral("mssql_sum")},
        {QStringLiteral("avg"), QStringLiteral("mssql_avg")},
        {QStringLiteral("object_id"), QStringLiteral("mssql_object_id")},
        {QStringLiteral("columnproperty"), QStringLiteral("mssql_columnproperty")},
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

// The tables a statement names, with their aliases, so that a column's declared type can be found.
struct ScopeTable {
    QString alias;
    QString schema;
    QString table;
};

struct Scope {
    NameResolver* resolver = nullptr;
    std::vector<ScopeTable> tables;

    /// The declared type of the column written at nodes[pos] (a name, possibly "alias.name"), empty when unknown.
    QString columnType(const Nodes& nodes, size_t pos, size_t* end = nullptr) const
    {
        if (!resolver || pos >= nodes.size() || !isNameNode(nodes[pos]) || (pos > 0 && isOp(nodes[pos - 1], ".")))
            return QString();
        const NameParts parts = readName(nodes, pos);
        if (end)
            *end = parts.end;
        if (parts.parts.size() > 2 || (parts.end < nodes.size() && nodes[parts.end].group))
            return QString();
        const QString column = parts.parts.back();
        for (const ScopeTable& table : tables) {
            if (parts.parts.size() == 2 && table.alias.compare(parts.parts[0], Qt::CaseInsensitive) != 0
                && table.table.compare(parts.parts[0], Qt::CaseInsensitive) != 0)
                continue;
            for (const TableColumn& candidate : resolver->columns(table.schema, table.table))
                if (candidate.name.compare(column, Qt::CaseInsensitive) == 0)
                    return candidate.type;
        }
        return QString();
    }
};

bool isReservedWord(const Node& node)
{
    static const QSet<QString> words = {
        QStringLiteral("where"), QStringLiteral("inner"), QStringLiteral("left"), QStringLiteral("right"),
        QStringLiteral("join"), QStringLiteral("on"), QStringLiteral("group"), QStringLiteral("order"),
        QStringLiteral("having"), QStringLiteral("union"), QStringLiteral("set"), QStringLiteral("values"),
        QStringLiteral("select"), QStringLiteral("with"), QStringLiteral("outer"), QStringLiteral("cross"),
        QStringLiteral("full"), QStringLiteral("except"), QStringLiteral("intersect"), QStringLiteral("from"),
        QStringLiteral("default"), QStringLiteral("exec"), QStringLiteral("execute"), QStringLiteral("output"),
    };
    return !node.group && node.token.kind == Token::Kind::Word && words.contains(node.token.text.toLower());
}

void collectScope(const Nodes& nodes, Scope& scope)
{
    for (const Node& node : nodes)
        if (node.group)
            collectScope(node.children, scope);
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        if (!(isWord(nodes[i], "FROM") || isWord(nodes[i], "JOIN") || isWord(nodes[i], "UPDATE") || isWord(nodes[i], "INTO")))
            continue;
        size_t pos = i + 1;
        while (pos < nodes.size() && isNameNode(nodes[pos]) && !isReservedWord(nodes[pos])) {
            const NameParts parts = readName(nodes, pos);
            if (parts.end < nodes.size() && nodes[parts.end].group && !isWord(nodes[i], "INTO") && !isWord(nodes[i], "UPDATE"))
                break; // a function, not a table
            ScopeTable table;
            table.table = parts.parts.back();
            if (parts.parts.size() >= 3) {
                try {
                    table.schema = resolveName(*scope.resolver, parts.parts).schema;
                } catch (const DbError&) {
                    break; // reported when the statement runs
                }
            } else if (parts.parts.size() == 2 && parts.parts[0].compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0) {
                break;
            }
            pos = parts.end;
            if (pos < nodes.size() && isWord(nodes[pos], "AS"))
                ++pos;
            if (pos < nodes.size() && isNameNode(nodes[pos]) && !isReservedWord(nodes[pos]) && !isWord(nodes[pos], "WITH")) {
                table.alias = nodes[pos].token.text;
                ++pos;
            }
            scope.tables.push_back(table);
            if (pos + 1 < nodes.size() && isOp(nodes[pos], ",") && !isWord(nodes[i], "INTO"))
                ++pos;
            else
                break;
        }
    }
}

bool isNumericType(const QString& declared)
{
    const int code = typeCodeForTypeName(declared);
    return code == TypeCode::Numeric || code == TypeCode::Currency;
}

// A column's stored type as T-SQL writes it ("numeric real(18,2)" is numeric(18,2), the row
// number's "INTEGER" is int); empty for none.
QString tsqlType(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    if (stored == QLatin1String("INTEGER"))
        return QStringLiteral("int");
    QString type = stored;
    const qsizetype identity = type.indexOf(QLatin1String(" identity("), 0, Qt::CaseInsensitive);
    if (identity > 0)
        type.truncate(identity);
    return type.replace(QLatin1String(" real"), QString(), Qt::CaseInsensitive);
}

void passFunctions(Nodes& nodes, const Scope* scope = nullptr)
{
    for (Node& node : nodes)
        if (node.group)
            passFunctions(node.children, scope);
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
            // A numeric or money value keeps its scale when it becomes text: the function is told its type.
            QString source;
            size_t nameEnd = 0;
            if (scope && !scope->columnType(args.children, 0, &nameEnd).isEmpty() && nameEnd == as)
                source = scope->columnType(args.children, 0);
            else if (as == 2 && !args.children[0].group && args.children[0].token.kind == Token::Kind::Raw
                     && args.children[0].token.text == QLatin1String("mssql_cast") && args.children[1].group
                     && !args.children[1].children.empty())
                source = args.children[1].children.back().token.text;
            args.children.erase(args.children.begin() + as, args.children.end());
            args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
            args.children.push_back(tokenNode(Token::Kind::String, type));
            args.children.back().token.settled = true;
            if (isNumericType(source)) {
                args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                args.children.push_back(tokenNode(Token::Kind::String, source));
                args.children.back().token.settled = true;
            }
        } else if (lower == QLatin1String("isnull") && scope) {
            // ISNULL gives its first argument's type: the replacement is converted to the column's
            // type ('abcd' into a varchar(2) column's check gives 'ab', 1.9 for an int gives 1).
            const std::vector<Nodes> parts = splitAtCommas(args.children);
            size_t nameEnd = 0;
            const QString type = parts.size() == 2 ? tsqlType(scope->columnType(parts[0], 0, &nameEnd)) : QString();
            if (!type.isEmpty() && nameEnd == parts[0].size()) {
                Node inner;
                inner.group = true;
                inner.children = args.children;
                args.children = {tokenNode(Token::Kind::Raw, QStringLiteral("ifnull")), inner,
                                 tokenNode(Token::Kind::Operator, QStringLiteral(",")), tokenNode(Token::Kind::String, type)};
                args.children.back().token.settled = true;
                name.token.text = QStringLiteral("mssql_cast");
                name.token.kind = Token::Kind::Raw;
                continue;
            }
        } else if (lower == QLatin1String("sum") && scope) {
            // The sum of an int column is an int: the function is told, to refuse what leaves its range.
            size_t nameEnd = 0;
            const QString type = scope->columnType(args.children, 0, &nameEnd).toLower();
            static const QSet<QString> ints = {QStringLiteral("int"), QStringLiteral("integer"), QStringLiteral("smallint"),
                                               QStringLiteral("tinyint")};
            if (nameEnd == args.children.size() && ints.contains(type.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('('), 0, 0))) {
                args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                args.children.push_back(tokenNode(Token::Kind::String, QStringLiteral("int")));
                args.children.back().token.settled = true;
            }
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

// A node that can stand as an operand of "*", "/", "%" or "-": a literal, a name, a variable, a
// group or a function's name.
bool isOperandNode(const Node& node)
{
    if (node.group)
        return true;
    switch (node.token.kind) {
    case Token::Kind::Number:
    case Token::Kind::String:
    case Token::Kind::Variable:
    case Token::Kind::QuotedName:
    case Token::Kind::TempName:
    case Token::Kind::Raw:
        return true;
    case Token::Kind::Word:
        return !isTermDelimiter(node);
    default:
        return false;
    }
}

// Where the operand that ends just before `at` starts; `at` when there is none.
size_t operandStart(const Nodes& nodes, size_t at)
{
    if (at == 0 || !isOperandNode(nodes[at - 1]))
        return at;
    size_t start = at - 1;
    if (nodes[start].group) {
        if (start > 0 && !nodes[start - 1].group && isOperandNode(nodes[start - 1])
            && (nodes[start - 1].token.kind == Token::Kind::Word || nodes[start - 1].token.kind == Token::Kind::Raw))
            --start; // a function's name and its arguments
        else
            return start;
    }
    while (start >= 2 && isOp(nodes[start - 1], ".") && isNameNode(nodes[start - 2]))
        start -= 2;
    return start;
}

// One past the operand that starts at `at` (with a sign); `at` when there is none.
size_t operandEnd(const Nodes& nodes, size_t at)
{
    size_t k = at;
    if (k < nodes.size() && (isOp(nodes[k], "-") || isOp(nodes[k], "+")))
        ++k;
    if (k >= nodes.size() || !isOperandNode(nodes[k]))
        return at;
    if (nodes[k].group)
        return k + 1;
    size_t end = k + 1;
    while (end + 1 < nodes.size() && isOp(nodes[end], ".") && isNameNode(nodes[end + 1]))
        end += 2;
    if (end < nodes.size() && nodes[end].group
        && (nodes[end - 1].token.kind == Token::Kind::Word || nodes[end - 1].token.kind == Token::Kind::Raw))
        ++end; // a function call
    return end;
}

// The type of a numeric expression as SQL Server derives it, where the translator can tell.
struct NumberType {
    enum class Kind { Unknown, Int, BigInt, Money, Decimal, Float };
    Kind kind = Kind::Unknown;
    int precision = 0;
    int scale = 0;
    /// An integer literal: in decimal arithmetic it counts its own digits, not int's ten.
    int literalDigits = 0;

    static NumberType parse(const QString& text)
    {
        NumberType type;
        const DeclaredType declared = DeclaredType::parse(text);
        const QString& base = declared.base;
        if (base == QLatin1String("int") || base == QLatin1String("integer") || base == QLatin1String("smallint")
            || base == QLatin1String("tinyint"))
            type.kind = Kind::Int;
        else if (base == QLatin1String("bigint"))
            type.kind = Kind::BigInt;
        else if (base == QLatin1String("money") || base == QLatin1String("smallmoney"))
            type.kind = Kind::Money;
        else if (base == QLatin1String("float") || base == QLatin1String("real"))
            type.kind = Kind::Float;
        else if (base == QLatin1String("numeric") || base == QLatin1String("decimal")) {
            type.kind = Kind::Decimal;
            type.precision = declared.precision;
            type.scale = declared.scale;
        }
        return type;
    }

    static NumberType literal(const QString& text)
    {
        NumberType type;
        const std::optional<text::Decimal> value = text::Decimal::parse(text);
        if (!value || text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
            return type;
        const bool point = text.contains(QLatin1Char('.'));
        const int digits = value->precision();
        if (!point && value->units() >= std::numeric_limits<qint32>::min() && value->units() <= std::numeric_limits<qint32>::max()) {
            type.kind = Kind::Int;
            type.literalDigits = digits;
        } else if (digits <= 38) {
            // Beyond int, or written with a point: a decimal of the digits written.
            type.kind = Kind::Decimal;
            type.precision = digits;
            type.scale = value->scale();
        }
        return type;
    }

    bool known() const { return kind != Kind::Unknown; }

    /// The type as the engine's arithmetic functions are told it.
    QString text() const
    {
        switch (kind) {
        case Kind::Int:
            return QStringLiteral("int");
        case Kind::BigInt:
            return QStringLiteral("bigint");
        case Kind::Money:
            return QStringLiteral("money");
        case Kind::Decimal:
            return QStringLiteral("decimal(%1,%2)").arg(precision).arg(scale);
        case Kind::Float:
            return QStringLiteral("float");
        case Kind::Unknown:
            break;
        }
        return QString();
    }

    // As a decimal operand: int is decimal(10,0) (a literal its own digits), bigint (19,0), money (19,4).
    void asDecimal(int& p, int& s) const
    {
        s = 0;
        switch (kind) {
        case Kind::Int:
            p = literalDigits > 0 ? literalDigits : 10;
            break;
        case Kind::BigInt:
            p = 19;
            break;
        case Kind::Money:
            p = 19;
            s = 4;
            break;
        default:
            p = precision;
            s = scale;
        }
    }
};

// The type of `a op b` by SQL Server's precedence (float, decimal, money, bigint, int) and its
// precision and scale rules for decimals, reduced to 38 digits as SQL Server reduces them.
NumberType arithmeticType(const NumberType& a, const NumberType& b, QChar op)
{
    using Kind = NumberType::Kind;
    NumberType result;
    if (!a.known() || !b.known())
        return result;
    if (a.kind == Kind::Float || b.kind == Kind::Float) {
        result.kind = Kind::Float;
        return result;
    }
    if (a.kind != Kind::Decimal && b.kind != Kind::Decimal) {
        result.kind = (a.kind == Kind::Money || b.kind == Kind::Money) ? Kind::Money
            : (a.kind == Kind::BigInt || b.kind == Kind::BigInt)      ? Kind::BigInt
                                                                      : Kind::Int;
        return result;
    }
    int p1 = 0, s1 = 0, p2 = 0, s2 = 0;
    a.asDecimal(p1, s1);
    b.asDecimal(p2, s2);
    int p = 0, s = 0;
    const bool additive = op == QLatin1Char('+') || op == QLatin1Char('-');
    if (additive) {
        s = std::max(s1, s2);
        p = s + std::max(p1 - s1, p2 - s2) + 1;
        if (p > 38) {
            s = std::max(0, std::min(s, 38 - std::max(p1 - s1, p2 - s2)));
            p = 38;
        }
    } else {
        if (op == QLatin1Char('*')) {
            p = p1 + p2 + 1;
            s = s1 + s2;
        } else if (op == QLatin1Char('/')) {
            s = std::max(6, s1 + p2 + 1);
            p = p1 - s1 + s2 + s;
        } else {
            s = std::max(s1, s2);
            p = std::min(p1 - s1, p2 - s2) + s;
        }
        if (p > 38) {
            const int integral = p - s;
            if (integral < 32)
                s = std::min(s, 38 - integral);
            else if (s > 6)
                s = 6;
            p = 38;
        }
    }
    result.kind = Kind::Decimal;
    result.precision = std::max(p, 1);
    result.scale = s;
    return result;
}

const QHash<QString, QChar>& arithmeticFunctions()
{
    static const QHash<QString, QChar> functions = {
        {QStringLiteral("mssql_add"), QLatin1Char('+')},      {QStringLiteral("mssql_subtract"), QLatin1Char('-')},
        {QStringLiteral("mssql_multiply"), QLatin1Char('*')}, {QStringLiteral("mssql_divide"), QLatin1Char('/')},
        {QStringLiteral("mssql_modulo"), QLatin1Char('%')},
    };
    return functions;
}

NumberType typeOf(const Nodes& expr, const Scope& scope);

// A CASE gives the type of highest precedence among its results; decimals widen to hold each
// result's integral digits and scale. Unknown when a result's type is not known.
NumberType caseType(const Nodes& expr, const Scope& scope)
{
    using Kind = NumberType::Kind;
    NumberType result;
    bool first = true;
    for (size_t i = 1; i + 1 < expr.size(); ++i) {
        if (!isWord(expr[i], "THEN") && !isWord(expr[i], "ELSE"))
            continue;
        size_t j = i + 1;
        while (j + 1 < expr.size() && !isWord(expr[j], "WHEN") && !isWord(expr[j], "ELSE") && !isWord(expr[j], "END"))
            ++j;
        NumberType branch = typeOf(Nodes(expr.begin() + i + 1, expr.begin() + j), scope);
        if (!branch.known())
            return NumberType();
        i = j - 1;
        if (first) {
            result = branch;
            first = false;
            continue;
        }
        const auto rank = [](Kind kind) { return kind == Kind::Float ? 5 : kind == Kind::Decimal ? 4 : kind == Kind::Money ? 3 : kind == Kind::BigInt ? 2 : 1; };
        if (rank(branch.kind) == 4 || rank(result.kind) == 4) {
            if (rank(branch.kind) == 5 || rank(result.kind) == 5) {
                result.kind = Kind::Float;
                continue;
            }
            int p1 = 0, s1 = 0, p2 = 0, s2 = 0;
            result.asDecimal(p1, s1);
            branch.asDecimal(p2, s2);
            const int scale = std::max(s1, s2);
            result.kind = Kind::Decimal;
            result.precision = std::min(38, std::max(p1 - s1, p2 - s2) + scale);
            result.scale = scale;
            result.literalDigits = 0;
        } else if (rank(branch.kind) > rank(result.kind)) {
            result = branch;
        }
    }
    return result;
}

// The type of one translated expression, Unknown where the translator cannot tell.
NumberType typeOf(const Nodes& expr, const Scope& scope)
{
    if (expr.size() == 1 && expr[0].group)
        return typeOf(expr[0].children, scope);
    if (expr.size() == 2 && !expr[0].group && (isOp(expr[0], "-") || isOp(expr[0], "+")))
        return typeOf(Nodes{expr[1]}, scope);
    if (expr.size() == 1 && !expr[0].group && expr[0].token.kind == Token::Kind::Number)
        return NumberType::literal(expr[0].token.text);
    if (expr.size() == 1 && !expr[0].group && expr[0].token.kind == Token::Kind::Raw && expr[0].token.text.startsWith(QLatin1Char('\'')))
        return NumberType::literal(expr[0].token.text.mid(1, expr[0].token.text.size() - 2)); // a long number literal
    size_t end = 0;
    const QString column = scope.columnType(expr, 0, &end);
    if (!column.isEmpty() && end == expr.size())
        return NumberType::parse(tsqlType(column));
    if (expr.size() > 2 && isWord(expr.front(), "CASE") && isWord(expr.back(), "END"))
        return caseType(expr, scope);
    if (expr.size() != 2 || expr[0].group || !expr[1].group)
        return NumberType();
    const QString name = expr[0].token.text.toLower();
    const std::vector<Nodes> args = splitAtCommas(expr[1].children);
    const auto lastText = [&](const Nodes& arg) {
        return arg.size() == 1 && arg[0].token.kind == Token::Kind::String ? arg[0].token.text : QString();
    };
    if (arithmeticFunctions().contains(name))
        return args.size() == 3 ? NumberType::parse(lastText(args[2])) : NumberType();
    if (name == QLatin1String("mssql_cast") && args.size() >= 2)
        return NumberType::parse(lastText(args[1]));
    if (name == QLatin1String("mssql_convert") && !args.empty())
        return NumberType::parse(lastText(args[0]));
    if (name == QLatin1String("count"))
        return NumberType::parse(QStringLiteral("int"));
    if (args.empty())
        return NumberType();
    NumberType inner = typeOf(args[0], scope);
    if (name == QLatin1String("min") || name == QLatin1String("max") || name == QLatin1String("ifnull"))
        return inner;
    if (name == QLatin1String("mssql_sum") || name == QLatin1String("mssql_avg")) {
        inner.literalDigits = 0;
        if (inner.kind == NumberType::Kind::Decimal) {
            inner.precision = 38;
            if (name == QLatin1String("mssql_avg"))
                inner.scale = std::max(inner.scale, 6);
        }
        return inner;
    }
    return NumberType();
}

// Tells each arithmetic function the type of its result when both operands' types are known, so
// that it rounds to that scale and refuses what leaves an int, as SQL Server does.
void passTypes(Nodes& nodes, const Scope& scope)
{
    for (Node& node : nodes)
        if (node.group)
            passTypes(node.children, scope);
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        if (nodes[i].group || nodes[i].token.kind != Token::Kind::Raw || !nodes[i + 1].group)
            continue;
        const std::vector<Nodes> args = splitAtCommas(nodes[i + 1].children);
        if (nodes[i].token.text == QLatin1String("mssql_cast") && args.size() == 2) {
            // A decimal or money result cast to text keeps its scale: the cast is told the type.
            const NumberType source = typeOf(args[0], scope);
            if (source.kind == NumberType::Kind::Decimal || source.kind == NumberType::Kind::Money) {
                nodes[i + 1].children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                nodes[i + 1].children.push_back(tokenNode(Token::Kind::String, source.text()));
                nodes[i + 1].children.back().token.settled = true;
            }
            continue;
        }
        const auto found = arithmeticFunctions().find(nodes[i].token.text);
        if (found == arithmeticFunctions().end() || args.size() != 2)
            continue;
        const NumberType type = arithmeticType(typeOf(args[0], scope), typeOf(args[1], scope), found.value());
        if (!type.known())
            continue;
        nodes[i + 1].children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
        nodes[i + 1].children.push_back(tokenNode(Token::Kind::String, type.text()));
        nodes[i + 1].children.back().token.settled = true;
    }
}

// The numeric, decimal and money types of a query's select list, "" where the column is of
// another type or not known; empty when the list cannot be read item by item.
std::vector<QString> selectListTypes(const Nodes& nodes, const Scope& scope)
{
    if (nodes.empty() || !isWord(nodes[0], "SELECT"))
        return {};
    size_t start = 1;
    while (start < nodes.size() && (isWord(nodes[start], "DISTINCT") || isWord(nodes[start], "ALL")))
        ++start;
    size_t from = start;
    while (from < nodes.size() && !isWord(nodes[from], "FROM") && !isWord(nodes[from], "LIMIT"))
        ++from;
    for (const Node& node : nodes)
        if (isWord(node, "UNION") || isWord(node, "EXCEPT") || isWord(node, "INTERSECT") || isWord(node, "INTO"))
            return {};
    std::vector<QString> types;
    bool any = false;
    for (Nodes item : splitAtCommas(Nodes(nodes.begin() + start, nodes.begin() + from))) {
        if (item.size() >= 2 && isWord(item[item.size() - 2], "AS"))
            item.resize(item.size() - 2);
        else if (item.size() >= 2 && !item.back().group && isNameNode(item.back()) && !isWord(item.back(), "END")
                 && (item[item.size() - 2].group || item[item.size() - 2].token.kind != Token::Kind::Operator))
            item.pop_back(); // "expr alias"
        const NumberType type = typeOf(item, scope);
        const bool decimal = type.kind == NumberType::Kind::Decimal || type.kind == NumberType::Kind::Money;
        types.push_back(decimal ? type.text() : QString());
        any = any || decimal;
    }
    return any ? types : std::vector<QString>();
}

// "a * b", "a / b", "a % b" and "a - b" computed by the engine's functions: exact decimals,
// whole numbers as whole numbers, and division by zero refused, as SQL Server computes them.
void passArithmetic(Nodes& nodes)
{
    for (Node& node : nodes)
        if (node.group)
            passArithmetic(node.children);
    const auto rewrite = [&](const char* const* ops, const char* const* functions, int count) {
        for (size_t i = 1; i + 1 < nodes.size();) {
            int which = -1;
            for (int o = 0; o < count; ++o)
                if (isOp(nodes[i], ops[o]))
                    which = o;
            const size_t start = which < 0 ? i : operandStart(nodes, i);
            const size_t end = which < 0 ? i : operandEnd(nodes, i + 1);
            if (which < 0 || start == i || end == i + 1) {
                ++i;
                continue;
            }
            Node args;
            args.group = true;
            args.children.assign(nodes.begin() + start, nodes.begin() + i);
            args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
            args.children.insert(args.children.end(), nodes.begin() + i + 1, nodes.begin() + end);
            const Nodes call{tokenNode(Token::Kind::Raw, QString::fromLatin1(functions[which])), args};
            nodes.erase(nodes.begin() + start, nodes.begin() + end);
            nodes.insert(nodes.begin() + start, call.begin(), call.end());
            i = start + 1;
        }
    };
    static const char* const products[] = {"*", "/", "%"};
    static const char* const productFunctions[] = {"mssql_multiply", "mssql_divide", "mssql_modulo"};
    rewrite(products, productFunctions, 3);
    static const char* const differences[] = {"-"};
    static const char* const differenceFunctions[] = {"mssql_subtract"};
    rewrite(differences, differenceFunctions, 1);
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
        if (terms.size() == 1) {
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
        // LIMIT as a word, so that a "+" term before it ends there.
        nodes.insert(nodes.begin() + end, {tokenNode(Token::Kind::Word, QStringLiteral("LIMIT")), tokenNode(Token::Kind::Raw, limit)});
    }
}

// SQL Server converts text written into a date-time or bit column; SQLite would store it as it is.
void settleForColumn(Token& token, int typeCode)
{
    if (token.kind != Token::Kind::String || token.settled)
        return;
    token.settled = true;
    if (typeCode == TypeCode::DBTimeStamp) {
        const QDateTime parsed = text::DateText::parse(token.text);
        if (parsed.isValid()) {
            token.text = text::DateText::storedDateTime(parsed);
            return;
        }
        if (token.text.trimmed().isEmpty()) {
            token.text = text::DateText::storedDateTime(QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC));
            return;
        }
        const QTime time = parseTimeOfDay(token.text);
        if (time.isValid()) {
            token.text = text::DateText::storedDateTime(QDateTime(QDate(1900, 1, 1), time, Qt::UTC));
            return;
        }
        if (ColumnStore::looksLikeDate(token.text))
            throw outOfRangeDate();
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

Node storeCall(const Nodes& value, const TableColumn& column, const QString& object)
{
    Node args;
    args.group = true;
    args.children = value;
    for (const QString& text : {column.type, object, column.name}) {
        args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
        args.children.push_back(tokenNode(Token::Kind::String, text));
        args.children.back().token.settled = true;
    }
    Node call;
    call.group = true; // a group of its own, so the call stays one term for the later passes
    call.children = {tokenNode(Token::Kind::Raw, QStringLiteral("mssql_store")), args};
    return call;
}

const TableColumn* findColumn(const std::vector<TableColumn>& columns, const QString& name)
{
    for (const TableColumn& column : columns)
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return &column;
    return nullptr;
}

// A value on its way into a column: a literal takes the column's type, and anything the column
// checks (length, range, scale, date) goes through mssql_store.
Nodes storedValue(Nodes value, const TableColumn& column, const QString& object)
{
    if (value.size() == 1 && !value[0].group)
        settleForColumn(value[0].token, typeCodeForTypeName(column.type));
    if (!DeclaredType::parse(column.type).isChecked() || (value.size() == 1 && value[0].token.isWord("NULL"))
        || (value.size() == 1 && value[0].token.isWord("DEFAULT")))
        return value;
    return Nodes{storeCall(value, column, object)};
}

// UPDATE ... SET col = value: the value is stored as the column would hold it.
void passAssignments(Nodes& nodes, NameResolver& resolver)
{
    if (nodes.empty() || !isWord(nodes[0], "UPDATE"))
        return;
    size_t end = 0;
    const ResolvedName table = tableAt(resolver, nodes, 1, end);
    const std::vector<TableColumn> columns = resolver.columns(table.schema, table.table);
    const QString object = resolver.objectName(table.schema, table.table);
    size_t pos = end;
    while (pos < nodes.size() && !isWord(nodes[pos], "SET"))
        ++pos;
    ++pos;
    while (pos < nodes.size()) {
        if (isWord(nodes[pos], "WHERE") || isWord(nodes[pos], "FROM"))
            break;
        if (!isNameNode(nodes[pos])) {
            ++pos;
            continue;
        }
        const NameParts name = readName(nodes, pos);
        const size_t eq = name.end;
        size_t stop = eq + 1;
        while (stop < nodes.size() && !isOp(nodes[stop], ",") && !isWord(nodes[stop], "WHERE") && !isWord(nodes[stop], "FROM"))
            ++stop;
        const TableColumn* column = findColumn(columns, name.parts.back());
        if (column && eq < nodes.size() && isOp(nodes[eq], "=") && stop > eq + 1) {
            if (column->identity)
                throw DbError(QStringLiteral("Cannot update identity column '%1'.").arg(column->name), QStringLiteral("42000"), 8102);
            const Nodes value = storedValue(Nodes(nodes.begin() + eq + 1, nodes.begin() + stop), *column, object);
            nodes.erase(nodes.begin() + eq + 1, nodes.begin() + stop);
            nodes.insert(nodes.begin() + eq + 1, value.begin(), value.end());
            stop = eq + 1 + value.size();
        }
        pos = stop;
        if (pos < nodes.size() && isOp(nodes[pos], ","))
            ++pos;
    }
}

bool isPlainColumn(const Nodes& nodes, size_t first, size_t last)
{
    // nodes[first..last] is a name such as Amount or s.Amount, not a call or a literal
    if (first > last || last >= nodes.size() || !isNameNode(nodes[last]) || isWord(nodes[last], "NULL"))
        return false;
    return last + 1 >= nodes.size() || !nodes[last + 1].group;
}

// Where the name that ends at `last` starts ("s . Amount").
size_t nameStart(const Nodes& nodes, size_t last)
{
    size_t first = last;
    while (first >= 2 && isOp(nodes[first - 1], ".") && isNameNode(nodes[first - 2]))
        first -= 2;
    return first;
}

bool isNumberAt(const Nodes& nodes, size_t pos, bool& decimal)
{
    if (pos < nodes.size() && isOp(nodes[pos], "-"))
        ++pos;
    if (pos >= nodes.size() || nodes[pos].group || nodes[pos].token.kind != Token::Kind::Number)
        return false;
    decimal = nodes[pos].token.text.contains(QLatin1Char('.'));
    return pos + 1 >= nodes.size() || !isOp(nodes[pos + 1], ".");
}

Nodes toNumberCall(const Nodes& name, bool decimal)
{
    Node args;
    args.group = true;
    args.children = name;
    args.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
    args.children.push_back(tokenNode(Token::Kind::String, decimal ? QStringLiteral("numeric") : QStringLiteral("int")));
    args.children.back().token.settled = true;
    return Nodes{tokenNode(Token::Kind::Raw, QStringLiteral("mssql_to_number")), args};
}

// Comparisons as SQL Server makes them: a text column compared with a number is converted to
// the number (and fails on text that is no number); a literal compared with anything but a
// column compares as the default collation does, ignoring case and trailing blanks.
void passComparisons(Nodes& nodes, const Scope& scope)
{
    for (Node& node : nodes)
        if (node.group)
            passComparisons(node.children, scope);
    for (size_t i = 1; i + 1 < nodes.size(); ++i) {
        if (!isComparison(nodes[i]))
            continue;
        bool decimal = false;
        // column <op> number
        if (isPlainColumn(nodes, 0, i - 1) && isNumberAt(nodes, i + 1, decimal)) {
            const size_t first = nameStart(nodes, i - 1);
            if (isTextType(typeCodeForTypeName(scope.columnType(nodes, first)))) {
                const Nodes call = toNumberCall(Nodes(nodes.begin() + first, nodes.begin() + i), decimal);
                nodes.erase(nodes.begin() + first, nodes.begin() + i);
                nodes.insert(nodes.begin() + first, call.begin(), call.end());
                i = first + call.size();
            }
        } else if (isPlainColumn(nodes, 0, i - 1) && !nodes[i + 1].group && nodes[i + 1].token.kind == Token::Kind::String) {
            // column <op> text: SQL Server converts the text to the column's type, and fails when
            // it is no number for a whole-number column (245) or no date for a date-time (241).
            const int code = typeCodeForTypeName(scope.columnType(nodes, nameStart(nodes, i - 1)));
            const QString text = nodes[i + 1].token.text;
            static const QRegularExpression whole(QStringLiteral(R"(^\s*[+-]?\d+\s*$)"));
            const bool integer = code == TypeCode::Integer || code == TypeCode::SmallInt || code == TypeCode::TinyInt || code == TypeCode::BigInt;
            if (integer && !whole.match(text).hasMatch()) {
                const Nodes call = toNumberCall(Nodes{nodes[i + 1]}, false);
                nodes.erase(nodes.begin() + i + 1);
                nodes.insert(nodes.begin() + i + 1, call.begin(), call.end());
            } else if (code == TypeCode::DBTimeStamp && !text.trimmed().isEmpty() && !text::DateText::parse(text).isValid()
                       && !ColumnStore::looksLikeDate(text)) {
                Node args;
                args.group = true;
                args.children = {nodes[i + 1], tokenNode(Token::Kind::Operator, QStringLiteral(",")),
                                 tokenNode(Token::Kind::String, QStringLiteral("datetime"))};
                nodes[i + 1] = args;
                nodes.insert(nodes.begin() + i + 1, tokenNode(Token::Kind::Raw, QStringLiteral("mssql_cast")));
            }
        } else if (isPlainColumn(nodes, i + 1, i + 1) && i >= 1) {
            size_t last = i + 1;
            while (last + 2 < nodes.size() && isOp(nodes[last + 1], ".") && isNameNode(nodes[last + 2]))
                last += 2;
            size_t numberAt = i - 1;
            if (numberAt >= 1 && isOp(nodes[numberAt - 1], "-"))
                --numberAt;
            if (isPlainColumn(nodes, i + 1, last) && isNumberAt(nodes, numberAt, decimal)
                && isTextType(typeCodeForTypeName(scope.columnType(nodes, i + 1)))) {
                const Nodes call = toNumberCall(Nodes(nodes.begin() + i + 1, nodes.begin() + last + 1), decimal);
                nodes.erase(nodes.begin() + i + 1, nodes.begin() + last + 1);
                nodes.insert(nodes.begin() + i + 1, call.begin(), call.end());
            }
        }
        // literal <op> expression, expression <op> literal
        auto collate = [&](size_t literal) {
            nodes.insert(nodes.begin() + literal + 1, tokenNode(Token::Kind::Raw, QStringLiteral("COLLATE NOCASE")));
        };
        const bool literalRight = !nodes[i + 1].group && nodes[i + 1].token.kind == Token::Kind::String
            && (i + 2 >= nodes.size() || !isWord(nodes[i + 2], "COLLATE"));
        const bool literalLeft = !nodes[i - 1].group && nodes[i - 1].token.kind == Token::Kind::String;
        if (literalRight && !isPlainColumn(nodes, 0, i - 1))
            collate(i + 1);
        if (literalLeft && !(i + 1 < nodes.size() && isNameNode(nodes[i + 1]) && isPlainColumn(nodes, i + 1, i + 1))) {
            collate(i - 1);
            ++i;
        }
    }
}

// COLLATE DATABASE_DEFAULT: the database's own collation, which ignores case and trailing blanks
// as the engine's text columns do.
void passCollations(Nodes& nodes)
{
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].group)
            passCollations(nodes[i].children);
        else if (i + 1 < nodes.size() && isWord(nodes[i], "COLLATE") && isWord(nodes[i + 1], "DATABASE_DEFAULT"))
            nodes[i + 1] = tokenNode(Token::Kind::Word, QStringLiteral("NOCASE"));
    }
}

bool isAggregate(const Node& node)
{
    static const QSet<QString> names = {QStringLiteral("count"), QStringLiteral("sum"), QStringLiteral("avg"),
                                        QStringLiteral("min"), QStringLiteral("max"), QStringLiteral("count_big"),
                                        QStringLiteral("stdev"), QStringLiteral("var")};
    return !node.group && node.token.kind == Token::Kind::Word && names.contains(node.token.text.toLower());
}

bool hasAggregate(const Nodes& nodes)
{
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (isAggregate(nodes[i]) && i + 1 < nodes.size() && nodes[i + 1].group)
            return true;
        if (nodes[i].group && !(nodes[i].children.size() > 0 && isWord(nodes[i].children[0], "SELECT"))
            && hasAggregate(nodes[i].children))
            return true;
    }
    return false;
}

// A number literal of more than 15 significant digits would reach SQLite as a double and lose
// digits; as text the engine's functions read it exactly.
void passLongLiterals(Nodes& nodes)
{
    for (Node& node : nodes) {
        if (node.group) {
            passLongLiterals(node.children);
            continue;
        }
        if (node.token.kind != Token::Kind::Number || node.token.text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
            continue;
        const std::optional<text::Decimal> value = text::Decimal::parse(node.token.text);
        if (value && value->precision() > 15 && (value->scale() > 0 || !value->toInteger()))
            node.token = Token{Token::Kind::Raw, QLatin1Char('\'') + node.token.text + QLatin1Char('\''), true};
    }
}

// A subquery that stands for one value ("= (select ...)", "select (select ...)", "set x = (select
// ...)") must give at most one row: SQL Server fails with 512 where SQLite would take the first.
// Its single column goes through mssql_single, an aggregate that refuses a second row. A
// subquery that gives one row anyway (TOP, an aggregate, GROUP BY, DISTINCT, UNION) is left as it is.
void passScalarSubqueries(Nodes& nodes)
{
    for (size_t i = 0; i < nodes.size(); ++i) {
        Node& node = nodes[i];
        if (!node.group)
            continue;
        passScalarSubqueries(node.children);
        Nodes& query = node.children;
        if (query.empty() || !isWord(query[0], "SELECT") || i == 0)
            continue;
        const Node& before = nodes[i - 1];
        if (!(isComparison(before) || isWord(before, "SELECT") || isOp(before, ",") || isWord(before, "THEN") || isWord(before, "ELSE")))
            continue;
        size_t from = query.size();
        bool single = true;
        for (size_t k = 1; k < query.size(); ++k) {
            static const char* const several[] = {"TOP", "DISTINCT", "GROUP", "UNION", "EXCEPT", "INTERSECT", "INTO"};
            for (const char* word : several)
                single = single && !isWord(query[k], word);
            if (from == query.size() && isWord(query[k], "FROM"))
                from = k;
            if (from == query.size() && isOp(query[k], ","))
                single = false;
        }
        const Nodes column(query.begin() + 1, query.begin() + from);
        if (!single || from == query.size() || column.empty() || hasAggregate(column))
            continue;
        Node args;
        args.group = true;
        args.children = column;
        query.erase(query.begin() + 1, query.begin() + from);
        query.insert(query.begin() + 1, {tokenNode(Token::Kind::Raw, QStringLiteral("mssql_single")), args});
    }
}

QString itemKey(const Nodes& nodes)
{
    return render(nodes).toLower().remove(QLatin1Char(' '));
}

// The columns of a select item that stand outside every aggregate.
void looseColumns(const Nodes& nodes, std::vector<NameParts>& found)
{
    static const QSet<QString> words = {
        QStringLiteral("null"), QStringLiteral("case"), QStringLiteral("when"), QStringLiteral("then"),
        QStringLiteral("else"), QStringLiteral("end"), QStringLiteral("and"), QStringLiteral("or"),
        QStringLiteral("not"), QStringLiteral("is"), QStringLiteral("in"), QStringLiteral("like"),
        QStringLiteral("between"), QStringLiteral("as"), QStringLiteral("distinct"), QStringLiteral("exists"),
    };
    for (size_t i = 0; i < nodes.size(); ++i) {
        const Node& node = nodes[i];
        if (node.group) {
            if (!(node.children.size() > 0 && isWord(node.children[0], "SELECT")))
                looseColumns(node.children, found);
            continue;
        }
        if (isAggregate(node) && i + 1 < nodes.size() && nodes[i + 1].group) {
            ++i;
            continue;
        }
        if (!isNameNode(node) || (i > 0 && isOp(nodes[i - 1], ".")))
            continue;
        if (node.token.kind == Token::Kind::Word && words.contains(node.token.text.toLower()))
            continue;
        if (i + 1 < nodes.size() && nodes[i + 1].group)
            continue; // a function's name; its arguments are looked at as a group
        if (node.token.kind == Token::Kind::Word && (node.token.text.compare(QLatin1String("AS"), Qt::CaseInsensitive) == 0))
            continue;
        const NameParts name = readName(nodes, i);
        if (name.parts.back() != QLatin1String("*"))
            found.push_back(name);
        i = name.end - 1;
    }
}

// A select list with GROUP BY or aggregates may name a column only inside an aggregate or when it
// is grouped, as SQL Server requires (error 8120).
void checkGrouping(const Nodes& nodes, const Scope& scope)
{
    for (const Node& node : nodes)
        if (node.group)
            checkGrouping(node.children, scope);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!isWord(nodes[i], "SELECT"))
            continue;
        size_t from = i + 1;
        while (from < nodes.size() && !isWord(nodes[from], "FROM") && !isWord(nodes[from], "UNION") && !isWord(nodes[from], "INTO")
               && !isWord(nodes[from], "EXCEPT") && !isWord(nodes[from], "INTERSECT"))
            ++from;
        size_t groupAt = from;
        while (groupAt + 1 < nodes.size() && !isWord(nodes[groupAt], "SELECT") && !isWord(nodes[groupAt], "UNION")
               && !(isWord(nodes[groupAt], "GROUP") && isWord(nodes[groupAt + 1], "BY")))
            ++groupAt;
        const bool grouped = groupAt + 1 < nodes.size() && isWord(nodes[groupAt], "GROUP");
        size_t listStart = i + 1;
        while (listStart < from && (isWord(nodes[listStart], "DISTINCT") || isWord(nodes[listStart], "ALL")))
            ++listStart;
        if (listStart + 1 < from && isWord(nodes[listStart], "TOP"))
            listStart += 2;
        const Nodes list(nodes.begin() + listStart, nodes.begin() + from);
        if (!grouped && !hasAggregate(list))
            continue;
        QSet<QString> groupKeys;
        QSet<QString> groupColumns;
        if (grouped) {
            size_t stop = groupAt + 2;
            while (stop < nodes.size() && !isWord(nodes[stop], "HAVING") && !isWord(nodes[stop], "ORDER")
                   && !isWord(nodes[stop], "UNION") && !isWord(nodes[stop], "EXCEPT") && !isWord(nodes[stop], "INTERSECT"))
                ++stop;
            for (const Nodes& item : splitAtCommas(Nodes(nodes.begin() + groupAt + 2, nodes.begin() + stop))) {
                groupKeys.insert(itemKey(item));
                if (!item.empty() && isNameNode(item[0]) && readName(item, 0).end == item.size())
                    groupColumns.insert(readName(item, 0).parts.back().toLower());
            }
        }
        // The table a loose column belongs to, for the message.
        const auto qualified = [&](const NameParts& column) {
            QString table = column.parts.size() >= 2 ? column.parts[column.parts.size() - 2] : QString();
            if (table.isEmpty())
                for (const ScopeTable& candidate : scope.tables)
                    if (scope.resolver)
                        for (const TableColumn& known : scope.resolver->columns(candidate.schema, candidate.table))
                            if (table.isEmpty() && known.name.compare(column.parts.back(), Qt::CaseInsensitive) == 0)
                                table = candidate.alias.isEmpty() ? candidate.table : candidate.alias;
            return table.isEmpty() ? column.parts.back() : table + QLatin1Char('.') + column.parts.back();
        };
        const auto isTableColumn = [&](const QString& name) {
            for (const ScopeTable& candidate : scope.tables)
                if (scope.resolver)
                    for (const TableColumn& known : scope.resolver->columns(candidate.schema, candidate.table))
                        if (known.name.compare(name, Qt::CaseInsensitive) == 0)
                            return true;
            return false;
        };
        QSet<QString> aliases;
        QSet<QString> listKeys;
        for (const Nodes& item : splitAtCommas(list)) {
            if (item.size() >= 2 && isNameNode(item.back())
                && (item[item.size() - 2].group || item[item.size() - 2].token.kind != Token::Kind::Operator))
                aliases.insert(item.back().token.text.toLower());
            if (item.size() >= 3 && isOp(item[1], "=") && item[0].token.kind != Token::Kind::Variable && isNameNode(item[0]))
                aliases.insert(item[0].token.text.toLower());
        }
        // A select list's alias is no column of GROUP BY.
        for (const QString& key : groupColumns)
            if (aliases.contains(key) && !isTableColumn(key))
                throw DbError(QStringLiteral("Invalid column name '%1'.").arg(key), QStringLiteral("42S22"), 207);
        for (Nodes item : splitAtCommas(list)) {
            // "expr AS name" and "expr name": the alias is no column
            if (item.size() >= 2 && isNameNode(item.back())
                && (item[item.size() - 2].group || item[item.size() - 2].token.kind != Token::Kind::Operator))
                item.pop_back();
            if (!item.empty() && isWord(item.back(), "AS"))
                item.pop_back();
            if (item.size() >= 3 && isOp(item[1], "=") && item[0].token.kind != Token::Kind::Variable && isNameNode(item[0]))
                item.erase(item.begin(), item.begin() + 2); // "name = expr"
            listKeys.insert(itemKey(item));
            if (groupKeys.contains(itemKey(item)))
                continue;
            std::vector<NameParts> loose;
            looseColumns(item, loose);
            for (const NameParts& column : loose) {
                if (groupColumns.contains(column.parts.back().toLower()))
                    continue;
                throw DbError(QStringLiteral("Column '%1' is invalid in the select list because it is not contained in either an "
                                             "aggregate function or the GROUP BY clause.")
                                  .arg(qualified(column)),
                              QStringLiteral("42000"), 8120);
            }
        }
        // HAVING and ORDER BY may name only grouped columns too.
        size_t clause = grouped ? groupAt + 2 : from;
        const auto clauseEnd = [&](size_t at) {
            while (at < nodes.size() && !isWord(nodes[at], "ORDER") && !isWord(nodes[at], "UNION") && !isWord(nodes[at], "EXCEPT")
                   && !isWord(nodes[at], "INTERSECT") && !isWord(nodes[at], "LIMIT") && !isWord(nodes[at], "SELECT"))
                ++at;
            return at;
        };
        while (clause < nodes.size() && !isWord(nodes[clause], "HAVING") && !isWord(nodes[clause], "ORDER")
               && !isWord(nodes[clause], "UNION") && !isWord(nodes[clause], "SELECT"))
            ++clause;
        if (clause < nodes.size() && isWord(nodes[clause], "HAVING")) {
            const size_t stop = clauseEnd(clause + 1);
            std::vector<NameParts> loose;
            looseColumns(Nodes(nodes.begin() + clause + 1, nodes.begin() + stop), loose);
            for (const NameParts& column : loose)
                if (!groupColumns.contains(column.parts.back().toLower()))
                    throw DbError(QStringLiteral("Column '%1' is invalid in the HAVING clause because it is not contained in either an "
                                                 "aggregate function or the GROUP BY clause.")
                                      .arg(qualified(column)),
                                  QStringLiteral("42000"), 8121);
            clause = stop;
        }
        if (clause + 1 < nodes.size() && isWord(nodes[clause], "ORDER") && isWord(nodes[clause + 1], "BY")) {
            size_t stop = clause + 2;
            while (stop < nodes.size() && !isWord(nodes[stop], "UNION") && !isWord(nodes[stop], "EXCEPT")
                   && !isWord(nodes[stop], "INTERSECT") && !isWord(nodes[stop], "LIMIT") && !isWord(nodes[stop], "OFFSET"))
                ++stop;
            for (Nodes item : splitAtCommas(Nodes(nodes.begin() + clause + 2, nodes.begin() + stop))) {
                if (!item.empty() && (isWord(item.back(), "ASC") || isWord(item.back(), "DESC")))
                    item.pop_back();
                if (item.empty() || groupKeys.contains(itemKey(item)) || listKeys.contains(itemKey(item)))
                    continue;
                if (item.size() == 1 && (item[0].token.kind == Token::Kind::Number || aliases.contains(item[0].token.text.toLower())))
                    continue;
                std::vector<NameParts> loose;
                looseColumns(item, loose);
                for (const NameParts& column : loose)
                    if (!groupColumns.contains(column.parts.back().toLower()))
                        throw DbError(QStringLiteral("Column \"%1\" is invalid in the ORDER BY clause because it is not contained in either "
                                                     "an aggregate function or the GROUP BY clause.")
                                          .arg(qualified(column)),
                                      QStringLiteral("42000"), 8127);
            }
        }
    }
}

QString translateExpression(Nodes nodes, NameResolver& resolver, std::vector<QString>* resultTypes = nullptr)
{
    Scope scope;
    scope.resolver = &resolver;
    collectScope(nodes, scope);
    checkGrouping(nodes, scope);
    passLongLiterals(nodes);
    passScalarSubqueries(nodes);
    passAssignments(nodes, resolver);
    passComparisons(nodes, scope);
    passCollations(nodes);
    passNames(nodes, resolver);
    passServerProperty(nodes, resolver);
    passNolock(nodes);
    passDates(nodes);
    passFunctions(nodes, &scope);
    // TOP's count goes first: "+" would otherwise take it into its left term.
    passTop(nodes);
    passArithmetic(nodes);
    passPlus(nodes);
    passTypes(nodes, scope);
    if (resultTypes)
        *resultTypes = selectListTypes(nodes, scope);
    return render(nodes);
}

// The declared types of what "SELECT * FROM t" or "SELECT a, b FROM t" gives, in order; empty
// for any other query.
std::vector<QString> plainSourceTypes(const Nodes& query, NameResolver& resolver)
{
    size_t from = 1;
    while (from < query.size() && !isWord(query[from], "FROM"))
        ++from;
    if (query.empty() || !isWord(query[0], "SELECT") || from + 1 >= query.size() || !isNameNode(query[from + 1]))
        return {};
    size_t end = 0;
    ResolvedName table;
    try {
        table = tableAt(resolver, query, from + 1, end);
    } catch (const DbError&) {
        return {};
    }
    if (end != query.size())
        return {};
    const std::vector<TableColumn> columns = resolver.columns(table.schema, table.table);
    std::vector<QString> types;
    const Nodes list(query.begin() + 1, query.begin() + from);
    if (list.size() == 1 && isOp(list[0], "*")) {
        for (const TableColumn& column : columns)
            types.push_back(column.type);
        return types;
    }
    for (const Nodes& item : splitAtCommas(list)) {
        const TableColumn* column = item.size() == 1 && isNameNode(item[0]) ? findColumn(columns, item[0].token.text) : nullptr;
        if (!column)
            return {};
        types.push_back(column->type);
    }
    return types;
}

// INSERT as SQL Server checks it: an explicit identity value only with IDENTITY_INSERT on and a
// column list, the values as their columns hold them.
QString translateInsert(Nodes nodes, NameResolver& resolver, const QString& identityInsertOn)
{
    size_t pos = 1;
    if (pos < nodes.size() && isWord(nodes[pos], "INTO"))
        ++pos;
    size_t end = 0;
    const ResolvedName table = tableAt(resolver, nodes, pos, end);
    const std::vector<TableColumn> all = resolver.columns(table.schema, table.table);
    if (all.empty())
        return translateExpression(std::move(nodes), resolver); // SQLite names the missing table
    const QString object = resolver.objectName(table.schema, table.table);
    const TableColumn* identity = nullptr;
    for (const TableColumn& column : all)
        if (column.identity)
            identity = &column;
    const bool switchedOn = identity && identityInsertOn.compare(object, Qt::CaseInsensitive) == 0;
    const bool listed = end < nodes.size() && nodes[end].group;
    const size_t sourceAt = listed ? end + 1 : end;
    const bool values = sourceAt < nodes.size() && isWord(nodes[sourceAt], "VALUES");
    const bool select = sourceAt < nodes.size() && (isWord(nodes[sourceAt], "SELECT") || nodes[sourceAt].group);
    if (!values && !select)
        return translateExpression(std::move(nodes), resolver);

    std::vector<TableColumn> targets;
    if (listed) {
        for (const Nodes& name : splitAtCommas(nodes[end].children)) {
            const TableColumn* column = name.empty() ? nullptr : findColumn(all, name.back().token.text);
            if (!column)
                return translateExpression(std::move(nodes), resolver); // SQLite names the unknown column
            targets.push_back(*column);
        }
    }
    QString source;
    size_t supplied = 0;
    if (values) {
        for (size_t v = sourceAt + 1; v < nodes.size() && !supplied; ++v)
            if (nodes[v].group)
                supplied = splitAtCommas(nodes[v].children).size();
    } else {
        source = translateExpression(Nodes(nodes.begin() + sourceAt, nodes.end()), resolver);
        supplied = size_t(resolver.resultColumnCount(source));
    }
    if (!listed) {
        if (identity && supplied == all.size())
            throw DbError(QStringLiteral("An explicit value for the identity column in table '%1' can only be specified when a column "
                                         "list is used and IDENTITY_INSERT is ON.")
                              .arg(object),
                          QStringLiteral("42000"), 8101);
        for (const TableColumn& column : all)
            if (!column.identity)
                targets.push_back(column);
        if (supplied != targets.size())
            throw DbError(QStringLiteral("Column name or number of supplied values does not match table definition."),
                          QStringLiteral("21S01"), 213);
        if (identity) {
            // The values fill the other columns, as SQL Server reads them; SQLite needs them named.
            Node list;
            list.group = true;
            for (const TableColumn& column : targets) {
                if (!list.children.empty())
                    list.children.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                list.children.push_back(tokenNode(Token::Kind::QuotedName, column.name));
            }
            nodes.insert(nodes.begin() + end, list);
        }
    } else {
        if (supplied > 0 && supplied != targets.size()) {
            const bool more = targets.size() > supplied;
            if (values)
                throw DbError(QStringLiteral("There are %1 columns in the INSERT statement than values specified in the VALUES clause. The "
                                             "number of values in the VALUES clause must match the number of columns specified in the "
                                             "INSERT statement.")
                                  .arg(more ? QLatin1String("more") : QLatin1String("fewer")),
                              QStringLiteral("21S01"), more ? 109 : 110);
            throw DbError(QStringLiteral("The select list for the INSERT statement contains %1 items than the insert list. The number of "
                                         "SELECT values must match the number of INSERT columns.")
                              .arg(more ? QLatin1String("fewer") : QLatin1String("more")),
                          QStringLiteral("21S01"), more ? 120 : 121);
        }
        bool identityGiven = false;
        for (const TableColumn& column : targets)
            identityGiven = identityGiven || column.identity;
        if (identityGiven && !switchedOn)
            throw DbError(QStringLiteral("Cannot insert explicit value for identity column in table '%1' when IDENTITY_INSERT is set to OFF.")
                              .arg(table.table),
                          QStringLiteral("23000"), 544);
        if (!identityGiven && switchedOn)
            throw DbError(QStringLiteral("Explicit value must be specified for identity column in table '%1' either when IDENTITY_INSERT "
                                         "is set to ON or when a replication user is inserting into a NOT FOR REPLICATION identity column.")
                              .arg(table.table),
                          QStringLiteral("23000"), 545);
    }
    const size_t valuesAt = listed || !identity ? sourceAt : sourceAt + 1;

    if (values) {
        for (size_t v = valuesAt + 1; v < nodes.size(); ++v) {
            if (!nodes[v].group)
                continue;
            std::vector<Nodes> items = splitAtCommas(nodes[v].children);
            if (items.size() != targets.size())
                break; // SQLite reports the count
            Nodes rebuilt;
            for (size_t k = 0; k < items.size(); ++k) {
                if (k > 0)
                    rebuilt.push_back(tokenNode(Token::Kind::Operator, QStringLiteral(",")));
                const Nodes value = storedValue(std::move(items[k]), targets[k], object);
                rebuilt.insert(rebuilt.end(), value.begin(), value.end());
            }
            nodes[v].children = std::move(rebuilt);
        }
        return translateExpression(std::move(nodes), resolver);
    }

    // A column read from a table that declares it alike already holds values that fit (a
    // bulk transfer's stage, made with SELECT * INTO); only the others are checked.
    const std::vector<QString> sourceTypes = plainSourceTypes(Nodes(nodes.begin() + sourceAt, nodes.end()), resolver);
    std::vector<bool> check(targets.size());
    bool checked = false;
    for (size_t k = 0; k < targets.size(); ++k) {
        const bool alike = k < sourceTypes.size() && sourceTypes[k].compare(targets[k].type, Qt::CaseInsensitive) == 0;
        check[k] = !alike && DeclaredType::parse(targets[k].type).isChecked();
        checked = checked || check[k];
    }
    Nodes head(nodes.begin(), nodes.begin() + valuesAt);
    if (!checked || supplied != targets.size())
        return translateExpression(std::move(head), resolver) + QLatin1Char(' ') + source;
    // The query's rows pass through mssql_store on their way in.
    QStringList names, stored;
    for (size_t k = 0; k < targets.size(); ++k) {
        const QString name = QStringLiteral("c%1").arg(k + 1);
        names << name;
        stored << (check[k] ? render(Nodes{storeCall(Nodes{tokenNode(Token::Kind::Raw, name)}, targets[k], object)})
                       : name);
    }
    return QStringLiteral("WITH mssql_source(%1) AS (%2) ").arg(names.join(QLatin1Char(',')), source)
        + translateExpression(std::move(head), resolver) + QStringLiteral(" SELECT ") + stored.join(QStringLiteral(", "))
        + QStringLiteral(" FROM mssql_source");
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

// A column definition read into its parts, the same way for what the program sends and for the
// engine's own stored CREATE text.
struct ColumnParts {
    QString name;
    Nodes type; ///< the type words, each with its "(...)"
    bool identity = false;
    long long identitySeed = 1;
    long long identityStep = 1;
    bool primaryKey = false;
    bool notNull = false;
    bool collate = false; ///< a COLLATE clause is among `rest`, already SQLite's
    Nodes rest;           ///< every other clause, in order
};

enum class ColumnText {
    Tsql,
    /// The engine's own CREATE text, where a scaled number's type carries SQLite's "real" affinity
    /// word ("numeric real(18,2)"), and whose expressions are SQLite's already.
    Stored,
};

ColumnParts readColumn(const Nodes& nodes, ColumnText text)
{
    ColumnParts column;
    column.name = nameText(nodes, 0);
    size_t pos = 1;
    const auto typeWord = [&](const Node& node) {
        if (node.group)
            return false;
        if (column.type.empty())
            return node.token.kind == Token::Kind::Word || node.token.kind == Token::Kind::QuotedName;
        return node.token.isWord("varying") || node.token.isWord("precision")
            || (text == ColumnText::Stored && node.token.isWord("real"));
    };
    while (pos < nodes.size() && typeWord(nodes[pos])) {
        column.type.push_back(nodes[pos++]);
        if (pos < nodes.size() && nodes[pos].group)
            column.type.push_back(nodes[pos++]);
    }
    if (column.type.empty())
        throw syntaxError(column.name);

    for (size_t i = pos; i < nodes.size(); ++i) {
        const Node& node = nodes[i];
        if (isWord(node, "IDENTITY")) {
            column.identity = true;
            if (i + 1 < nodes.size() && nodes[i + 1].group) {
                const std::vector<Nodes> arguments = splitAtCommas(nodes[i + 1].children);
                bool ok = false;
                const long long seed = arguments.empty() ? 1 : render(arguments[0]).remove(QLatin1Char(' ')).toLongLong(&ok);
                if (ok)
                    column.identitySeed = seed;
                const long long step = arguments.size() < 2 ? 1 : render(arguments[1]).remove(QLatin1Char(' ')).toLongLong(&ok);
                if (ok && step != 0)
                    column.identityStep = step;
                ++i;
            }
            continue;
        }
        if (isWord(node, "CLUSTERED") || isWord(node, "NONCLUSTERED") || isWord(node, "ROWGUIDCOL"))
            continue;
        if (isWord(node, "PRIMARY") && i + 1 < nodes.size() && isWord(nodes[i + 1], "KEY")) {
            column.primaryKey = true;
            ++i;
            continue;
        }
        if (isWord(node, "NOT") && i + 1 < nodes.size() && isWord(nodes[i + 1], "NULL")) {
            column.notNull = true;
            ++i;
            continue;
        }
        if (isWord(node, "NULL")) {
            column.notNull = false;
            continue;
        }
        if (isWord(node, "COLLATE") && i + 1 < nodes.size()) {
            // SQL Server collations ending in _CI_ ignore case; SQLite has ASCII case folding for that.
            const bool ci = nodes[i + 1].token.text.contains(QLatin1String("_CI"), Qt::CaseInsensitive)
                || nodes[i + 1].token.isWord("NOCASE");
            column.rest.push_back(node);
            column.rest.push_back(tokenNode(Token::Kind::Word, ci ? QStringLiteral("NOCASE") : QStringLiteral("BINARY")));
            column.collate = true;
            ++i;
            continue;
        }
        if (isWord(node, "DEFAULT") && i + 2 < nodes.size() && !nodes[i + 1].group && nodes[i + 2].group
            && nodes[i + 1].token.kind == Token::Kind::Word) {
            // SQLite wants an expression default in parentheses.
            Node wrapped;
            wrapped.group = true;
            wrapped.children = {nodes[i + 1], nodes[i + 2]};
            column.rest.push_back(node);
            column.rest.push_back(wrapped);
            i += 2;
            continue;
        }
        column.rest.push_back(node);
    }
    if (text == ColumnText::Tsql)
        passFunctions(column.rest);
    return column;
}

// The type as SQLite keeps it: scaled numbers and money get REAL affinity, "(max)" is dropped, a
// varchar without a length is varchar(1).
QString storedType(const QString& type, int code)
{
    const qsizetype paren = type.indexOf(QLatin1Char('('));
    const bool scaled = code == TypeCode::Numeric && paren > 0 && type.contains(QLatin1Char(','))
        && type.mid(type.indexOf(QLatin1Char(',')) + 1).remove(QLatin1Char(')')).trimmed().toInt() > 0;
    if (type.endsWith(QLatin1String("(max)"), Qt::CaseInsensitive))
        return type.left(paren); // SQLite takes only numbers as type arguments
    if (paren < 0 && (type.compare(QLatin1String("varchar"), Qt::CaseInsensitive) == 0
                      || type.compare(QLatin1String("nvarchar"), Qt::CaseInsensitive) == 0))
        return type + QStringLiteral("(1)"); // declared without a length: one character
    if (scaled)
        return type.left(paren) + QStringLiteral(" real") + type.mid(paren);
    if (code == TypeCode::Currency && paren < 0)
        return type + QStringLiteral(" real");
    return type;
}

// The tokens of a node list again, with the parentheses of its groups.
TokenList flatten(const Nodes& nodes)
{
    TokenList tokens;
    const std::function<void(const Nodes&)> add = [&](const Nodes& part) {
        for (const Node& node : part) {
            if (node.group) {
                tokens.push_back(Token{Token::Kind::Operator, QStringLiteral("("), false});
                add(node.children);
                tokens.push_back(Token{Token::Kind::Operator, QStringLiteral(")"), false});
            } else {
                tokens.push_back(node.token);
            }
        }
    };
    add(nodes);
    return tokens;
}

// The counter of an IDENTITY column that is not SQLite's row number, as SQLite statements that
// follow the CREATE TABLE: one row in the database's mssql_identity table, and a trigger that, after
// each insert, draws the next number for a row written without one, or moves the counter past an
// explicit value (IDENTITY_INSERT ON) beyond it. A number is drawn once: deleting rows does not
// give it back. Past the type's range the insert fails, as SQL Server's does.
QString identityCounter(const QString& schema, const QString& table, const ColumnDefinition& column)
{
    qint64 low = 0, high = 0;
    const QString base = column.type.toLower();
    ColumnStore::integerRange(base, low, high);
    const QString name = quoteText(table);
    const QString value = QStringLiteral("NEW.") + quoteName(column.name);
    const QString beyond = column.identityStep > 0 ? QStringLiteral(">") : QStringLiteral("<");
    const QString typeName = base == QLatin1String("integer") ? QStringLiteral("int") : base;
    return QStringLiteral("; CREATE TABLE IF NOT EXISTS %1.mssql_identity (name TEXT PRIMARY KEY COLLATE NOCASE, seed INTEGER, "
                          "step INTEGER, seq INTEGER)"
                          "; INSERT OR REPLACE INTO %1.mssql_identity (name, seed, step, seq) VALUES (%2, %3, %4, NULL)"
                          "; CREATE TRIGGER %1.%5 AFTER INSERT ON %6 FOR EACH ROW BEGIN "
                          "UPDATE mssql_identity SET seq = CASE WHEN %7 IS NULL THEN coalesce(seq + step, seed) "
                          "WHEN seq IS NULL OR %7 %8 seq THEN %7 ELSE seq END WHERE name = %2; "
                          "SELECT RAISE(ABORT, 'Arithmetic overflow error converting IDENTITY to data type %9.') "
                          "FROM mssql_identity WHERE name = %2 AND %7 IS NULL AND (seq < %10 OR seq > %11); "
                          "UPDATE %6 SET %12 = (SELECT seq FROM mssql_identity WHERE name = %2) WHERE rowid = NEW.rowid AND %7 IS NULL; "
                          "END")
        .arg(quoteName(schema), name, QString::number(column.identitySeed), QString::number(column.identityStep),
             quoteName(QStringLiteral("mssql_identity_") + table), quoteName(table), value, beyond, typeName)
        .arg(QString::number(low), QString::number(high), quoteName(column.name));
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

QString TsqlTranslator::quoteName(const QString& name)
{
    return db::embedded::quoteName(name);
}

ColumnDefinition TsqlTranslator::columnDefinition(const TokenList& tokens)
{
    const ColumnParts parts = readColumn(buildTree(tokens), ColumnText::Tsql);
    ColumnDefinition column;
    column.name = parts.name;
    column.type = compactType(parts.type);
    column.notNull = parts.notNull;
    const int code = typeCodeForTypeName(column.type);
    column.storedType = storedType(column.type, code);

    QString definition = quoteName(column.name) + QLatin1Char(' ');
    const QString base = column.type.toLower();
    if (parts.identity && parts.primaryKey && parts.identityStep == 1
        && (base == QLatin1String("int") || base == QLatin1String("integer"))) {
        // INTEGER PRIMARY KEY is SQLite's row number; AUTOINCREMENT keeps the highest number ever
        // drawn, so a number is not drawn again after its row is deleted, as IDENTITY does.
        column.type = QStringLiteral("INTEGER");
        column.identitySeed = parts.identitySeed;
        definition += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    } else if (parts.identity) {
        // Any other IDENTITY column: a key of another type, a step other than 1, a column that is
        // not the key. The table's counter fills it after the row is written, so the column
        // itself takes NULL until then; its type keeps "identity(seed,step)" for the catalog.
        static const QSet<QString> integers = {QStringLiteral("tinyint"), QStringLiteral("smallint"), QStringLiteral("int"),
                                               QStringLiteral("integer"), QStringLiteral("bigint")};
        if (!integers.contains(base))
            throw unsupported(QStringLiteral("an IDENTITY column of type ") + column.type);
        column.identitySeed = parts.identitySeed;
        column.identityStep = parts.identityStep;
        column.countedIdentity = true;
        column.notNull = false;
        definition += QStringLiteral("%1 identity(%2,%3)").arg(column.storedType).arg(parts.identitySeed).arg(parts.identityStep);
        if (parts.primaryKey)
            definition += QStringLiteral(" PRIMARY KEY");
    } else {
        definition += column.storedType;
        if (isTextType(code) && !parts.collate)
            definition += QStringLiteral(" COLLATE NOCASE");
        if (parts.primaryKey)
            definition += QStringLiteral(" PRIMARY KEY");
        if (column.notNull || parts.primaryKey)
            definition += QStringLiteral(" NOT NULL");
    }
    if (!parts.rest.empty())
        definition += QLatin1Char(' ') + db::embedded::render(parts.rest);
    column.definition = definition;
    return column;
}

QString TsqlTranslator::changedColumn(const TokenList& stored, const ColumnDefinition& column)
{
    // The column keeps its key and its other clauses (a default); the new type and nullability
    // replace the old, and the collation follows the new type.
    const ColumnParts parts = readColumn(buildTree(stored), ColumnText::Stored);
    QString definition = quoteName(parts.name) + QLatin1Char(' ') + column.storedType;
    if (isTextType(typeCodeForTypeName(column.type)))
        definition += QStringLiteral(" COLLATE NOCASE");
    if (column.notNull)
        definition += QStringLiteral(" NOT NULL");
    if (parts.primaryKey)
        definition += QStringLiteral(" PRIMARY KEY");
    Nodes kept;
    for (size_t i = 0; i < parts.rest.size(); ++i) {
        if (isWord(parts.rest[i], "COLLATE")) {
            ++i;
            continue;
        }
        kept.push_back(parts.rest[i]);
    }
    if (!kept.empty())
        definition += QLatin1Char(' ') + db::embedded::render(kept);
    return definition;
}

Statement TsqlTranslator::translate(const TokenList& tokens)
{
    if (tokens.empty())
        return Statement();
    using Handler = Statement (TsqlTranslator::*)(const TokenList&);
    struct Kind {
        const char* first;
        const char* second; ///< nullptr: any
        Handler handler;
    };
    static const Kind kinds[] = {
        {"SET", nullptr, &TsqlTranslator::setOption},
        {"BEGIN", nullptr, &TsqlTranslator::transactionControl},
        {"COMMIT", nullptr, &TsqlTranslator::transactionControl},
        {"ROLLBACK", nullptr, &TsqlTranslator::transactionControl},
        {"IF", nullptr, &TsqlTranslator::ifExists},
        {"EXEC", nullptr, &TsqlTranslator::exec},
        {"EXECUTE", nullptr, &TsqlTranslator::exec},
        {"CREATE", "DATABASE", &TsqlTranslator::database},
        {"DROP", "DATABASE", &TsqlTranslator::database},
        {"CREATE", "TABLE", &TsqlTranslator::createTable},
        {"ALTER", "TABLE", &TsqlTranslator::alterTable},
        {"SELECT", nullptr, &TsqlTranslator::select},
        {"INSERT", nullptr, &TsqlTranslator::insert},
    };
    for (const Kind& kind : kinds)
        if (tokens[0].isWord(kind.first) && (!kind.second || (tokens.size() > 1 && tokens[1].isWord(kind.second))))
            return (this->*kind.handler)(tokens);
    return query(tokens);
}

Statement TsqlTranslator::setOption(const TokenList& tokens)
{
    const auto second = [&](const char* word) { return tokens.size() > 1 && tokens[1].isWord(word); };
    if (second("IDENTITY_INSERT"))
        return identityInsert(tokens);
    static const char* const accepted[] = {"NOCOUNT", "LANGUAGE", "DATEFORMAT", "ANSI_NULLS", "QUOTED_IDENTIFIER",
                                           "ANSI_WARNINGS", "ANSI_PADDING", "ARITHABORT", "XACT_ABORT",
                                           "CONCAT_NULL_YIELDS_NULL", "TRANSACTION", "DEADLOCK_PRIORITY"};
    for (const char* option : accepted)
        if (second(option))
            return Statement();
    throw unsupported(QStringLiteral("SET %1").arg(tokens.size() > 1 ? tokens[1].text : QString()));
}

Statement TsqlTranslator::identityInsert(const TokenList& tokens)
{
    const Nodes nodes = buildTree(tokens);
    size_t end = 0;
    const ResolvedName table = tableAt(m_resolver, nodes, 2, end);
    if (end + 1 != nodes.size() || !(isWord(nodes[end], "ON") || isWord(nodes[end], "OFF")))
        throw syntaxError(QStringLiteral("IDENTITY_INSERT"));
    const std::vector<TableColumn> columns = m_resolver.columns(table.schema, table.table);
    if (columns.empty())
        throw DbError(QStringLiteral("Cannot find the object \"%1\" because it does not exist or you do not have permissions.")
                          .arg(table.table),
                      QStringLiteral("42S02"), 1088);
    bool identity = false;
    for (const TableColumn& column : columns)
        identity = identity || column.identity;
    if (!identity)
        throw DbError(QStringLiteral("Table '%1' does not have the identity property. Cannot perform SET operation.").arg(table.table),
                      QStringLiteral("42000"), 8106);
    const QString object = m_resolver.objectName(table.schema, table.table);
    if (isWord(nodes[end], "ON")) {
        if (!m_identityInsert.isEmpty() && m_identityInsert.compare(object, Qt::CaseInsensitive) != 0)
            throw DbError(QStringLiteral("IDENTITY_INSERT is already ON for table '%1'. Cannot perform SET operation for table '%2'.")
                              .arg(m_identityInsert, table.table),
                          QStringLiteral("42000"), 8107);
        m_identityInsert = object;
    } else if (m_identityInsert.compare(object, Qt::CaseInsensitive) == 0) {
        m_identityInsert.clear();
    }
    return Statement();
}

Statement TsqlTranslator::transactionControl(const TokenList& tokens)
{
    Statement statement;
    if (tokens[0].isWord("COMMIT"))
        statement.kind = Statement::Kind::Commit;
    else if (tokens[0].isWord("ROLLBACK"))
        statement.kind = Statement::Kind::Rollback;
    else if (tokens.size() == 1 || tokens[1].isWord("TRAN") || tokens[1].isWord("TRANSACTION"))
        statement.kind = Statement::Kind::Begin;
    else
        return query(tokens); // any other BEGIN goes to SQLite as it is, and fails there
    return statement;
}

Statement TsqlTranslator::ifExists(const TokenList& tokens)
{
    Statement statement;
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

Statement TsqlTranslator::exec(const TokenList& tokens)
{
    const Nodes nodes = buildTree(tokens);
    if (nodes.size() < 2 || !isNameNode(nodes[1]))
        throw syntaxError(tokens[0].text);
    const NameParts name = readName(nodes, 1);
    Statement statement;
    statement.kind = Statement::Kind::Exec;
    statement.name = name.parts.back().toLower();
    for (const Nodes& argument : splitAtCommas(Nodes(nodes.begin() + name.end, nodes.end()))) {
        ProcedureArgument parsed;
        if (argument.size() >= 2 && !argument[0].group && argument[0].token.kind == Token::Kind::Variable && isOp(argument[1], "=")) {
            parsed.name = argument[0].token.text.mid(1).toLower();
            parsed.value = argumentValue(Nodes(argument.begin() + 2, argument.end()));
        } else {
            parsed.value = argumentValue(argument);
        }
        statement.arguments.push_back(parsed);
    }
    return statement;
}

Statement TsqlTranslator::database(const TokenList& tokens)
{
    const Nodes nodes = buildTree(tokens);
    Statement statement;
    statement.kind = tokens[0].isWord("CREATE") ? Statement::Kind::CreateDatabase : Statement::Kind::DropDatabase;
    statement.name = nameText(nodes, 2);
    if (nodes.size() > 3)
        throw unsupported(QStringLiteral("options of %1 DATABASE").arg(tokens[0].text.toUpper()));
    return statement;
}

Statement TsqlTranslator::createTable(const TokenList& tokens)
{
    const Nodes nodes = buildTree(tokens);
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
    std::optional<long long> seed;
    std::optional<ColumnDefinition> counted;
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
        const ColumnDefinition column = columnDefinition(flatten(element));
        QString definition = column.definition;
        if (keyColumns.contains(column.name.toLower()) && !column.notNull && !definition.contains(QLatin1String("PRIMARY KEY")))
            definition += QStringLiteral(" NOT NULL");
        definitions << definition;
        if (column.countedIdentity)
            counted = column;
        else if (column.identitySeed != 0)
            seed = column.identitySeed;
    }
    Statement statement;
    statement.kind = Statement::Kind::Sql;
    statement.sql = QStringLiteral("CREATE TABLE ")
        + (table.schema.isEmpty() ? quoteName(table.table) : quoteName(table.schema) + QLatin1Char('.') + quoteName(table.table))
        + QStringLiteral(" (") + definitions.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (seed && *seed != 1) {
        // The first row is numbered after the counter: the seed less one.
        statement.sql += QStringLiteral("; INSERT INTO %1.sqlite_sequence (name, seq) VALUES (%2, %3)")
                             .arg(table.schema.isEmpty() ? QStringLiteral("main") : quoteName(table.schema),
                                  QLatin1Char('\'') + QString(table.table).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''),
                                  QString::number(*seed - 1));
    }
    if (counted)
        statement.sql += identityCounter(table.schema.isEmpty() ? QStringLiteral("main") : table.schema, table.table, *counted);
    return statement;
}

Statement TsqlTranslator::alterTable(const TokenList& tokens)
{
    const Nodes nodes = buildTree(tokens);
    size_t end = 0;
    const ResolvedName table = tableAt(m_resolver, nodes, 2, end);
    Statement statement;
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
                if (statement.columns.back().countedIdentity)
                    throw unsupported(QStringLiteral("adding an IDENTITY column to a table"));
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

Statement TsqlTranslator::select(const TokenList& tokens)
{
    Nodes nodes = buildTree(tokens);
    // SELECT ... INTO name FROM ...: a new table made from the query.
    for (size_t i = 1; i + 1 < nodes.size(); ++i) {
        if (isWord(nodes[i], "FROM"))
            break;
        if (!isWord(nodes[i], "INTO") || !isNameNode(nodes[i + 1]))
            continue;
        Statement statement;
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
                    statement.sql = QLatin1Char(' ') + translateExpression(Nodes(nodes.begin() + sourceEnd, nodes.end()), m_resolver);
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
    Statement statement;
    statement.kind = Statement::Kind::Sql;
    statement.sql = translateExpression(std::move(nodes), m_resolver, &statement.resultTypes);
    return statement;
}

Statement TsqlTranslator::insert(const TokenList& tokens)
{
    Statement statement;
    statement.kind = Statement::Kind::Sql;
    statement.changesRows = true;
    statement.sql = translateInsert(buildTree(tokens), m_resolver, m_identityInsert);
    return statement;
}

Statement TsqlTranslator::query(const TokenList& tokens)
{
    Statement statement;
    statement.kind = Statement::Kind::Sql;
    statement.changesRows = tokens[0].isWord("UPDATE") || tokens[0].isWord("DELETE");
    statement.sql = translateExpression(buildTree(tokens), m_resolver);
    return statement;
}

} // namespace db::embedded
