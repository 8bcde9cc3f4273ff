#pragma once

#include "connection/ProgramSettings.h"
#include "db/Connection.h"

#include <memory>

namespace connection {

/// The two company connections every operation works on: the destination (the Sub Company on
/// the local server) and the source (the Main Company on the sync server).
class CompanyConnections {
public:
    explicit CompanyConnections(db::ConnectionContext context);

    db::Connection& destination() { return *m_destination; }
    db::Connection& source() { return *m_source; }
    const db::ConnectionContext& context() const { return m_context; }

    /// Closes and reopens the destination connection for the Sub Company of `settings`. Throws
    /// db::DbError (or std::runtime_error for a code no database can have) when it cannot open;
    /// the connection then stays closed.
    void reopenDestination(const ProgramSettings& settings);
    /// The same for the source connection and the Main Company of `settings`.
    void reopenSource(const ProgramSettings& settings);

    /// Closes and reopens both connections, the second even when the first fails. A connection
    /// that does not open stays closed and nothing is said: what needs it finds it closed.
    void connectWebDatabase(const ProgramSettings& settings);

private:
    void reopen(db::Connection& connection, const ProgramSettings& settings, const QString& companyCode, const QString& server);

    db::ConnectionContext m_context;
    std::unique_ptr<db::Connection> m_destination;
    std::unique_ptr<db::Connection> m_source;
};

} // namespace connection
