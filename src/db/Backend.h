#pragma once

#include "db/ConnectionText.h"
#include "db/Recordset.h"

#include <QString>
#include <memory>

namespace db {

/// What the link to SQL Server asks for (the ENCRYPT setting).
enum class Encryption {
    /// Encrypted when the server offers it, its certificate trusted as it is: old servers without
    /// TLS 1.2 still connect.
    Optional,
    /// Always encrypted, and the server's certificate must be one the machine trusts.
    Yes,
    /// Not asked for; a server that insists still encrypts, trusting its certificate.
    No,
};

/// What a connection sends to its server in one exchange, for those who count or delay them.
enum class RoundTrip {
    /// Opening the session (the login).
    Open,
    /// A statement or a query.
    Statement,
    /// Beginning, committing and rolling back a transaction.
    Begin,
    Commit,
    Rollback,
};

/// Sees each round trip a connection makes before it is made; benchmarks count and delay them.
class RoundTripObserver {
public:
    virtual ~RoundTripObserver() = default;
    /// Called before a round trip of `kind` to the server and catalog that `info` names; `sql` is
    /// the statement's text ("" for the others).
    virtual void beforeRoundTrip(const ConnectionInfo& info, RoundTrip kind, const QString& sql) = 0;
};

/// What a connection needs besides its text: where embedded servers live, how long to wait for a
/// login, and the encryption asked of SQL Server.
struct ConnectionContext {
    /// The program folder; "embedded:NAME" is the folder servers/NAME below it.
    QString programFolder;
    /// Seconds to wait for a server to accept a login before the open fails.
    int loginTimeoutSeconds = 15;
    /// Encryption of SQL Server sessions; the embedded engine has no network to encrypt.
    Encryption encryption = Encryption::Optional;
    /// Told of every round trip; null (the program's own connections) means nobody is.
    RoundTripObserver* roundTrips = nullptr;
};

/// One open session with a database; created open by the factory functions below, closed when destroyed.
class Backend {
public:
    virtual ~Backend() = default;
    /// Seconds a statement may run before it fails with a timeout; 0 means no limit.
    virtual void setCommandTimeout(int seconds) = 0;
    /// Runs a statement or batch that returns no rows; returns the rows affected (-1 when not known).
    virtual long long execute(const QString& sql) = 0;
    /// Runs a query and fetches its whole result.
    virtual ResultData query(const QString& sql) = 0;
    virtual void beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;
};

/// Opens a session on the embedded engine ("embedded:NAME" data sources). Throws DbError.
std::unique_ptr<Backend> openEmbeddedBackend(const ConnectionInfo& info, const ConnectionContext& context);
/// Opens a session on SQL Server through ODBC. Throws DbError.
std::unique_ptr<Backend> openSqlServerBackend(const ConnectionInfo& info, const ConnectionContext& context);

} // namespace db
