#include "connect/UserLog.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "report/Prompter.h"

namespace connection {

namespace {
QString quoted(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return q;
}
} // namespace

UserLog::UserLog(db::Connection& destination, db::Connection& source, report::Prompter& prompter,
                 std::function<QDateTime()> now)
    : m_destination(destination)
    , m_source(source)
    , m_prompter(prompter)
    , m_now(std::move(now))
{
}

QString UserLog::typeText(int actionType)
{
    static const char* const texts[] = {"Login", "Update", "New", "Cancel", "Delete", "Print", "Refresh", "Logout", "ErrorGenerated"};
    if (actionType < 0 || actionType > 8)
        return QString();
    return QLatin1String(texts[actionType]);
}

QString UserLog::statement(const UserLogEntry& e, const QDateTime& now)
{
    // The system and login names are empty: the program has no login of its own. The window
    // name is a constant of the program, but its quotes are doubled all the same so no text can
    // ever end the literal early.
    const QString systemName;
    const QString loginName;
    return QStringLiteral(" insert into tbluserlog (SystemName,LoginName , DateOf, Action, TimeOF,TypeofAction, OldData, "
                          "NewData,ReCreateData , refID, ParentVchTypeID, VchTypeID, UserID,WindowName)  values('")
        + quoted(systemName) + QStringLiteral("','") + quoted(loginName) + QStringLiteral("','")
        + text::DateText::dayMonthYear(now.date()) + QStringLiteral("','") + quoted(e.action.left(100)) + QStringLiteral("','")
        + text::DateText::timeAmPm(now.time()) + QStringLiteral("','") + typeText(e.actionType) + QStringLiteral("','")
        + quoted(e.oldData.left(500)) + QStringLiteral("','") + quoted(e.newData.left(500)) + QStringLiteral("','")
        + quoted(e.reCreateData) + QStringLiteral("',") + QString::number(e.refId) + QLatin1Char(',')
        + QString::number(e.parentVchTypeId) + QLatin1Char(',') + QString::number(e.vchTypeId) + QLatin1Char(',')
        + QString::number(e.userId) + QStringLiteral(",'") + quoted(e.windowName) + QStringLiteral("')");
}

UserLog::Outcome UserLog::logUserAction(const UserLogEntry& entry)
{
    if (!m_destination.isOpen()) {
        const report::PromptAnswer answer = m_prompter.ask(report::Prompt{
            report::PromptIcon::Critical, QString(),
            QStringLiteral("Unable to connect with the database server. Do you want to end the application. "),
            report::PromptButtons::YesNo, report::PromptAnswer::Yes});
        if (answer == report::PromptAnswer::Yes)
            return Outcome::EndRequested;
    }
    bool allWritten = true;
    for (db::Connection* side : {&m_destination, &m_source}) {
        try {
            side->execute(statement(entry, m_now()));
        } catch (const db::DbError& e) {
            allWritten = false;
            m_prompter.tell(report::PromptIcon::Warning, e.message());
        }
    }
    return allWritten ? Outcome::Written : Outcome::SomeSideFailed;
}

UserLog::Outcome UserLog::logOnSource(const UserLogEntry& entry)
{
    return logOn(m_source, entry);
}

UserLog::Outcome UserLog::logOnDestination(const UserLogEntry& entry)
{
    return logOn(m_destination, entry);
}

UserLog::Outcome UserLog::logOn(db::Connection& side, const UserLogEntry& entry)
{
    try {
        side.execute(statement(entry, m_now()));
        return Outcome::Written;
    } catch (const db::DbError& e) {
        m_prompter.tell(report::PromptIcon::Warning, e.message());
        return Outcome::SomeSideFailed;
    }
}

} // namespace connection
