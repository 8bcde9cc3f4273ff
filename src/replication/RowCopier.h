#pragma once

#include <QString>

#include <functional>

namespace db {
class Connection;
class DbError;
class Recordset;
}
namespace report {
class Reporter;
}

namespace replication {

/// What one row copy did.
struct CopyOutcome {
    /// Source rows read.
    long long rows = 0;
    /// Rows whose INSERT affected a row.
    long long inserted = 0;
    /// Rows that were not inserted (no row affected or a duplicate key).
    long long failed = 0;
};

/// Why a row of a copy was not written.
enum class RowRefusal { DuplicateKey, NotInserted };

/// Copies the rows of a table from one connection to another, one INSERT per row (CreateInsertQueries).
/// It shows nothing itself: each row it could not write goes to the caller's RowFailed.
class RowCopier {
public:
    /// Told of each row not written: a duplicate key (`text` the server's message) or an INSERT that
    /// affected no row (`text` "Failed to update " and the table shown).
    using RowFailed = std::function<void(RowRefusal refusal, const QString& text)>;

    /// Reads rows on `from`, writes them on `to`; reports progress and log entries to `reporter`, and
    /// each row not written to `rowFailed` (when empty: a duplicate key is a notification of `reporter`).
    RowCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter, RowFailed rowFailed = {});

    /// Copies every row of `query` (when empty: "Select * from " + table) into `table`. A duplicate
    /// key fails only its row; any other error ends the copy and
    /// is thrown (a db::DbError) for the caller to report, the rows inserted before it written.
    /// A value the table cannot store is thrown naming the table, the row's key and the column.
    CopyOutcome copy(const QString& table, const QString& query = {});
    /// The table named on the status line and progress bar instead of the one written to (a
    /// staging table stands in for the table it fills).
    void showAs(const QString& table) { m_shownTable = table; }

    /// "Insert into table (columns) values (values)" for the current row of `rows`.
    static QString insertStatement(const QString& table, const QString& columnList, const db::Recordset& rows);
    /// "Insert into table (columns) values (values)", every INSERT the copies send.
    static QString insertStatement(const QString& table, const QString& columnList, const QString& valueList);
    /// The column names of `rows` joined with ",".
    static QString columnList(const db::Recordset& rows);

    /// True for an error that refuses a value of the row rather than the statement or its
    /// surroundings: an overflow, a truncation or a conversion the branch's column cannot make.
    static bool isValueRefused(const db::DbError& error);

private:
    void rowFailed(RowRefusal refusal, const QString& text);
    QString refusedColumn(const QString& table, const db::Recordset& rows);

    db::Connection& m_from;
    db::Connection& m_to;
    report::Reporter& m_reporter;
    RowFailed m_rowFailed;
    QString m_shownTable;
};

} // namespace replication
