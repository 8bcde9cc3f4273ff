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

    /// The statements that drop and re-create the linked server `name`, in the order they are sent;
    /// quotes in the name are doubled so the name can never end a literal. For a local server of
    /// `majorVersion` 16 or later, the server is added through the MSOLEDBSQL provider with the
    /// encryption that `encryption` asks for.
    static QStringList statements(const QString& name, int majorVersion = 0, db::Encryption encryption = db::Encryption::Optional);

    /// SERVERPROPERTY('ProductMajorVersion') of the server behind `connection`; 0 when it does not
    /// say (servers older than 2012). Throws DbError.
    static int productMajorVersion(db::Connection& connection);

    /// Asks the local server its version, then sends the statements on `destination`. The first
    /// failure is shown in a warning box and the rest are not sent; returns whether all were sent.
    static bool configure(db::Connection& destination, const QString& name, report::Prompter& prompter,
                          db::Encryption encryption = db::Encryption::Optional);
};

} // namespace connection
