#include "db/embedded/SqlFunctions.h"
#include "db/embedded/SqliteValues.h"

#include "text/DateText.h"
#include "text/Decimal.h"
#include "db/embedded/ColumnStore.h"
#include "db/embedded/StatementCounter.h"
#include "db/embedded/Utf8Text.h"

#include <QByteArray>
#include <QtNumeric>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <sqlite3.h>

namespace db::embedded {

namespace {

bool isNull(sqlite3_value* value)
{
    return sqlite3_value_type(value) == SQLITE_NULL;
}

QDateTime dayZero()
{
    return QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);
}

// A date-time from a stored value: date texts as the engine and the program write them, and
// numbers as days after 1 January 1900, as SQL Server reads them.
QDateTime valueDate(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return dayZero().addDays(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return dayZero().addMSecs(qint64(std::llround(sqlite3_value_double(value) * 86400000.0)));
    case SQLITE_NULL:
        return QDateTime();
    default:
        return text::DateText::parse(valueText(value));
    }
}

const QString conversionFailedDate = QStringLiteral("Conversion failed when converting date and/or time from character string.");

QString datePart(const QString& part)
{
    static const QHash<QString, QString> parts = {
        {QStringLiteral("year"), QStringLiteral("year")},       {QStringLiteral("yy"), QStringLiteral("year")},
        {QStringLiteral("yyyy"), QStringLiteral("year")},       {QStringLiteral("quarter"), QStringLiteral("quarter")},
        {QStringLiteral("qq"), QStringLiteral("quarter")},      {QStringLiteral("q"), QStringLiteral("quarter")},
        {QStringLiteral("month"), QStringLiteral("month")},     {QStringLiteral("mm"), QStringLiteral("month")},
        {QStringLiteral("m"), QStringLiteral("month")},         {QStringLiteral("dayofyear"), QStringLiteral("day")},
        {QStringLiteral("dy"), QStringLiteral("day")},          {QStringLiteral("y"), QStringLiteral("day")},
        {QStringLiteral("day"), QStringLiteral("day")},         {QStringLiteral("dd"), QStringLiteral("day")},
        {QStringLiteral("d"), QStringLiteral("day")},           {QStringLiteral("weekday"), QStringLiteral("day")},
        {QStringLiteral("dw"), QStringLiteral("day")},          {QStringLiteral("w"), QStringLiteral("day")},
        {QStringLiteral("week"), QStringLiteral("week")},       {QStringLiteral("wk"), QStringLiteral("week")},
        {QStringLiteral("ww"), QStringLiteral("week")},         {QStringLiteral("hour"), QStringLiteral("hour")},
        {QStringLiteral("hh"), QStringLiteral("hour")},         {QStringLiteral("minute"), QStringLiteral("minute")},
        {QStringLiteral("mi"), QStringLiteral("minute")},       {QStringLiteral("n"), QStringLiteral("minute")},
        {QStringLiteral("second"), QStringLiteral("second")},   {QStringLiteral("ss"), QStringLiteral("second")},
        {QStringLiteral("s"), QStringLiteral("second")},        {QStringLiteral("millisecond"), QStringLiteral("millisecond")},
        {QStringLiteral("ms"), QStringLiteral("millisecond")},
    };
    return parts.value(part.trimmed().toLower());
}

void getDate(sqlite3_context* context, int, sqlite3_value**)
{
    resultText(context, text::DateText::storedDateTime(QDateTime::currentDateTime()));
}

void getUtcDate(sqlite3_context* context, int, sqlite3_value**)
{
    resultText(context, text::DateText::storedDateTime(QDateTime::currentDateTimeUtc()));
}

void dateAdd(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[1]) || isNull(args[2])) {
        sqlite3_result_null(context);
        return;
    }
    const QString part = datePart(valueText(args[0]));
    const qint64 n = qint64(sqlite3_value_double(args[1]));
    const QDateTime date = valueDate(args[2]);
    if (!date.isValid()) {
        resultError(context, conversionFailedDate);
        return;
    }
    QDateTime result;
    if (part == QLatin1String("year"))
        result = date.addYears(int(n));
    else if (part == QLatin1String("quarter"))
        result = date.addMonths(int(n * 3));
    else if (part == QLatin1String("month"))
        result = date.addMonths(int(n));
    else if (part == QLatin1String("day"))
        result = date.addDays(n);
    else if (part == QLatin1String("week"))
        result = date.addDays(n * 7);
    else if (part == QLatin1String("hour"))
        result = date.addSecs(n * 3600);
    else if (part == QLatin1String("minute"))
        result = date.addSecs(n * 60);
    else if (part == QLatin1String("second"))
        result = date.addSecs(n);
    else if (part == QLatin1String("millisecond"))
        result = date.addMSecs(n);
    else {
        resultError(context, QStringLiteral("'%1' is not a recognized dateadd option.").arg(valueText(args[0])));
        return;
    }
    if (!ColumnStore::heldAs(result, QStringLiteral("datetime"))) {
        resultError(context, QStringLiteral("Adding a value to a 'datetime' column caused an overflow."));
        return;
    }
    resultText(context, text::DateText::storedDateTime(result));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

void dateDiff(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[1]) || isNull(args[2])) {
        sqlite3_result_null(context);
        return;
    }
    const QString part = datePart(valueText(args[0]));
    const QDateTime a = valueDate(args[1]);
    const QDateTime b = valueDate(args[2]);
    if (!a.isValid() || !b.isValid()) {
        resultError(context, conversionFailedDate);
        return;
    }
    // Boundaries crossed, as SQL Server counts them, not whole periods elapsed.
    const qint64 msA = dayZero().msecsTo(a);
    const qint64 msB = dayZero().msecsTo(b);
    qint64 result = 0;
    if (part == QLatin1String("year"))
        result = b.date().year() - a.date().year();
    else if (part == QLatin1String("quarter"))
        result = (b.date().year() * 4 + (b.date().month() - 1) / 3) - (a.date().year() * 4 + (a.date().month() - 1) / 3);
    else if (part == QLatin1String("month"))
        result = (b.date().year() * 12 + b.date().month()) - (a.date().year() * 12 + a.date().month());
    else if (part == QLatin1String("day"))
        result = a.date().daysTo(b.date());
    else if (part == QLatin1String("week"))
        result = floorDiv(b.date().toJulianDay() + 1, 7) - floorDiv(a.date().toJulianDay() + 1, 7);
    else if (part == QLatin1String("hour"))
        result = floorDiv(msB, 3600000) - floorDiv(msA, 3600000);
    else if (part == QLatin1String("minute"))
        result = floorDiv(msB, 60000) - floorDiv(msA, 60000);
    else if (part == QLatin1String("second"))
        result = floorDiv(msB, 1000) - floorDiv(msA, 1000);
    else if (part == QLatin1String("millisecond"))
        result = msB - msA;
    else {
        resultError(context, QStringLiteral("'%1' is not a recognized datediff option.").arg(valueText(args[0])));
        return;
    }
    sqlite3_result_int64(context, result);
}

bool lengthArgument(sqlite3_context* context, sqlite3_value* value, const char* function, qint64& length)
{
    length = sqlite3_value_int64(value);
    if (length < 0) {
        resultError(context, QStringLiteral("Invalid length parameter passed to the %1 function.").arg(QLatin1String(function)));
        return false;
    }
    return true;
}

void leftText(sqlite3_context* context, int, sqlite3_value** args)
{
    qint64 n = 0;
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return;
    }
    if (lengthArgument(context, args[1], "left", n))
        resultText(context, valueText(args[0]).left(n));
}

void rightText(sqlite3_context* context, int, sqlite3_value** args)
{
    qint64 n = 0;
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return;
    }
    if (lengthArgument(context, args[1], "right", n))
        resultText(context, valueText(args[0]).right(n));
}

void textLength(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0])) {
        sqlite3_result_null(context);
        return;
    }
    QString text = valueText(args[0]);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    sqlite3_result_int64(context, end);
}

template <int Part>
void datePartOf(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0])) {
        sqlite3_result_null(context);
        return;
    }
    const QDateTime date = valueDate(args[0]);
    if (!date.isValid()) {
        resultError(context, conversionFailedDate);
        return;
    }
    sqlite3_result_int(context, Part == 0 ? date.date().day() : Part == 1 ? date.date().month() : date.date().year());
}

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The date styles of CONVERT that a program is likely to ask for; anything else gets style 0.
QString styledDate(const QDateTime& value, int style)
{
    const QDate d = value.date();
    const QTime t = value.time();
    const QString year = QString::number(d.year());
    const QString time = two(t.hour()) + QLatin1Char(':') + two(t.minute()) + QLatin1Char(':') + two(t.second());
    switch (style) {
    case 101:
        return two(d.month()) + QLatin1Char('/') + two(d.day()) + QLatin1Char('/') + year;
    case 103:
        return two(d.day()) + QLatin1Char('/') + two(d.month()) + QLatin1Char('/') + year;
    case 104:
        return two(d.day()) + QLatin1Char('.') + two(d.month()) + QLatin1Char('.') + year;
    case 105:
        return two(d.day()) + QLatin1Char('-') + two(d.month()) + QLatin1Char('-') + year;
    case 106:
        return two(d.day()) + QLatin1Char(' ') + text::DateText::monthAbbreviation(d) + QLatin1Char(' ') + year;
    case 107:
        return text::DateText::monthAbbreviation(d) + QLatin1Char(' ') + two(d.day()) + QStringLiteral(", ") + year;
    case 108:
        return time;
    case 110:
        return two(d.month()) + QLatin1Char('-') + two(d.day()) + QLatin1Char('-') + year;
    case 111:
        return year + QLatin1Char('/') + two(d.month()) + QLatin1Char('/') + two(d.day());
    case 112:
        return year + two(d.month()) + two(d.day());
    case 23:
        return year + QLatin1Char('-') + two(d.month()) + QLatin1Char('-') + two(d.day());
    case 120:
        return year + QLatin1Char('-') + two(d.month()) + QLatin1Char('-') + two(d.day()) + QLatin1Char(' ') + time;
    case 121:
        return year + QLatin1Char('-') + two(d.month()) + QLatin1Char('-') + two(d.day()) + QLatin1Char(' ') + time
            + QStringLiteral(".%1").arg(t.msec(), 3, 10, QLatin1Char('0'));
    case 126:
        return text::DateText::sqlDateTime(value);
    default:
        return SqlFunctions::defaultDateTimeText(value);
    }
}

struct TargetType {
    QString base;
    qint64 length = -1; ///< -1: not given; 0: max
    int scale = -1;
};

TargetType parseTarget(const QString& text)
{
    TargetType type;
    const QString lower = text.trimmed().toLower();
    const qsizetype open = lower.indexOf(QLatin1Char('('));
    type.base = (open < 0 ? lower : lower.left(open)).trimmed();
    if (open >= 0) {
        const QStringList args = lower.mid(open + 1).remove(QLatin1Char(')')).split(QLatin1Char(','));
        type.length = args[0].trimmed() == QLatin1String("max") ? 0 : args[0].trimmed().toLongLong();
        if (args.size() > 1)
            type.scale = args[1].trimmed().toInt();
    }
    return type;
}

bool isTextTarget(const QString& base)
{
    return base == QLatin1String("varchar") || base == QLatin1String("char") || base == QLatin1String("nvarchar")
        || base == QLatin1String("nchar") || base == QLatin1String("text") || base == QLatin1String("ntext")
        || base == QLatin1String("character") || base == QLatin1String("sysname");
}

// A number as SQL Server writes a value of `source` (numeric(p,s), money) as text: with its scale.
QString scaledText(sqlite3_value* value, const QString& source)
{
    const DeclaredType type = DeclaredType::parse(source);
    int scale = -1;
    if (type.base == QLatin1String("money") || type.base == QLatin1String("smallmoney"))
        scale = 2; // style 0 of money: two decimals
    else if (type.base == QLatin1String("numeric") || type.base == QLatin1String("decimal"))
        scale = type.scale;
    const int kind = sqlite3_value_type(value);
    if (scale < 0 || (kind != SQLITE_INTEGER && kind != SQLITE_FLOAT))
        return valueText(value);
    return ColumnStore::roundDecimal(kind == SQLITE_FLOAT ? ColumnStore::decimalOf(sqlite3_value_double(value)) : valueText(value), scale);
}

void convertValue(sqlite3_context* context, sqlite3_value* value, const QString& typeText, int style, const QString& source = {})
{
    if (isNull(value)) {
        sqlite3_result_null(context);
        return;
    }
    const TargetType type = parseTarget(typeText);
    const int kind = sqlite3_value_type(value);
    if (isTextTarget(type.base)) {
        QString text = source.isEmpty() ? valueText(value) : scaledText(value, source);
        if (kind == SQLITE_TEXT && ColumnStore::isStoredDateTime(text))
            text = styledDate(text::DateText::parse(text), style);
        const qint64 length = type.length < 0 ? 30 : type.length;
        if (length > 0 && text.size() > length && (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT)) {
            // A whole number that does not fit shows as "*"; a decimal fails.
            const DeclaredType from = DeclaredType::parse(source);
            const bool decimal = kind == SQLITE_FLOAT || from.base == QLatin1String("numeric") || from.base == QLatin1String("decimal")
                || from.base == QLatin1String("money") || from.base == QLatin1String("smallmoney");
            if (decimal) {
                resultError(context, QStringLiteral("Arithmetic overflow error converting numeric to data type %1.").arg(type.base));
                return;
            }
            text = QStringLiteral("*");
        }
        if (length > 0) {
            text = text.left(length);
            if (type.base == QLatin1String("char") || type.base == QLatin1String("nchar"))
                text = text.leftJustified(length, QLatin1Char(' '));
        }
        resultText(context, text);
        return;
    }
    if (type.base == QLatin1String("int") || type.base == QLatin1String("bigint") || type.base == QLatin1String("smallint")
        || type.base == QLatin1String("tinyint") || type.base == QLatin1String("bit")) {
        qint64 number = 0;
        if (kind == SQLITE_INTEGER) {
            number = sqlite3_value_int64(value);
        } else if (kind == SQLITE_FLOAT) {
            number = qint64(std::trunc(sqlite3_value_double(value)));
        } else {
            const QString text = valueText(value).trimmed();
            bool ok = text.isEmpty(); // blank text converts to 0
            if (!ok)
                number = text.toLongLong(&ok);
            if (!ok && type.base == QLatin1String("bit")
                && (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                    || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)) {
                ok = true;
                number = text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ? 1 : 0;
            }
            if (!ok) {
                resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                                         .arg(text, type.base));
                return;
            }
        }
        qint64 low = 0, high = 0;
        ColumnStore::integerRange(type.base, low, high);
        if (type.base == QLatin1String("bit")) {
            number = number != 0 ? 1 : 0;
        } else if (number < low || number > high) {
            resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(type.base));
            return;
        }
        sqlite3_result_int64(context, number);
        return;
    }
    if (type.base == QLatin1String("numeric") || type.base == QLatin1String("decimal") || type.base == QLatin1String("money")
        || type.base == QLatin1String("smallmoney")) {
        ColumnStore::store(context, value, DeclaredType::parse(typeText), QString(), QString());
        return;
    }
    if (type.base == QLatin1String("float") || type.base == QLatin1String("real")) {
        double number = 0;
        if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) {
            number = sqlite3_value_double(value);
        } else {
            const QString text = valueText(value).trimmed();
            bool ok = text.isEmpty(); // blank text converts to 0
            if (!ok)
                number = text.toDouble(&ok);
            if (!ok) {
                resultError(context, QStringLiteral("Error converting data type varchar to %1.").arg(type.base));
                return;
            }
        }
        int scale = type.scale;
        if (type.base == QLatin1String("money") || type.base == QLatin1String("smallmoney"))
            scale = 4;
        else if ((type.base == QLatin1String("numeric") || type.base == QLatin1String("decimal")) && scale < 0)
            scale = 0;
        if (scale == 0) {
            sqlite3_result_int64(context, std::llround(number));
            return;
        }
        if (scale > 0) {
            const double factor = std::pow(10.0, scale);
            number = std::round(number * factor) / factor;
        }
        sqlite3_result_double(context, number);
        return;
    }
    if (type.base == QLatin1String("datetime") || type.base == QLatin1String("smalldatetime") || type.base == QLatin1String("date")
        || type.base == QLatin1String("datetime2")) {
        QDateTime date = valueDate(value);
        if (!date.isValid() && kind == SQLITE_TEXT && valueText(value).trimmed().isEmpty())
            date = QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC); // blank text is day zero
        if (!date.isValid()) {
            resultError(context, conversionFailedDate);
            return;
        }
        const std::optional<QDateTime> held = ColumnStore::heldAs(date, type.base);
        if (!held) {
            resultError(context, ColumnStore::outOfRange(type.base));
            return;
        }
        resultText(context, text::DateText::storedDateTime(*held));
        return;
    }
    sqlite3_result_value(context, value);
}

void castFunction(sqlite3_context* context, int count, sqlite3_value** args)
{
    convertValue(context, args[0], valueText(args[1]), 0, count > 2 ? valueText(args[2]) : QString());
}

// SQL Server's default collation: letters in either case and trailing blanks compare equal.
int compareIgnoringCase(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    while (lengthA > 0 && x[lengthA - 1] == ' ')
        --lengthA;
    while (lengthB > 0 && y[lengthB - 1] == ' ')
        --lengthB;
    const int n = std::min(lengthA, lengthB);
    for (int i = 0; i < n; ++i) {
        const int cx = x[i] >= 'A' && x[i] <= 'Z' ? x[i] + 32 : x[i];
        const int cy = y[i] >= 'A' && y[i] <= 'Z' ? y[i] + 32 : y[i];
        if (cx != cy)
            return cx - cy;
    }
    return lengthA - lengthB;
}

void convertFunction(sqlite3_context* context, int count, sqlite3_value** args)
{
    convertValue(context, args[1], valueText(args[0]), count > 2 && !isNull(args[2]) ? sqlite3_value_int(args[2]) : 0);
}

void charIndex(sqlite3_context* context, int count, sqlite3_value** args)
{
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return;
    }
    const qint64 start = count > 2 && !isNull(args[2]) ? std::max<qint64>(1, sqlite3_value_int64(args[2])) : 1;
    const QString needle = valueText(args[0]);
    const qsizetype found = valueText(args[1]).indexOf(needle, start - 1, Qt::CaseInsensitive);
    sqlite3_result_int64(context, needle.isEmpty() ? 0 : found + 1);
}

void substringFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0]) || isNull(args[1]) || isNull(args[2])) {
        sqlite3_result_null(context);
        return;
    }
    qint64 length = 0;
    if (!lengthArgument(context, args[2], "substring", length))
        return;
    const qint64 start = sqlite3_value_int64(args[1]);
    const qint64 first = std::max<qint64>(start, 1);
    const qint64 last = start + length; // one past the last position
    resultText(context, last <= first ? QString() : valueText(args[0]).mid(first - 1, last - first));
}

// CHAR(n) and NCHAR(n): the character with code n, NULL outside 0-255 and 0-65535 as SQL Server does.
template <int Last>
void characterOf(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0])) {
        sqlite3_result_null(context);
        return;
    }
    const double code = sqlite3_value_double(args[0]);
    if (code < 0 || code > Last) {
        sqlite3_result_null(context);
        return;
    }
    resultText(context, QString(QChar(char16_t(code))));
}

void upperText(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0]))
        sqlite3_result_null(context);
    else
        resultText(context, valueText(args[0]).toUpper());
}

void lowerText(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0]))
        sqlite3_result_null(context);
    else
        resultText(context, valueText(args[0]).toLower());
}

void replaceText(sqlite3_context* context, int, sqlite3_value** args)
{
    if (isNull(args[0]) || isNull(args[1]) || isNull(args[2])) {
        sqlite3_result_null(context);
        return;
    }
    QString text = valueText(args[0]);
    const QString find = valueText(args[1]);
    if (!find.isEmpty())
        text.replace(find, valueText(args[2]), Qt::CaseInsensitive);
    resultText(context, text);
}

bool readNumber(sqlite3_value* value, double& real, qint64& integer, bool& isInteger)
{
    const int kind = sqlite3_value_type(value);
    if (kind == SQLITE_INTEGER) {
        integer = sqlite3_value_int64(value);
        real = double(integer);
        isInteger = true;
        return true;
    }
    if (kind == SQLITE_FLOAT) {
        real = sqlite3_value_double(value);
        isInteger = false;
        return true;
    }
    const QString text = valueText(value).trimmed();
    bool ok = false;
    integer = text.toLongLong(&ok);
    if (ok) {
        real = double(integer);
        isInteger = true;
        return true;
    }
    real = text.toDouble(&ok);
    isInteger = false;
    return ok;
}

// SQL Server's "+": text with text concatenates, anything with a number adds.
bool typedArithmetic(sqlite3_context* context, int argc, sqlite3_value** args, char op);

void addValues(sqlite3_context* context, int argc, sqlite3_value** args)
{
    if (typedArithmetic(context, argc, args, '+'))
        return;
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return;
    }
    const bool numberA = sqlite3_value_type(args[0]) == SQLITE_INTEGER || sqlite3_value_type(args[0]) == SQLITE_FLOAT;
    const bool numberB = sqlite3_value_type(args[1]) == SQLITE_INTEGER || sqlite3_value_type(args[1]) == SQLITE_FLOAT;
    if (!numberA && !numberB) {
        resultText(context, valueText(args[0]) + valueText(args[1]));
        return;
    }
    if (numberA != numberB) {
        // A stored date-time plus a number is that many days later.
        const QString text = valueText(numberA ? args[1] : args[0]);
        if (ColumnStore::isStoredDateTime(text)) {
            const double days = sqlite3_value_double(numberA ? args[0] : args[1]);
            resultText(context, text::DateText::storedDateTime(text::DateText::parse(text).addMSecs(qint64(std::llround(days * 86400000.0)))));
            return;
        }
    }
    double realA = 0, realB = 0;
    qint64 intA = 0, intB = 0;
    bool integerA = false, integerB = false;
    for (int i = 0; i < 2; ++i) {
        const bool ok = i == 0 ? readNumber(args[0], realA, intA, integerA) : readNumber(args[1], realB, intB, integerB);
        if (!ok) {
            resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type int.")
                                     .arg(valueText(args[i])));
            return;
        }
    }
    qint64 sum = 0;
    if (integerA && integerB && !qAddOverflow(intA, intB, &sum)) {
        sqlite3_result_int64(context, sum);
        return;
    }
    // Decimals add exactly: 0.1 + 0.2 is 0.3.
    const text::Decimal a = integerA ? text::Decimal::fromInteger(intA) : text::Decimal::fromDouble(realA);
    const text::Decimal b = integerB ? text::Decimal::fromInteger(intB) : text::Decimal::fromDouble(realB);
    sqlite3_result_double(context, (a + b).toDouble());
}

// A number as SQL Server's arithmetic takes it: a whole number, or an exact decimal.
struct Operand {
    bool whole = false;
    qint64 integer = 0;
    text::Decimal exact;
};

std::optional<Operand> readOperand(sqlite3_value* value)
{
    Operand operand;
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        operand.whole = true;
        operand.integer = sqlite3_value_int64(value);
        operand.exact = text::Decimal::fromInteger(operand.integer);
        return operand;
    case SQLITE_FLOAT:
        operand.exact = text::Decimal::fromDouble(sqlite3_value_double(value));
        return operand;
    default: {
        const QString text = valueText(value).trimmed();
        bool ok = false;
        operand.integer = text.toLongLong(&ok);
        if (ok) {
            operand.whole = true;
            operand.exact = text::Decimal::fromInteger(operand.integer);
            return operand;
        }
        const std::optional<text::Decimal> exact = text::Decimal::parse(text);
        if (!exact)
            return std::nullopt;
        operand.exact = *exact;
        return operand;
    }
    }
}

// Reads both operands; false (with the function's result set) when one is NULL or no number.
bool readOperands(sqlite3_context* context, sqlite3_value** args, Operand& a, Operand& b)
{
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        const std::optional<Operand> operand = readOperand(args[i]);
        if (!operand) {
            resultError(context, QStringLiteral("Conversion failed when converting the varchar value '%1' to data type int.")
                                     .arg(valueText(args[i])));
            return false;
        }
        (i == 0 ? a : b) = *operand;
    }
    return true;
}

const QString divideByZero = QStringLiteral("Divide by zero error encountered.");
const QString wholeOverflow = QStringLiteral("Arithmetic overflow error converting expression to data type bigint.");

// Arithmetic whose result type the translator knows ("int", "money", "decimal(8,6)"), as SQL
// Server computes it: an int result must stay an int; a decimal or money result is rounded to its
// scale (a quotient is cut) and must fit its precision. False when no such type is given.
bool typedArithmetic(sqlite3_context* context, int argc, sqlite3_value** args, char op)
{
    if (argc < 3)
        return false;
    const DeclaredType type = DeclaredType::parse(valueText(args[2]));
    const bool whole = type.base == QLatin1String("int");
    const bool money = type.base == QLatin1String("money");
    if (!whole && !money && type.base != QLatin1String("decimal"))
        return false;
    Operand a, b;
    if (!readOperands(context, args, a, b))
        return true;
    if ((op == '/' || op == '%') && b.exact.isZero()) {
        resultError(context, divideByZero);
        return true;
    }
    if (whole && a.whole && b.whole) {
        qint64 result = 0;
        bool overflow = false;
        switch (op) {
        case '+':
            overflow = qAddOverflow(a.integer, b.integer, &result);
            break;
        case '-':
            overflow = qSubOverflow(a.integer, b.integer, &result);
            break;
        case '*':
            overflow = qMulOverflow(a.integer, b.integer, &result);
            break;
        case '/':
            result = a.integer / b.integer; // cut toward zero
            break;
        default:
            result = b.integer == -1 ? 0 : a.integer % b.integer;
        }
        if (overflow || result < std::numeric_limits<qint32>::min() || result > std::numeric_limits<qint32>::max())
            resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type int."));
        else
            sqlite3_result_int64(context, result);
        return true;
    }
    if (whole)
        return false;
    const int scale = money ? 4 : type.scale;
    text::Decimal value;
    switch (op) {
    case '+':
        value = (a.exact + b.exact).rounded(scale);
        break;
    case '-':
        value = (a.exact - b.exact).rounded(scale);
        break;
    case '*':
        value = (a.exact * b.exact).rounded(scale);
        break;
    case '/':
        value = *a.exact.dividedBy(b.exact, scale);
        break;
    default:
        value = (a.exact - *a.exact.dividedBy(b.exact, 0) * b.exact).rounded(scale);
    }
    if (value.integerDigits() > (money ? 15 : type.precision - scale)) {
        resultError(context, QStringLiteral("Arithmetic overflow error converting expression to data type %1.")
                                 .arg(money ? QStringLiteral("money") : QStringLiteral("numeric")));
        return true;
    }
    ColumnStore::resultDecimal(context, value);
    return true;
}

void multiplyValues(sqlite3_context* context, int argc, sqlite3_value** args)
{
    if (typedArithmetic(context, argc, args, '*'))
        return;
    Operand a, b;
    if (!readOperands(context, args, a, b))
        return;
    if (a.whole && b.whole) {
        qint64 product = 0;
        if (qMulOverflow(a.integer, b.integer, &product))
            resultError(context, wholeOverflow);
        else
            sqlite3_result_int64(context, product);
        return;
    }
    sqlite3_result_double(context, (a.exact * b.exact).toDouble());
}

void divideValues(sqlite3_context* context, int argc, sqlite3_value** args)
{
    if (typedArithmetic(context, argc, args, '/'))
        return;
    Operand a, b;
    if (!readOperands(context, args, a, b))
        return;
    if (b.exact.isZero()) {
        resultError(context, divideByZero);
        return;
    }
    if (a.whole && b.whole) {
        if (a.integer == std::numeric_limits<qint64>::min() && b.integer == -1)
            resultError(context, wholeOverflow);
        else
            sqlite3_result_int64(context, a.integer / b.integer); // cut toward zero, as SQL Server's int division
        return;
    }
    // SQL Server's scale of a quotient: max(6, s1 + p2 + 1), cut where the digits pass 38; the
    // quotient is cut, not rounded, to it.
    const int integral = a.exact.precision() - a.exact.scale() + b.exact.scale();
    int scale = std::max(6, a.exact.scale() + b.exact.precision() + 1);
    if (integral + scale > 38)
        scale = std::max(std::min(scale, 38 - integral), 6);
    sqlite3_result_double(context, a.exact.dividedBy(b.exact, scale)->toDouble());
}

void moduloValues(sqlite3_context* context, int argc, sqlite3_value** args)
{
    if (typedArithmetic(context, argc, args, '%'))
        return;
    Operand a, b;
    if (!readOperands(context, args, a, b))
        return;
    if (b.exact.isZero()) {
        resultError(context, divideByZero);
        return;
    }
    if (a.whole && b.whole) {
        sqlite3_result_int64(context, b.integer == -1 ? 0 : a.integer % b.integer);
        return;
    }
    const text::Decimal times = *a.exact.dividedBy(b.exact, 0);
    sqlite3_result_double(context, (a.exact - times * b.exact).toDouble());
}

void subtractValues(sqlite3_context* context, int argc, sqlite3_value** args)
{
    if (typedArithmetic(context, argc, args, '-'))
        return;
    if (isNull(args[0]) || isNull(args[1])) {
        sqlite3_result_null(context);
        return;
    }
    // A stored date-time less a number is that many days earlier; less a date-time, the
    // difference as a date-time after 1 January 1900, as SQL Server gives it.
    if (sqlite3_value_type(args[0]) == SQLITE_TEXT && ColumnStore::isStoredDateTime(valueText(args[0]))) {
        const QDateTime date = text::DateText::parse(valueText(args[0]));
        qint64 ms = 0;
        if (sqlite3_value_type(args[1]) == SQLITE_TEXT && ColumnStore::isStoredDateTime(valueText(args[1]))) {
            ms = -dayZero().msecsTo(text::DateText::parse(valueText(args[1])));
        } else if (const std::optional<Operand> days = readOperand(args[1])) {
            ms = -qint64(std::llround(days->exact.toDouble() * 86400000.0));
        } else {
            resultError(context, conversionFailedDate);
            return;
        }
        const QDateTime result = date.addMSecs(ms);
        if (!ColumnStore::heldAs(result, QStringLiteral("datetime"))) {
            resultError(context, QStringLiteral("Adding a value to a 'datetime' column caused an overflow."));
            return;
        }
        resultText(context, text::DateText::storedDateTime(result));
        return;
    }
    Operand a, b;
    if (!readOperands(context, args, a, b))
        return;
    qint64 difference = 0;
    if (a.whole && b.whole && !qSubOverflow(a.integer, b.integer, &difference))
        sqlite3_result_int64(context, difference);
    else
        sqlite3_result_double(context, (a.exact - b.exact).toDouble());
}

void firstInStatement(sqlite3_context* context, int, sqlite3_value** args)
{
    auto* counter = static_cast<StatementCounter*>(sqlite3_user_data(context));
    sqlite3_result_int(context, counter->firstTime(valueText(args[0])) ? 1 : 0);
}

} // namespace

QString SqlFunctions::defaultDateTimeText(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return text::DateText::monthAbbreviation(d) + QStringLiteral(" %1 %2 %3:%4%5")
                                                .arg(d.day(), 2, 10, QLatin1Char(' '))
                                                .arg(d.year())
                                                .arg(hour12, 2, 10, QLatin1Char(' '))
                                                .arg(two(t.minute()))
                                                .arg(t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString SqlFunctions::shortestDecimal(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

void SqlFunctions::install(sqlite3* db, StatementCounter* counter)
{
    struct Entry {
        const char* name;
        int arguments;
        bool deterministic;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    static const Entry entries[] = {
        {"mssql_getdate", 0, false, getDate},
        {"mssql_getutcdate", 0, false, getUtcDate},
        {"mssql_dateadd", 3, true, dateAdd},
        {"mssql_datediff", 3, true, dateDiff},
        {"mssql_left", 2, true, leftText},
        {"mssql_right", 2, true, rightText},
        {"mssql_len", 1, true, textLength},
        {"mssql_day", 1, true, datePartOf<0>},
        {"mssql_month", 1, true, datePartOf<1>},
        {"mssql_year", 1, true, datePartOf<2>},
        {"mssql_cast", 2, true, castFunction},
        {"mssql_cast", 3, true, castFunction},
        {"mssql_convert", 2, true, convertFunction},
        {"mssql_convert", 3, true, convertFunction},
        {"mssql_charindex", 2, true, charIndex},
        {"mssql_charindex", 3, true, charIndex},
        {"mssql_substring", 3, true, substringFunction},
        {"mssql_upper", 1, true, upperText},
        {"mssql_lower", 1, true, lowerText},
        {"mssql_replace", 3, true, replaceText},
        {"mssql_add", 2, true, addValues},
        {"mssql_add", 3, true, addValues},
        {"mssql_subtract", 2, true, subtractValues},
        {"mssql_subtract", 3, true, subtractValues},
        {"mssql_multiply", 2, true, multiplyValues},
        {"mssql_multiply", 3, true, multiplyValues},
        {"mssql_divide", 2, true, divideValues},
        {"mssql_divide", 3, true, divideValues},
        {"mssql_modulo", 2, true, moduloValues},
        {"mssql_modulo", 3, true, moduloValues},
        {"mssql_char", 1, true, characterOf<255>},
        {"mssql_nchar", 1, true, characterOf<65535>},
    };
    for (const Entry& entry : entries)
        sqlite3_create_function_v2(db, entry.name, entry.arguments,
                                   SQLITE_UTF8 | SQLITE_INNOCUOUS | (entry.deterministic ? SQLITE_DETERMINISTIC : 0), nullptr,
                                   entry.function, nullptr, nullptr, nullptr);
    ColumnStore::install(db);
    // Replaces SQLite's own NOCASE, which every text column is declared with.
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase, nullptr);
    sqlite3_create_function_v2(db, "mirtane_first_in_statement", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, counter, firstInStatement,
                               nullptr, nullptr, nullptr);
}

} // namespace db::embedded
