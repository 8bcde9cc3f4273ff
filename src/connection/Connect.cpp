#include "connection/Connect.h"

#include "connection/CompanyConnections.h"
#include "connection/LinkedServer.h"
#include "connection/ServerClock.h"
#include "connection/UserLog.h"
#include "report/IniSetting.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "report/TextFile.h"

namespace connection {

Connect::Connect(CompanyConnections& connections, const SettingsFiles& files, report::Reporter& reporter,
                 report::Prompter& prompter, std::function<QDateTime()> clock)
    : m_connections(connections)
    , m_files(files)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_clock(std::move(clock))
{
}

ConnectResult Connect::run(const ProgramSettings& current, const QString& destinationCode, const QString& sourceCode)
{
    ConnectResult result;
    result.settings = current;
    for (const QString& code : {destinationCode, sourceCode}) {
        const QString problem = companyCodeProblem(code);
        if (!problem.isEmpty()) {
            m_prompter.tell(report::PromptIcon::Warning, problem);
            return result;
        }
    }
    m_connections.destination().close();
    m_connections.source().close();
    m_reporter.status(QStringLiteral("Starting connection"));
    ProgramSettings settings = current;
    settings.destinationCompanyCode = destinationCode;
    settings.sourceCompanyCode = sourceCode;

    m_reporter.status(QStringLiteral("Starting Db connection"));
    QString sourceReason;
    try {
        m_connections.reopenDestination(settings);
        try {
            m_connections.reopenSource(settings);
        } catch (const std::exception& e) {
            sourceReason = QString::fromStdString(e.what());
        }
    } catch (const std::exception& e) {
        // Everything after this works on the Sub Company: with no such database nothing may run,
        // be written or look connected. The timer, if it runs, goes on with the companies it had.
        const QString reason = QString::fromStdString(e.what());
        m_reporter.status(QStringLiteral("Not connected: ") + destinationCode);
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Could not open the Sub Company ") + destinationCode
                                                          + QStringLiteral(" on the server ") + current.serverName + QStringLiteral(".\n")
                                                          + reason);
        return result;
    }
    result.outcome = ConnectResult::Outcome::Connected;
    result.settings = settings;

    const QString connected = QStringLiteral("Connection Established from ") + sourceCode + QStringLiteral(" to ") + destinationCode;
    UserLog userLog(m_connections.destination(), m_connections.source(), m_prompter, m_clock);
    UserLogEntry entry;
    entry.actionType = int(UserAction::New);
    entry.action = connected;
    if (m_connections.source().isOpen()) {
        result.endRequested = userLog.logUserAction(entry) == UserLog::Outcome::EndRequested;
    } else {
        // The branch works on without head office; the operator hears of it once, with the reason.
        m_prompter.tell(report::PromptIcon::Warning, QStringLiteral("The Main Company ") + sourceCode + QStringLiteral(" on the server ")
                                                         + settings.syncServerName + QStringLiteral(" is not connected.\n")
                                                         + sourceReason);
        userLog.logOnDestination(entry);
    }
    m_reporter.status(QStringLiteral("Db connection Done"));

    if (m_connections.source().isOpen())
        LinkedServer::configure(m_connections.destination(), settings.syncServerName, m_prompter, settings.encryption);
    m_reporter.status(QStringLiteral("linked Server configured"));
    m_reporter.status(QStringLiteral("Cost centers loaded"));

    m_reporter.status(QStringLiteral("settings Fixed"));
    writeSetting(m_prompter, m_files.appSettings, QStringLiteral("LOCALDBCODE"), destinationCode);
    writeSetting(m_prompter, m_files.appSettings, QStringLiteral("WEBDBCODE"), sourceCode);

    QString offset;
    try {
        offset = report::TextFile::read(m_files.timezone);
    } catch (const report::FileError&) {
        // Without the file the server's own clock is used.
    }
    ServerClock clock(offset, m_prompter, m_clock);
    result.serverDate = clock.serverDateTime(m_connections.source(), m_connections.destination()).date;
    // Nothing here acts on the automatic mode; the read is kept because it writes the key with its
    // default into a file that lacks it, where the operator and other programs look for it.
    readSetting(m_prompter, m_files.appSettings, QStringLiteral("ENABLEAUTOMirtane"), QStringLiteral("False"));
    return result;
}

} // namespace connection
