#include "connection/StartUp.h"

#include "db/Connection.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "text/NumberText.h"
#include "report/IniSetting.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "report/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace connection {

SettingsFiles::SettingsFiles(const QString& programFolder)
    : serverName(QDir(programFolder).filePath(QStringLiteral("Resources/ServerName.ini")))
    , appSettings(QDir(programFolder).filePath(QStringLiteral("Resources/Appsettings.ini")))
    , appSettingsLoop(QDir(programFolder).filePath(QStringLiteral("Resources/AppsettingsLoop.ini")))
    , timezone(QDir(programFolder).filePath(QStringLiteral("Resources/TIMEZONE.ini")))
{
}

QString readSetting(report::Prompter& prompter, const QString& path, const QString& key, const QString& defaultValue)
{
    try {
        return report::IniSetting::read(path, key, defaultValue);
    } catch (const report::FileError& e) {
        prompter.tell(report::PromptIcon::Warning, e.message());
        return QString();
    }
}

void writeSetting(report::Prompter& prompter, const QString& path, const QString& key, const QString& value)
{
    try {
        report::IniSetting::write(path, key, value);
    } catch (const report::FileError& e) {
        prompter.tell(report::PromptIcon::Warning, e.message());
    }
}

namespace {

// SQL Server names a server (and the linked server named after it) with a sysname: 128 characters.
// An embedded server is a folder, whose path may be longer.
constexpr qsizetype sqlServerNameLimit = 128;
constexpr qsizetype embeddedNameLimit = 1024;
// ServerName.ini is read only this far: a first line longer than any server name is refused
// whatever follows it, and a file of megabytes must not be read and split at start-up.
constexpr qint64 serverFileReadLimit = 8 * 1024;

QString readServerFileStart(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return report::TextFile::read(path); // throws the error that names the file and the reason
    QByteArray bytes = file.read(serverFileReadLimit);
    if (file.error() != QFileDevice::NoError)
        return report::TextFile::read(path);
    if (!file.atEnd() && !bytes.startsWith("\xff\xfe") && !bytes.startsWith("\xfe\xff")) {
        // Cut after a whole character: a UTF-8 sequence split at the limit would make the rest
        // read as Latin-1.
        qsizetype end = bytes.size();
        qsizetype back = 0;
        while (back < 3 && end - back - 1 >= 0 && (uchar(bytes[end - back - 1]) & 0xC0) == 0x80)
            ++back;
        if (end - back - 1 >= 0 && uchar(bytes[end - back - 1]) >= 0xC0)
            bytes.truncate(end - back - 1);
    }
    return report::TextFile::decode(bytes);
}

// Why `name` cannot be a server's name, "" when it can.
QString tooLongName(const QString& name, const QString& where)
{
    const qsizetype limit = db::ConnectionText::isEmbeddedSource(name) ? embeddedNameLimit : sqlServerNameLimit;
    if (name.size() <= limit)
        return QString();
    QString start = name.left(40);
    for (QChar& c : start)
        if (!c.isPrint())
            c = QLatin1Char(' ');
    return QStringLiteral("The server name in %1 is longer than a server name can be (at most %2 characters): \"%3...\"")
        .arg(where)
        .arg(limit)
        .arg(start);
}

} // namespace

StartUp::StartUp(const SettingsFiles& files, report::Reporter& reporter, report::Prompter& prompter)
    : m_files(files)
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

std::optional<qint32> StartUp::markValue(const QString& text)
{
    bool fits = true;
    const long long value = text::NumberText::leadingWhole(text, INT32_MIN, INT32_MAX, &fits);
    if (!fits)
        return std::nullopt;
    return qint32(value);
}

qint32 StartUp::readMark(const QString& key)
{
    const QString text = readSetting(m_prompter, m_files.appSettingsLoop, key, QStringLiteral("0"));
    if (const std::optional<qint32> mark = markValue(text))
        return *mark;
    // Read as 0 it would replay the whole activity log; the replay refuses it too until it is put right.
    m_prompter.tell(report::PromptIcon::Warning,
                    QStringLiteral("%1=%2 in %3 is larger than any activity number (at most %4). Correct it; until then the master changes are not replayed.")
                        .arg(key, text, m_files.appSettingsLoop)
                        .arg(INT32_MAX));
    return 0;
}

StartUpResult StartUp::run(db::Connection& startup)
{
    StartUpResult result;
    if (!m_files.folderNote.isEmpty())
        m_reporter.log(QStringLiteral("Program folder"), m_files.folderNote);
    QString serverName;
    QString unreadable;
    try {
        serverName = report::IniSetting::firstLine(readServerFileStart(m_files.serverName));
    } catch (const report::FileError& e) {
        unreadable = e.message();
    }
    if (const QString refused = tooLongName(serverName, m_files.serverName); !refused.isEmpty()) {
        // Not tried on a server, not shown whole anywhere: one short message, and the program ends.
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  Server Name. \n") + refused);
        result.endProgram = true;
        return result;
    }
    result.settings.serverName = serverName;
    if (serverName.isEmpty()) {
        // Which file was looked for, and where, so the operator can put it there.
        const QString resources = QFileInfo(m_files.serverName).absolutePath();
        QString why;
        if (!QFileInfo(resources).isDir())
            why = QStringLiteral("The folder %1 is missing; it must hold ServerName.ini.").arg(resources);
        else if (!QFileInfo::exists(m_files.serverName))
            why = QStringLiteral("%1 is missing.").arg(m_files.serverName);
        else if (!unreadable.isEmpty())
            why = unreadable;
        else
            why = QStringLiteral("The first line of %1 holds no server name.").arg(m_files.serverName);
        if (!m_files.folderNote.isEmpty())
            why += QLatin1Char('\n') + m_files.folderNote;
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  Server Name. \n") + why);
        result.endProgram = true;
        return result;
    }
    // The sync server has a key of its own; an installation without it keeps using the one name.
    result.settings.syncServerName = readSetting(m_prompter, m_files.appSettings, QStringLiteral("SYNCSERVER"), serverName).trimmed();
    if (const QString refused = tooLongName(result.settings.syncServerName, QStringLiteral("SYNCSERVER of ") + m_files.appSettings);
        !refused.isEmpty()) {
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  SYNCSERVER Name in Appsettings.ini\n") + refused);
        result.endProgram = true;
        return result;
    }
    if (result.settings.syncServerName.isEmpty()) {
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Please check  SYNCSERVER Name in Appsettings.ini"));
        result.endProgram = true;
        return result;
    }

    // How the sessions to SQL Server are encrypted; an installation without the key gets it added,
    // set to what suits old and new servers alike.
    const QString encrypt = readSetting(m_prompter, m_files.appSettings, QStringLiteral("ENCRYPT"), QStringLiteral("optional"));
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
        m_reporter.balloon(QStringLiteral("Cannot connect to the server %1 named in %2: %3").arg(serverName, m_files.serverName, e.message()));
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

    result.maxActivityId = readMark(QStringLiteral("MaxActivityID"));
    result.maxActivityIdTrans = readMark(QStringLiteral("MaxActivityIDTrans"));
    result.lastDestinationCompany = readSetting(m_prompter, m_files.appSettings, QStringLiteral("LOCALDBCODE"), QString());
    result.lastSourceCompany = readSetting(m_prompter, m_files.appSettings, QStringLiteral("WEBDBCODE"), QString());

    m_reporter.status(QStringLiteral("Loading Over....Click Connect to proceed.. "));
    return result;
}

} // namespace connection
