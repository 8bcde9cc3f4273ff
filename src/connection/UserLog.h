#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace db {
class Connection;
}
namespace report {
class Prompter;
}

namespace connection {

/// Kinds of action written into the ERP's user log, by number.
enum class UserAction { Login = 0, Update = 1, New = 2, Cancel = 3, Delete = 4, Print = 5, Refresh = 6, Logout = 7, ErrorGenerated = 8 };

/// One row of the ERP's user log (tbluserlog).
struct UserLogEntry {
    int actionType = int(UserAction::New);
    QString action;
    QString oldData;
    QString newData;
    QString reCreateData;
    qint32 refId = 0;
    qint16 parentVchTypeId = 0;
    qint16 vchTypeId = 0;
    qint16 userId = 0;
    QString windowName;
};

/// Records an action of the program in the user log of both company databases.
class UserLog {
public:
    /// What became of a call.
    enum class Outcome { Written, SomeSideFailed, EndRequested };

    /// `now` gives the date and time written into the row.
    UserLog(db::Connection& destination, db::Connection& source, report::Prompter& prompter,
            std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); });

    /// The TypeofAction text for an action number ("" for numbers outside the table).
    static QString typeText(int actionType);
    /// The insert statement for `entry` at `now`: texts cut to their column widths, quotes doubled.
    static QString statement(const UserLogEntry& entry, const QDateTime& now);

    /// Writes the row on the destination, then on the source. With the destination closed the
    /// operator is first asked whether to end the program (EndRequested when they say Yes).
    /// A side that fails is shown in a warning box and the other side is still written.
    Outcome logUserAction(const UserLogEntry& entry);
    /// Writes the row on the source only, for an action whose destination row was written inside
    /// the destination's own transaction. A failure is shown in a warning box.
    Outcome logOnSource(const UserLogEntry& entry);
    /// Writes the row on the destination only (the source is known to be closed). A failure is
    /// shown in a warning box.
    Outcome logOnDestination(const UserLogEntry& entry);

private:
    Outcome logOn(db::Connection& side, const UserLogEntry& entry);

    db::Connection& m_destination;
    db::Connection& m_source;
    report::Prompter& m_prompter;
    std::function<QDateTime()> m_now;
};

} // namespace connection
