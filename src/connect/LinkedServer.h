#pragma once

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
    /// The statements that drop and re-create the linked server `name`, in the order they are sent;
    /// quotes in the name are doubled so the name can never end a literal.
    static QStringList statements(const QString& name);

    /// Sends the statements on `destination`. The first failing statement is shown in a warning
    /// box and the rest are not sent; returns whether all were sent.
    static bool configure(db::Connection& destination, const QString& name, report::Prompter& prompter);
};

} // namespace connection
