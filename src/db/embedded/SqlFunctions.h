#pragma once

#include <QDateTime>
#include <QString>

struct sqlite3;

namespace db::embedded {

class StatementCounter;

/// The SQL Server functions of the engine, as SQLite functions named mssql_*, and
/// mirtane_first_in_statement for the change-capture triggers.
class SqlFunctions {
public:
    /// Registers every function on `db`; `counter` must outlive the connection.
    static void install(sqlite3* db, StatementCounter* counter);
    /// SQL Server's default text of a date-time ("Dec  5 2026 12:00AM").
    static QString defaultDateTimeText(const QDateTime& value);
    /// The shortest decimal text that reads back as `value` ("12.5", "12", never an exponent).
    static QString shortestDecimal(double value);
};

} // namespace db::embedded
