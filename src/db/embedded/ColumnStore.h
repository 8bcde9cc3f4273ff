#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace text {
class Decimal;
}

namespace db::embedded {

/// A column's declared type as the engine keeps it ("numeric real(18,2)", "varchar(50)", "INTEGER").
struct DeclaredType {
    QString base;      ///< first word, lower case: "numeric", "varchar", "datetime"
    int length = -1;   ///< char/varchar/nchar/nvarchar: characters; 0 for max; -1 when not given
    int precision = -1;
    int scale = -1;

    static DeclaredType parse(const QString& text);
    /// True when a value written into the column is checked or converted by mssql_store.
    bool isChecked() const;
};

/// How values reach a column as SQL Server would let them: text that does not fit, numbers out of
/// range, decimals beyond the scale, impossible dates. Installs mssql_store, mssql_sum, mssql_avg,
/// mssql_single, mssql_to_number, mssql_object_id and mssql_columnproperty.
class ColumnStore {
public:
    /// Registers the functions on `db`.
    static void install(sqlite3* db);
    /// Sets `value` as a column of `type` holds it as the function's result, or the error SQL Server gives.
    static void store(sqlite3_context* context, sqlite3_value* value, const DeclaredType& type, const QString& table,
                      const QString& column);
    /// The range of the integer type `base` ("tinyint", "smallint", "int", "bigint"; others as int).
    static void integerRange(const QString& base, qint64& low, qint64& high);
    /// `text` (a plain decimal such as "-1.005") rounded half away from zero to `scale` decimals;
    /// `integerDigits` receives the digits left of the point. Empty when `text` is no number.
    static QString roundDecimal(const QString& text, int scale, int* integerDigits = nullptr);
    /// Sets an exact decimal as the function's result: a whole number as an integer, else a double when
    /// it holds the value exactly, else the decimal text in a blob.
    static void resultDecimal(sqlite3_context* context, const text::Decimal& value);
    /// A double as the decimal it stands for, to 15 significant digits ("116.025", never an exponent).
    static QString decimalOf(double value);
    /// True for text written as a date ("2026-13-02", "20260230") whatever its values: SQL Server
    /// calls an impossible one out of range (242) rather than no date (241).
    static bool looksLikeDate(const QString& text);
    /// True for a date-time exactly as this engine stores one ("2026-12-05 10:30:00", with ".123"
    /// when there are milliseconds).
    static bool isStoredDateTime(const QString& text);
    /// A date-time as a datetime column holds it: milliseconds in steps of .000, .003 and .007.
    static QDateTime datetimePrecision(const QDateTime& value);
    /// A date-time as a column of type `base` ("datetime", "smalldatetime", "date") holds it; empty
    /// when the type's range does not reach it.
    static std::optional<QDateTime> heldAs(const QDateTime& value, const QString& base);
    /// SQL Server's message for a date-time beyond the range of type `base` (error 242).
    static QString outOfRange(const QString& base);
    /// A date-time as a smalldatetime column holds it: to the minute, 29.998 seconds and on rounding up.
    static QDateTime smalldatetimePrecision(const QDateTime& value);
};

} // namespace db::embedded
