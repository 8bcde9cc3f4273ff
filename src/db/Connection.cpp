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
    observe(info, RoundTrip::Open, QString());
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

void Connection::observe(const ConnectionInfo& info, RoundTrip kind, const QString& sql) const
{
    if (m_context.roundTrips)
        m_context.roundTrips->beforeRoundTrip(info, kind, sql);
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

DbError Connection::named(const DbError& error) const
{
    // A lock or query timeout does not say where it waited; with two company databases open the
    // operator needs to know which one is locked.
    const bool timeout = error.nativeCode() == 1222 || error.sqlState() == QLatin1String("HYT00");
    if (!timeout || m_info.catalog.isEmpty() || error.message().contains(QLatin1Char('\'') + m_info.catalog + QLatin1Char('\'')))
        return error;
    return DbError(error.message() + QStringLiteral(" (database '%1' on %2)").arg(m_info.catalog, m_info.dataSource), error.sqlState(),
                   error.nativeCode());
}

long long Connection::execute(const QString& sql)
{
    Backend& b = backend();
    observe(m_info, RoundTrip::Statement, sql);
    try {
        return b.execute(sql);
    } catch (const DbError& e) {
        throw named(e);
    }
}

Recordset Connection::openRecordset(const QString& sql)
{
    Backend& b = backend();
    observe(m_info, RoundTrip::Statement, sql);
    try {
        ResultData data = b.query(sql);
        return Recordset(sql, std::move(data));
    } catch (const DbError& e) {
        throw named(e);
    }
}

void Connection::beginTrans()
{
    Backend& b = backend();
    if (m_inTransaction)
        throw DbError(QStringLiteral("A transaction is already open on this connection."), QStringLiteral("25000"), 0);
    observe(m_info, RoundTrip::Begin, QString());
    try {
        b.beginTransaction();
    } catch (const DbError& e) {
        throw named(e);
    }
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    Backend& b = backend();
    if (!m_inTransaction)
        throw DbError(QStringLiteral("No transaction is open on this connection."), QStringLiteral("25000"), 0);
    observe(m_info, RoundTrip::Commit, QString());
    try {
        b.commitTransaction();
    } catch (const DbError& e) {
        throw named(e);
    }
    m_inTransaction = false;
}

void Connection::rollbackTrans()
{
    Backend& b = backend();
    if (!m_inTransaction)
        throw DbError(QStringLiteral("No transaction is open on this connection."), QStringLiteral("25000"), 0);
    m_inTransaction = false;
    observe(m_info, RoundTrip::Rollback, QString());
    b.rollbackTransaction();
}

} // namespace db
