#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace db {
class Connection;
}

namespace tools {

/// Runs statements for mirtane-sql and prints what they give: a query's rows as tab-separated
/// text after a header line of name:typecode pairs, or "(N rows affected)" for other statements.
class SqlRunner {
public:
    /// A runner on an open connection, printing rows to `out` and failures to `err`.
    SqlRunner(db::Connection& connection, QTextStream& out, QTextStream& err);

    /// Runs one statement or batch; on failure writes the server's message to the error stream
    /// and returns false.
    bool run(const QString& statement);

    /// Splits a script read from standard input: at lines holding only GO when there are any,
    /// else one statement per non-empty line ("--" comment lines are dropped).
    static QStringList splitScript(const QString& script);
    /// True when the statement gives rows: it starts with SELECT or WITH (after blanks, comments
    /// and opening parentheses), or executes a system procedure that reports (sp_help..., sp_tables, ...).
    static bool returnsRows(const QString& statement);
    /// A field's text on one output line: NULL for a null, and backslash, tab, CR and LF escaped
    /// as \\, \t, \r and \n so that every row stays one line.
    static QString cellText(const QString& text, bool isNull);

private:
    void printRows(const QString& statement);

    db::Connection& m_connection;
    QTextStream& m_out;
    QTextStream& m_err;
};

} // namespace tools
