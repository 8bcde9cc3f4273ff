#pragma once

#include "db/Recordset.h"
#include "db/odbc/OdbcHandle.h"
#include "db/odbc/OdbcText.h"

#include <QString>
#include <QStringList>

namespace db::odbc {

/// One ODBC session through the driver manager: its environment and connection handles, and a
/// statement handle per call. Text goes through the narrow calls as UTF-8 or through the wide calls
/// as UTF-16, as chosen at open (textCallsFor; on Windows always the wide calls), the same whatever
/// the process's locale. Every failure throws DbError.
class OdbcConnection {
public:
    OdbcConnection() = default;
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    /// The driver names that the driver manager knows. Throws DbError.
    static QStringList installedDrivers();

    /// How text must cross the calls of `driver`: wide for Microsoft's drivers, and for every driver
    /// on Windows, where the narrow calls use the ANSI code page; narrow (UTF-8) otherwise.
    static TextCalls textCallsFor(const QString& driver);

    /// Connects with an ODBC connection string, waiting at most `loginTimeoutSeconds` for the login
    /// and for any later request other than a statement (15 when 0 or less); text then goes through
    /// `calls` (on Windows the wide calls whatever is asked). Throws DbError and stays closed when
    /// the connection fails.
    void openDriverString(const QString& connectionString, int loginTimeoutSeconds, TextCalls calls = TextCalls::Narrow);
    /// The calls that text goes through on this session.
    TextCalls textCalls() const { return m_calls; }
    /// True between a successful open and close.
    bool isOpen() const { return bool(m_dbc); }
    /// Disconnects; an open transaction is rolled back. Does nothing when closed.
    void close();

    /// Seconds each later statement may run (0: no limit).
    void setCommandTimeout(int seconds) { m_commandTimeout = seconds < 0 ? 0 : seconds; }
    /// The command timeout in seconds (0: no limit).
    int commandTimeout() const { return m_commandTimeout; }

    /// Runs a statement or batch; returns the rows that its statements affected together, 0 when a
    /// statement matched nothing, -1 when the driver reports no count. Throws DbError.
    long long execute(const QString& sql);
    /// Runs a query and fetches every row of its first result that has columns. Throws DbError.
    ResultData query(const QString& sql);

    /// Turns autocommit off. Throws DbError.
    void beginTransaction();
    /// Commits and turns autocommit on again; when the commit fails the transaction stays open. Throws DbError.
    void commitTransaction();
    /// Rolls back and turns autocommit on again; when the rollback fails the session is closed,
    /// so the server discards the work. Throws DbError.
    void rollbackTransaction();
    /// True between beginTransaction and its commit or rollback.
    bool inTransaction() const { return m_inTransaction; }

private:
    OdbcHandle newStatement();
    SQLRETURN execDirect(SQLHSTMT stmt, const QString& sql);
    void endTransaction(SQLSMALLINT completion);
    void setAutocommit(bool on);

    OdbcHandle m_env;
    OdbcHandle m_dbc;
    TextCalls m_calls = TextCalls::Narrow;
    int m_commandTimeout = 0;
    bool m_inTransaction = false;
};

} // namespace db::odbc
