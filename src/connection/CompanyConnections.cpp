#include "connection/CompanyConnections.h"

#include "db/DbError.h"

#include <stdexcept>

namespace connection {

CompanyConnections::CompanyConnections(db::ConnectionContext context)
    : m_context(std::move(context))
    , m_destination(std::make_unique<db::Connection>(m_context))
    , m_source(std::make_unique<db::Connection>(m_context))
{
}

void CompanyConnections::reopen(db::Connection& connection, const ProgramSettings& settings, const QString& companyCode,
                                const QString& server)
{
    // The same connection objects are reopened (operations hold references to them), but a
    // reconnect must not inherit a timeout set by an earlier operation.
    m_context.encryption = settings.encryption;
    connection.close();
    connection.setCommandTimeout(30);
    connection.setContext(m_context);
    const QString problem = companyCodeProblem(companyCode);
    if (!problem.isEmpty())
        throw std::runtime_error(problem.toStdString());
    connection.open(ConnectionTexts::company(companyCode, server));
}

void CompanyConnections::reopenDestination(const ProgramSettings& settings)
{
    reopen(*m_destination, settings, settings.destinationCompanyCode, settings.serverName);
}

void CompanyConnections::reopenSource(const ProgramSettings& settings)
{
    reopen(*m_source, settings, settings.sourceCompanyCode, settings.syncServerName);
}

void CompanyConnections::connectWebDatabase(const ProgramSettings& settings)
{
    try {
        reopenDestination(settings);
    } catch (const std::exception&) {
        // Left closed; the tick that reopens finds out what it can still do.
    }
    try {
        reopenSource(settings);
    } catch (const std::exception&) {
        // Left closed: the branch works on without head office.
    }
}

} // namespace connection
