#pragma once

#include <QStringList>

namespace db {
class Connection;
class DbError;
}
namespace report {
class Prompter;
}

namespace masters {

/// "Update Database": adds SyncStat and ServInvID to the sales and purchase tables of both companies.
class DatabaseUpdate {
public:
    /// Changes `destination` and `source`; tells the operator through `prompter` when done.
    DatabaseUpdate(db::Connection& destination, db::Connection& source, report::Prompter& prompter);

    /// The four statements, in the order they are sent.
    static QStringList statements();

    /// The text for the operator of a failure: when it names a column this update adds (on a
    /// company it has not been run on), the message says to run it and how its page opens.
    static QString explain(const db::DbError& e);

    /// Sends each statement on the destination and then on the source, skipping the ones that fail
    /// (a column that exists already), and shows "Database Updated.". Returns the failures skipped.
    int run();

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Prompter& m_prompter;
};

} // namespace masters
