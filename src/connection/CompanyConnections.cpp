#include "connection/CompanyConnections.h"

#include "db/DbError.h"

namespace connection {

CompanyConnections::CompanyConnections(db::ConnectionContext context)
    : m_context(std::move(context))
    , m_destination(std::make_unique<db::Connection>(m_context))
    , m_source(std::make_unique<db::Connection>(m_context))
{
}

QString CompanyConnections::open(db::Connection& connection, const QString& companyCode, const QString& server)
{
    const QString problem = companyCodeProblem(companyCode);
    if (!problem.isEmpty())
        return problem;
    try {
        connection.open(ConnectionTexts::company(companyCode, server));
        return QString();
    } catch (const db::DbError& e) {
        return e.message();
    }
}

void CompanyConnections::connectWebDatabase(const ProgramSettings& settings)
{
    // The same connection objects are reopened (operations hold references to them), but a
    // reconnect must not inherit a timeout set by an earlier operation.
    m_context.encryption = settings.encryption;
    m_destination->close();
    m_destination->setCommandTimeout(30);
    m_destination->setContext(m_context);
    m_source->close();
    m_source->setCommandTimeout(30);
    m_source->setContext(m_context);
    m_destinationError = open(*m_destination, settings.destinationCompanyCode, settings.serverName);
    m_sourceError = open(*m_source, settings.sourceCompanyCode, settings.syncServerName);
}

} // namespace connection
