#include "connect/StartUp.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/NumberText.h"
#include "report/IniSetting.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "report/TextFile.h"

#include <QDir>

namespace connection {

SettingsFiles::SettingsFiles(const QString& programFolder)
    : serverName(QDir(programFolder).filePath(QStringLiteral("Resources/ServerName.ini")))
    , appSettings(QDir(programFolder).filePath(QStringLiteral("Resources/Appsettings.ini")))
    , appSettingsLoop(QDir(programFolder).filePath(QStringLiteral("Resources/AppsettingsLoop.ini")))
    , timezone(QDir(programFolder).filePath(QStringLiteral("Resources/TIMEZONE.ini")))
{
}

StartUp::StartUp(const SettingsFiles& files, report::IniSetting& ini, report::Reporter& reporter, report::Prompter& prompter)
    : m_files(files)
    , m_ini(ini)
    , m_reporter(reporter)
    , m_prompter(prompter)
{
}

QString StartUp::companyQuery()
{
    return QStringLiteral("Select * from tblcompany where (ApplicationID IN (33) and active=1) or companyID=33 order by CompanyName ");
}

QStringList StartUp::listCompanies(db::Connection& connection, StartUpResult& result)
{
    QStringList codes;
    try {
        db::Recordset rs = connection.openRecordset(companyQuery());
        for (; !rs.eof(); rs.moveNext())
            codes << rs.field(QStringLiteral("CompanyCode")).text();
    } catch (const db::DbError& e) {
        result.hadFailure = true;
        m_reporter.balloon(e.message());
    }
    return codes;
}

StartUpResult StartUp::run(db::Connection& startup)
{
    StartUpResult result;
    const QString serverName = report::IniSetting::firstLine(report::TextFile::read(m_files.serverName));
    result.settings.serverName = serverName;
    if (serverName.isEmpty()) {
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  Server Name. "));
        result.endProgram = true;
        return result;
    }
    // The sync server has a key of its own; an installation without it keeps using the one name.
    result.settings.syncServerName = m_ini.read(m_files.appSettings, QStringLiteral("SYNCSERVER"), serverName).trimmed();
    if (result.settings.syncServerName.isEmpty()) {
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  SYNCSERVER Name in Appsettings.ini"));
        result.endProgram = true;
        return result;
    }

    // How the sessions to SQL Server are encrypted; an installation without the key gets it added,
    // set to what suits old and new servers alike.
    const QString encrypt = m_ini.read(m_files.appSettings, QStringLiteral("ENCRYPT"), QStringLiteral("optional"));
    if (const std::optional<db::Encryption> encryption = connection::encryptionFromSetting(encrypt))
        result.settings.encryption = *encryption;
    else
        m_reporter.balloon(QStringLiteral("ENCRYPT=%1 in %2 is not yes, no or optional; optional is used.").arg(encrypt, m_files.appSettings));
    db::ConnectionContext context = startup.context();
    context.encryption = result.settings.encryption;
    startup.setContext(context);

    m_reporter.status(QStringLiteral("Starting up the application.... "));
    const QString password = result.settings.password;

    m_reporter.status(QStringLiteral("Conection establishing..... "));
    startup.close();
    try {
        startup.open(ConnectionTexts::startup(password, serverName));
        m_reporter.status(QStringLiteral("Conection establishing.Done.... "));
        startup.setCommandTimeout(10);
    } catch (const db::DbError& e) {
        result.hadFailure = true;
        m_reporter.balloon(e.message());
    }
    m_reporter.status(QStringLiteral("Loading companies.... "));
    if (startup.isOpen())
        result.destinationCompanies = listCompanies(startup, result);

    m_reporter.status(QStringLiteral("Online conection and companies.... "));
    startup.close();
    try {
        startup.open(ConnectionTexts::startup(password, result.settings.syncServerName));
        startup.setCommandTimeout(10);
    } catch (const db::DbError& e) {
        result.hadFailure = true;
        m_reporter.log(QStringLiteral("Start up"), e.message());
    }
    if (!startup.isOpen()) {
        m_prompter.tell(report::PromptIcon::None, result.settings.syncServerName + QStringLiteral(" Not connected "));
    } else {
        result.sourceCompanies = listCompanies(startup, result);
    }

    bool fits = true;
    result.maxActivityId = qint32(db::NumberText::leadingWhole(
        m_ini.read(m_files.appSettingsLoop, QStringLiteral("MaxActivityID"), QStringLiteral("0")), INT32_MIN, INT32_MAX, &fits));
    result.maxActivityIdTrans = qint32(db::NumberText::leadingWhole(
        m_ini.read(m_files.appSettingsLoop, QStringLiteral("MaxActivityIDTrans"), QStringLiteral("0")), INT32_MIN, INT32_MAX, &fits));
    result.lastDestinationCompany = m_ini.read(m_files.appSettings, QStringLiteral("LOCALDBCODE"), QString());
    result.lastSourceCompany = m_ini.read(m_files.appSettings, QStringLiteral("WEBDBCODE"), QString());

    m_reporter.status(QStringLiteral("Loading Over....Click Connect to proceed.. "));
    return result;
}

} // namespace connection
