#pragma once

#include "db/Backend.h"

#include <QStringList>

namespace db {
class Connection;
}
namespace report {
class Prompter;
}

namespace connection {

/// The linked server through which the local server reads the online company database.
class LinkedServer {
public:
    /// The first SQL Server version (2022) whose linked servers must name their provider.
    static constexpr int providerNamedFrom = 16;
    /// The seconds a query through the linked server may run: the most whose milliseconds still fit
    /// in 32 bits (about 24 days), since 0 would mean the server's own limit (600 s by default).
    static constexpr int queryTimeoutSeconds = 2147483;

    /// The statements that drop the linked server `name` when it exists and add it again, quotes in
    /// the name doubled so the name can never end a literal. For a local server of `majorVersion` 16
    /// or later the server is added through `provider` with the encryption `encryption` asks for.
    static QStringList creation(const QString& name, int majorVersion = 0, db::Encryption encryption = db::Encryption::Optional,
                                const QString& provider = QStringLiteral("MSOLEDBSQL"));
    /// The logins and options of the linked server `name`, each statement giving the same result
    /// however often it is sent.
    static QStringList settings(const QString& name);

    /// The whole re-creation of the linked server `name`, in the order it is sent: creation()
    /// through the MSOLEDBSQL provider, then settings().
    static QStringList statements(const QString& name, int majorVersion = 0, db::Encryption encryption = db::Encryption::Optional);

    /// SERVERPROPERTY('ProductMajorVersion') of the server behind `connection`; 0 when it does not
    /// say (servers older than 2012). Throws DbError.
    static int productMajorVersion(db::Connection& connection);
    /// The OLE DB provider for SQL Server that the server behind `connection` has: MSOLEDBSQL
    /// (driver 18), else MSOLEDBSQL19 (driver 19); MSOLEDBSQL when it lists neither or cannot say.
    static QString oleDbProvider(db::Connection& connection);

    /// Makes the linked server `name` on `destination` what this program needs: re-created only
    /// when missing or different, its logins and options set; for the local server's own name (head
    /// office and branch on one server) only its data access is switched on. Two programs may do it
    /// at once. A failure is shown in a warning box; returns whether all went through.
    static bool configure(db::Connection& destination, const QString& name, report::Prompter& prompter,
                          db::Encryption encryption = db::Encryption::Optional);
};

} // namespace connection
