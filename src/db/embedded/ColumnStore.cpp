#include "db/embedded/ColumnStore.h"

#include "text/DateText.h"
#include "text/Decimal.h"
#include "db/embedded/SqlFunctions.h"
#include "db/embedded/SqliteValues.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>
#include <QtNumeric>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace db::embedded {

namespace {

// The name SQL Server gives the type of a value in its conversion messages.
QString sourceTypeName(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QStringLiteral("int");
    case SQLITE_FLOAT:
        return QStringLiteral("float");
    default:
        return QStringLiteral("varchar");
    }
}

bool isTextBase(const QString& base)
{
    return base == QLatin1String("varchar") || base == QLatin1String("char") || base == QLatin1String("nvarchar")
        || base == QLatin1String("nchar") || base == QLatin1String("character");
}

bool isIntegerBase(const QString& base)
{
    return base == QLatin1String("int") || base == QLatin1String("integer") || base == QLatin1String("bigint")
        || base == QLatin1String("smallint") || base == QLatin1String("tinyint");
}

bool isDecimalBase(const QString& base)
{
    return base == QLatin1String("numeric") || base == QLatin1String("decimal") || base == QLatin1String("money")
        || base == QLatin1String("smallmoney");
}

bool isDateBase(const QString& base)
{
    return base == QLatin1String("datetime") || base == QLatin1String("smalldatetime") || base == QLatin1String("date")
        || base == QLatin1String("datetime2");
}

// A value as the exact decimal it stands for, or empty when it is not a number.
std::optional<text::Decimal> decimalValue(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_FLOAT:
        return text::Decimal::fromDouble(sqlite3_value_double(value));
    case SQLITE_INTEGER:
        return text::Decimal::fromInteger(sqlite3_value_int64(value));
    case SQLITE_NULL:
        return std::nullopt;
    default:
        return text::Decimal::parse(valueText(value));
    }
}

// Reads a number written as a whole number of an integer type: "12", " -7 ".
bool wholeNumber(const QString& text, qint64& number)
{
    static const QRegularExpression whole(QStringLiteral(R"(^\s*[+-]?\d+\s*$)"));
    if (!whole.match(text).hasMatch())
        return false;
    bool ok = false;
    number = text.trimmed().toLongLong(&ok);
    return ok;
}


void storeInteger(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type)
{
    const QString name = type.base == QLatin1String("integer") ? QStringLiteral("int") : type.base;
    qint64 number = 0;
    const int kind = sqlite3_value_type(value);
    if (kind == SQLITE_INTEGER) {
        number = sqlite3_value_int64(value);
    } else if (kind == SQLITE_FLOAT) {
        // A number with decimals loses them toward zero, as SQL Server converts it.
        const double real = std::trunc(sqlite3_value_double(value));
        if (!(real >= -9.2e18 && real <= 9.2e18)) {
            resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(name));
            return;
        }
        number = qint64(real);
    } else if (valueText(value).trimmed().isEmpty()) {
        number = 0; // blank text converts to 0, as SQL Server converts it
    } else if (!wholeNumber(valueText(value), number)) {
        resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                                 .arg(valueText(value), name));
        return;
    }
    qint64 low = 0, high = 0;
    ColumnStore::integerRange(type.base, low, high);
    if (number < low || number > high) {
        resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(name));
        return;
    }
    sqlite3_result_int64(context, number);
}

void storeBit(sqlite3_context* context, sqlite3_value* value)
{
    const int kind = sqlite3_value_type(value);
    if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) {
        sqlite3_result_int(context, sqlite3_value_double(value) != 0 ? 1 : 0);
        return;
    }
    const QString text = valueText(value).trimmed();
    qint64 number = 0;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        sqlite3_result_int(context, text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ? 1 : 0);
    else if (wholeNumber(text, number))
        sqlite3_result_int(context, number != 0 ? 1 : 0);
    else
        resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type bit.").arg(text));
}

void storeDecimal(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type)
{
    const bool money = type.base == QLatin1String("money") || type.base == QLatin1String("smallmoney");
    const std::optional<text::Decimal> exact = decimalValue(value);
    if (!exact) {
        if (money)
            resultError(context, QStringLiteral("Cannot convert a char value to money. The char value has incorrect syntax."));
        else
            resultError(context, QStringLiteral("Error converting data type varchar to numeric."));
        return;
    }
    const int scale = money ? 4 : std::max(type.scale, 0);
    const int precision = money ? (type.base == QLatin1String("money") ? 19 : 10) : (type.precision > 0 ? type.precision : 18);
    const text::Decimal rounded = exact->rounded(scale);
    bool overflow = rounded.integerDigits() > precision - scale;
    if (money && !overflow) {
        static const text::Decimal largestMoney = *text::Decimal::parse(u"922337203685477.5807");
        static const text::Decimal largestSmallMoney = *text::Decimal::parse(u"214748.3647");
        const text::Decimal& limit = type.base == QLatin1String("money") ? largestMoney : largestSmallMoney;
        overflow = rounded.compare(limit) > 0 || (rounded + limit).isNegative();
    }
    if (overflow) {
        if (money)
            resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(type.base));
        else
            resultError(context, QStringLiteral("Arithmetic overflow error converting %1 to data type numeric.").arg(sourceTypeName(value)));
        return;
    }
    ColumnStore::resultDecimal(context, rounded);
}

void storeText(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type, const QString& table, const QString& column)
{
    if (type.length <= 0 || sqlite3_value_type(value) == SQLITE_BLOB) {
        sqlite3_result_value(context, value);
        return;
    }
    QString text = valueText(value);
    if (text.size() <= type.length) {
        if (sqlite3_value_type(value) == SQLITE_TEXT)
            sqlite3_result_value(context, value);
        else
            resultText(context, text);
        return;
    }
    // Blanks past the end are dropped without a word, as SQL Server does with ANSI_PADDING on.
    qsizetype end = text.size();
    while (end > type.length && text.at(end - 1) == QLatin1Char(' '))
        --end;
    if (end > type.length) {
        resultError(context, QStringLiteral("String or binary data would be truncated in table '%1', column '%2'. Truncated value: '%3'.")
                                 .arg(table, column, text.left(type.length)));
        return;
    }
    resultText(context, text.left(end));
}

void storeDate(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type)
{
    const QDateTime dayZero(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);
    QDateTime date;
    const int kind = sqlite3_value_type(value);
    if (kind == SQLITE_INTEGER) {
        date = dayZero.addDays(sqlite3_value_int64(value));
    } else if (kind == SQLITE_FLOAT) {
        date = dayZero.addMSecs(qint64(std::llround(sqlite3_value_double(value) * 86400000.0)));
    } else {
        const QString text = valueText(value);
        date = text::DateText::parse(text);
        if (!date.isValid() && text.trimmed().isEmpty())
            date = dayZero;
        if (!date.isValid() && ColumnStore::looksLikeDate(text)) {
            resultError(context, ColumnStore::outOfRange(type.base));
            return;
        }
        if (!date.isValid()) {
            resultError(context, QStringLiteral("Conversion failed when converting date and/or time from character string."));
            return;
        }
    }
    const std::optional<QDateTime> held = ColumnStore::heldAs(date, type.base);
    if (!held) {
        resultError(context, ColumnStore::outOfRange(type.base));
        return;
    }
    resultText(context, text::DateText::storedDateTime(*held));
}

void deleteType(void* type)
{
    delete static_cast<DeclaredType*>(type);
}

// mssql_store(value, declared type, table, column): the value as the column would hold it, or the
// error SQL Server gives for it.
void storeFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto* type = static_cast<DeclaredType*>(sqlite3_get_auxdata(context, 1));
    if (!type) {
        type = new DeclaredType(DeclaredType::parse(valueText(args[1])));
        sqlite3_set_auxdata(context, 1, type, deleteType);
        type = static_cast<DeclaredType*>(sqlite3_get_auxdata(context, 1));
        if (!type) { // SQLite could not keep it; parse every time
            const DeclaredType parsed = DeclaredType::parse(valueText(args[1]));
            if (isTextBase(parsed.base))
                storeText(context, args[0], parsed, valueText(args[2]), valueText(args[3]));
            else
                sqlite3_result_value(context, args[0]);
            return;
        }
    }
    ColumnStore::store(context, args[0], *type, valueText(args[2]), valueText(args[3]));
}

// mssql_to_number(value, 'int' | 'numeric'): a text column compared with a number is converted
// to the number's type, as SQL Server's type precedence has it.
void toNumberFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const int kind = sqlite3_value_type(args[0]);
    if (kind == SQLITE_NULL || kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) {
        sqlite3_result_value(context, args[0]);
        return;
    }
    const QString text = valueText(args[0]);
    const bool integer = valueText(args[1]) == QLatin1String("int");
    qint64 number = 0;
    if (integer && text.trimmed().isEmpty()) {
        sqlite3_result_int64(context, 0); // blank text converts to 0
        return;
    }
    if (wholeNumber(text, number)) {
        sqlite3_result_int64(context, number);
        return;
    }
    if (!integer) {
        if (const std::optional<text::Decimal> decimal = decimalValue(args[0])) {
            sqlite3_result_double(context, decimal->toDouble());
            return;
        }
        resultError(context, QStringLiteral("Error converting data type varchar to numeric."));
        return;
    }
    resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type int.").arg(text));
}

// SUM and AVG kept exact: whole numbers as 64-bit integers while they fit, decimals as exact
// decimals. SQLite's aggregate memory holds only a pointer to this object, which the final step
// deletes; SQLite runs the final step also when a statement is reset or fails.
struct SumState {
    bool decimal = false;
    bool failed = false;
    /// The sum of an int, smallint or tinyint column is an int, which must hold it.
    bool intResult = false;
    long long count = 0;
    qint64 whole = 0;
    text::Decimal total;
};

SumState* sumState(sqlite3_context* context, bool create)
{
    auto** slot = static_cast<SumState**>(sqlite3_aggregate_context(context, create ? int(sizeof(SumState*)) : 0));
    if (!slot)
        return nullptr;
    if (!*slot && create)
        *slot = new SumState;
    return *slot;
}

// Takes the state out of SQLite's memory; the caller owns it.
std::unique_ptr<SumState> takeSumState(sqlite3_context* context)
{
    auto** slot = static_cast<SumState**>(sqlite3_aggregate_context(context, 0));
    if (!slot)
        return nullptr;
    std::unique_ptr<SumState> state(*slot);
    *slot = nullptr;
    return state;
}

template <bool Average>
void sumStep(sqlite3_context* context, int argc, sqlite3_value** args)
{
    const int kind = sqlite3_value_type(args[0]);
    if (kind == SQLITE_NULL)
        return;
    SumState* state = sumState(context, true);
    if (!state) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (state->failed)
        return;
    if (state->count == 0 && !Average && argc > 1)
        state->intResult = valueText(args[1]) == QLatin1String("int");
    ++state->count;
    if (kind == SQLITE_INTEGER && !state->decimal) {
        qint64 sum = 0;
        if (!qAddOverflow(state->whole, qint64(sqlite3_value_int64(args[0])), &sum)) {
            state->whole = sum;
            return;
        }
    }
    const std::optional<text::Decimal> value = decimalValue(args[0]);
    if (!value) {
        state->failed = true;
        resultError(context, QStringLiteral("Operand data type varchar is invalid for %1 operator.")
                                 .arg(Average ? QLatin1String("avg") : QLatin1String("sum")));
        return;
    }
    if (!state->decimal) {
        state->decimal = true;
        state->total = text::Decimal::fromInteger(state->whole);
    }
    state->total = state->total + *value;
}

template <bool Average>
void sumFinal(sqlite3_context* context)
{
    const std::unique_ptr<SumState> state = takeSumState(context);
    if (!state || state->count == 0) {
        sqlite3_result_null(context);
        return;
    }
    if (state->failed)
        return;
    if (!state->decimal) {
        if (state->intResult && (state->whole < std::numeric_limits<qint32>::min() || state->whole > std::numeric_limits<qint32>::max())) {
            resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type int."));
            return;
        }
        // AVG of whole numbers is a whole number, cut toward zero, as SQL Server's int AVG.
        sqlite3_result_int64(context, Average ? state->whole / state->count : state->whole);
        return;
    }
    if (!Average) {
        ColumnStore::resultDecimal(context, state->total);
        return;
    }
    // AVG of decimals has at least six decimals.
    const text::Decimal count = text::Decimal::fromInteger(state->count);
    ColumnStore::resultDecimal(context, *state->total.dividedBy(count, std::max(state->total.scale(), 6)));
}

// The one row of a subquery that stands for a value: a second row fails (512), none gives NULL.
struct SingleState {
    sqlite3_value* value = nullptr;
    bool failed = false;
    ~SingleState() { sqlite3_value_free(value); }
};

void singleStep(sqlite3_context* context, int, sqlite3_value** args)
{
    auto** slot = static_cast<SingleState**>(sqlite3_aggregate_context(context, int(sizeof(SingleState*))));
    if (!slot) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (!*slot) {
        *slot = new SingleState;
        (*slot)->value = sqlite3_value_dup(args[0]);
        return;
    }
    if (!(*slot)->failed) {
        (*slot)->failed = true;
        resultError(context, QStringLiteral("Subquery returned more than 1 value. This is not permitted when the subquery follows =, !=, "
                                            "<, <= , >, >= or when the subquery is used as an expression."));
    }
}

void singleFinal(sqlite3_context* context)
{
    auto** slot = static_cast<SingleState**>(sqlite3_aggregate_context(context, 0));
    const std::unique_ptr<SingleState> state(slot ? *slot : nullptr);
    if (slot)
        *slot = nullptr;
    if (!state || state->failed || !state->value)
        sqlite3_result_null(context);
    else
        sqlite3_result_value(context, state->value);
}

QString tableName(const QString& objectName)
{
    QStringList parts = objectName.split(QLatin1Char('.'));
    QString name = parts.back().trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2).replace(QStringLiteral("]]"), QStringLiteral("]"));
    return name;
}

// OBJECT_ID('T'): the table's place in the catalog, NULL when there is none.
void objectIdFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_stmt* statement = nullptr;
    const QByteArray name = tableName(valueText(args[0])).toUtf8();
    if (sqlite3_prepare_v2(sqlite3_context_db_handle(context),
                           "SELECT rowid FROM main.sqlite_schema WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE", -1,
                           &statement, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(statement);
        sqlite3_result_null(context);
        return;
    }
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(statement) == SQLITE_ROW)
        sqlite3_result_int64(context, sqlite3_column_int64(statement, 0));
    else
        sqlite3_result_null(context);
    sqlite3_finalize(statement);
}

// COLUMNPROPERTY(id, 'col', 'IsIdentity' | 'AllowsNull'). An identity column is the table's
// INTEGER PRIMARY KEY, which the engine declares only for IDENTITY.
void columnPropertyFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    sqlite3_result_null(context);
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL)
        return;
    const QString property = valueText(args[2]).toLower();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(sqlite3_context_db_handle(context),
                           "SELECT c.type, c.\"notnull\", c.pk FROM main.sqlite_schema s, pragma_table_info(s.name) c "
                           "WHERE s.rowid = ?1 AND c.name = ?2 COLLATE NOCASE",
                           -1, &statement, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_bind_int64(statement, 1, sqlite3_value_int64(args[0]));
    const QByteArray column = valueText(args[1]).toUtf8();
    sqlite3_bind_text(statement, 2, column.constData(), int(column.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        if (property == QLatin1String("isidentity"))
            sqlite3_result_int(context, (sqlite3_column_int(statement, 2) > 0 && type == QLatin1String("INTEGER"))
                                       || type.contains(QLatin1String(" identity("), Qt::CaseInsensitive) ? 1 : 0);
        else if (property == QLatin1String("allowsnull"))
            sqlite3_result_int(context, sqlite3_column_int(statement, 1) != 0 ? 0 : 1);
    }
    sqlite3_finalize(statement);
}

} // namespace

DeclaredType DeclaredType::parse(const QString& text)
{
    DeclaredType type;
    const QString lower = text.trimmed().toLower();
    const qsizetype open = lower.indexOf(QLatin1Char('('));
    const QString head = (open < 0 ? lower : lower.left(open)).trimmed();
    type.base = head.section(QLatin1Char(' '), 0, 0);
    if (head.startsWith(QLatin1String("character varying")))
        type.base = QStringLiteral("varchar");
    if (open >= 0) {
        const QStringList args = lower.mid(open + 1).remove(QLatin1Char(')')).split(QLatin1Char(','));
        const QString first = args[0].trimmed();
        if (isTextBase(type.base))
            type.length = first == QLatin1String("max") ? 0 : first.toInt();
        else
            type.precision = first.toInt();
        if (args.size() > 1)
            type.scale = args[1].trimmed().toInt();
    } else if (type.base == QLatin1String("char") || type.base == QLatin1String("nchar")) {
        type.length = 1;
    }
    if (type.base == QLatin1String("numeric") || type.base == QLatin1String("decimal")) {
        if (type.precision <= 0)
            type.precision = 18;
        if (type.scale < 0)
            type.scale = 0;
    }
    return type;
}

bool DeclaredType::isChecked() const
{
    return (isTextBase(base) && length > 0) || isIntegerBase(base) || base == QLatin1String("bit") || isDecimalBase(base)
        || isDateBase(base);
}

void ColumnStore::integerRange(const QString& base, qint64& low, qint64& high)
{
    if (base == QLatin1String("tinyint")) {
        low = 0;
        high = 255;
    } else if (base == QLatin1String("smallint")) {
        low = -32768;
        high = 32767;
    } else if (base == QLatin1String("bigint")) {
        low = std::numeric_limits<qint64>::min();
        high = std::numeric_limits<qint64>::max();
    } else {
        low = std::numeric_limits<qint32>::min();
        high = std::numeric_limits<qint32>::max();
    }
}

QString ColumnStore::roundDecimal(const QString& text, int scale, int* integerDigits)
{
    const std::optional<text::Decimal> value = text::Decimal::parse(text);
    if (!value)
        return QString();
    const text::Decimal rounded = value->rounded(scale);
    if (integerDigits)
        *integerDigits = rounded.integerDigits();
    return rounded.isZero() ? text::Decimal(0, scale).text() : rounded.text();
}

QString ColumnStore::decimalOf(double value)
{
    return text::Decimal::fromDouble(value).text();
}

void ColumnStore::resultDecimal(sqlite3_context* context, const text::Decimal& value)
{
    if (value.scale() == 0) {
        if (const std::optional<long long> whole = value.toInteger()) {
            sqlite3_result_int64(context, *whole);
            return;
        }
    }
    // A double holds 15 significant digits for sure, and SQLite compares, sorts and indexes it as
    // a number. A value that needs more digits is kept as its decimal text in a blob, which no
    // column affinity converts, so that it is stored and read back exactly.
    const double carried = value.toDouble();
    if (text::Decimal::fromDouble(carried).compare(value) != 0) {
        const QByteArray text = value.text().toUtf8();
        sqlite3_result_blob(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    sqlite3_result_double(context, carried);
}

bool ColumnStore::isStoredDateTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}(\.\d{3})?$)"));
    return form.match(text).hasMatch();
}

bool ColumnStore::looksLikeDate(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*(\d{4}-\d{1,2}-\d{1,2}|\d{8})([ T]\d{1,2}:\d{2}(:\d{2}(\.\d+)?)?)?\s*$)"));
    return form.match(text).hasMatch();
}

QDateTime ColumnStore::datetimePrecision(const QDateTime& value)
{
    // 1/300 of a second: a last digit of 0-1 becomes 0, 2-4 becomes 3, 5-8 becomes 7, 9 the next 0.
    const int ms = value.time().msec();
    static const int step[] = {0, -1, 1, 0, -1, 2, 1, 0, -1, 1};
    return value.addMSecs(step[ms % 10]);
}

std::optional<QDateTime> ColumnStore::heldAs(const QDateTime& value, const QString& base)
{
    QDateTime held = value;
    if (base == QLatin1String("datetime")) {
        held = datetimePrecision(value);
        if (held.date() < QDate(1753, 1, 1) || held.date() > QDate(9999, 12, 31))
            return std::nullopt;
    } else if (base == QLatin1String("smalldatetime")) {
        held = smalldatetimePrecision(value);
        if (held < QDateTime(QDate(1900, 1, 1), QTime(0, 0), held.timeSpec()) || held > QDateTime(QDate(2079, 6, 6), QTime(23, 59), held.timeSpec()))
            return std::nullopt;
    } else if (base == QLatin1String("date")) {
        held.setTime(QTime(0, 0));
    }
    return held;
}

QString ColumnStore::outOfRange(const QString& base)
{
    return QStringLiteral("The conversion of a varchar data type to a %1 data type resulted in an out-of-range value.")
        .arg(base == QLatin1String("smalldatetime") ? base : QStringLiteral("datetime"));
}

QDateTime ColumnStore::smalldatetimePrecision(const QDateTime& value)
{
    const QTime t = value.time();
    const qint64 msOfMinute = qint64(t.second()) * 1000 + t.msec();
    QDateTime minute = value.addMSecs(-msOfMinute);
    return msOfMinute >= 29999 ? minute.addSecs(60) : minute;
}

void ColumnStore::store(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type, const QString& table,
                        const QString& column)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        sqlite3_result_null(context);
    else if (isTextBase(type.base))
        storeText(context, value, type, table, column);
    else if (isIntegerBase(type.base))
        storeInteger(context, value, type);
    else if (type.base == QLatin1String("bit"))
        storeBit(context, value);
    else if (isDecimalBase(type.base))
        storeDecimal(context, value, type);
    else if (isDateBase(type.base))
        storeDate(context, value, type);
    else
        sqlite3_result_value(context, value);
}

void ColumnStore::install(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "mssql_store", 4, flags, nullptr, storeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "mssql_to_number", 2, flags, nullptr, toNumberFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "mssql_sum", 1, flags, nullptr, nullptr, sumStep<false>, sumFinal<false>, nullptr);
    sqlite3_create_function_v2(db, "mssql_sum", 2, flags, nullptr, nullptr, sumStep<false>, sumFinal<false>, nullptr);
    sqlite3_create_function_v2(db, "mssql_avg", 1, flags, nullptr, nullptr, sumStep<true>, sumFinal<true>, nullptr);
    sqlite3_create_function_v2(db, "mssql_single", 1, flags, nullptr, nullptr, singleStep, singleFinal, nullptr);
    sqlite3_create_function_v2(db, "mssql_object_id", 1, SQLITE_UTF8, nullptr, objectIdFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "mssql_columnproperty", 3, SQLITE_UTF8, nullptr, columnPropertyFunction, nullptr, nullptr, nullptr);
}

} // namespace db::embedded
