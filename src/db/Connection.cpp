#include "db/Connection.h"

#include "db/DbError.h"

namespace db {

Connection::Connection(ConnectionContext context)
    : m_context(std::move(context))
{
}

Connection::~Connection()
{
    try {
        close();
    } catch (...) {
    }
}

void Connection::open(const QString& connectionText)
{
    if (m_backend)
        throw DbError(QStringLiteral("Operation is not allowed when the object is open."), QStringLiteral("HY010"), 3705);
    ConnectionInfo info = ConnectionText::parse(connectionText);
    std::unique_ptr<Backend> backend =
        info.isEmbedded() ? openEmbeddedBackend(info, m_context) : openSqlServerBackend(info, m_context);
    backend->setCommandTimeout(m_commandTimeout);
    m_backend = std::move(backend);
    m_text = connectionText;
    m_info = std::move(info);
    m_inTransaction = false;
}

void Connection::close()
{
    if (!m_backend)
        return;
    if (m_inTransaction) {
        m_inTransaction = false;
        try {
            m_backend->rollbackTransaction();
        } catch (const DbError&) {
            // The session is being thrown away; the server rolls back on disconnect anyway.
        }
    }
    m_backend.reset();
}

Backend& Connection::backend()
{
    if (!m_backend)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."), QStringLiteral("HY010"), 3704);
    return *m_backend;
}

void Connection::setCommandTimeout(int seconds)
{
    m_commandTimeout = seconds < 0 ? 0 : seconds;
    if (m_backend)
        m_backend->setCommandTimeout(m_commandTimeout);
}

long long Connection::execute(const QString& sql)
{
    return backend().execute(sql);
}

Recordset Connection::openRecordset(const QString& sql)
{
    ResultData data = backend().query(sql);
    return Recordset(sql, std::move(data));
}

void Connection::beginTrans()
{
    Backend& b = backend();
    if (m_inTransaction)
        throw DbError(QStringLiteral("A transaction is already open on this connection."), QStringLiteral("25000"), 0);
    b.beginTransaction();
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    Backend& b = backend();
    if (!m_inTransaction)
        throw DbError(QStringLiteral("No transaction is open on this connection."), QStringLiteral("25000"), 0);
    b.commitTransaction();
    m_inTransaction = false;
}

void Connection::rollbackTrans()
{
    Backend& b = backend();
    if (!m_inTransaction)
        throw DbError(QStringLiteral("No transaction is open on this connection."), QStringLiteral("25000"), 0);
    m_inTransaction = false;
    b.rollbackTransaction();
}

} // namespace db
