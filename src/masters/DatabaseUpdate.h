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

/// What Update Database did.
struct DatabaseUpdateOutcome {
    /// Statements a company refused because the column is there already.
    int alreadyThere = 0;
    /// True when every statement was sent to both companies (added, or found there already).
    bool completed = false;
};

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

    /// Sends each statement on the destination and then on the source, passing over a column that
    /// is there already (SQL Server's error 2705), and shows "Database Updated.". Any other failure
    /// (a lost connection, a missing table) stops it with a box that says why, and no success text.
    DatabaseUpdateOutcome run();

private:
    db::Connection& m_destination;
    db::Connection& m_source;
    report::Prompter& m_prompter;
};

} // namespace masters
