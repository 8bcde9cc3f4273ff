#pragma once

#include "db/Backend.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "db/Recordset.h"

#include <QString>
#include <memory>

namespace db {

/// A connection to a company database, opened with an OLE DB style connection text.
/// Data sources that start with "embedded:" go to the embedded engine, all others to SQL Server.
class Connection {
public:
    explicit Connection(ConnectionContext context = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Opens the connection. Throws DbError (and stays closed) when the text is malformed,
    /// the server cannot be reached or the catalog does not exist.
    void open(const QString& connectionText);
    /// 1 when open, 0 when closed.
    int state() const { return m_backend ? 1 : 0; }
    bool isOpen() const { return m_backend != nullptr; }
    /// Closes the connection; an open transaction is rolled back. Does nothing when closed.
    void close();

    /// Seconds a statement may run (0: no limit); 30 until set.
    void setCommandTimeout(int seconds);
    int commandTimeout() const { return m_commandTimeout; }

    /// Runs a statement or batch that returns no rows; returns the rows affected. Throws DbError.
    long long execute(const QString& sql);
    /// Opens a static, read-only recordset on `sql`. Throws DbError.
    Recordset openRecordset(const QString& sql);

    /// Starts a transaction. Throws DbError when one is already open or the connection is closed.
    void beginTrans();
    /// Commits the open transaction. Throws DbError.
    void commitTrans();
    /// Rolls the open transaction back. Throws DbError.
    void rollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

    /// The text the connection was last opened with, and what it says.
    const QString& connectionText() const { return m_text; }
    const ConnectionInfo& info() const { return m_info; }
    const ConnectionContext& context() const { return m_context; }
    /// Replaces the context; it counts from the next open.
    void setContext(const ConnectionContext& context) { m_context = context; }

private:
    Backend& backend();
    void observe(const ConnectionInfo& info, RoundTrip kind, const QString& sql) const;
    DbError named(const DbError& error) const;

    ConnectionContext m_context;
    std::unique_ptr<Backend> m_backend;
    QString m_text;
    ConnectionInfo m_info;
    int m_commandTimeout = 30;
    bool m_inTransaction = false;
};

} // namespace db
