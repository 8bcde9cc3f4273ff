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

    /// Closes and reopens both connections for the companies of `settings`. A connection whose
    /// opening fails stays closed; its error text is kept in lastDestinationError / lastSourceError.
    void connectWebDatabase(const ProgramSettings& settings);

    /// Why the destination connection did not open at the last connectWebDatabase ("" when it did).
    const QString& lastDestinationError() const { return m_destinationError; }
    /// Why the source connection did not open at the last connectWebDatabase ("" when it did).
    const QString& lastSourceError() const { return m_sourceError; }

private:
    static QString open(db::Connection& connection, const QString& companyCode, const QString& server);

    db::ConnectionContext m_context;
    std::unique_ptr<db::Connection> m_destination;
    std::unique_ptr<db::Connection> m_source;
    QString m_destinationError;
    QString m_sourceError;
};

} // namespace connection
