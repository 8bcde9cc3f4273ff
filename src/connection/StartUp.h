#pragma once

#include "connection/ProgramSettings.h"

#include <QStringList>

#include <optional>

namespace db {
class Connection;
}
namespace report {
class Prompter;
class Reporter;
} // namespace report

namespace connection {

/// What start-up found out, for the window to show.
struct StartUpResult {
    /// True when the program cannot go on (no server name); the message was shown already.
    bool endProgram = false;
    /// True when some step failed (the error was shown as a notification); start-up went on.
    bool hadFailure = false;
    ProgramSettings settings;
    /// Company codes of the local server, in the order of the company list.
    QStringList destinationCompanies;
    /// Company codes of the sync server.
    QStringList sourceCompanies;
    /// The codes chosen at the last Connect (LOCALDBCODE, WEBDBCODE).
    QString lastDestinationCompany;
    QString lastSourceCompany;
    /// The upload watermarks of AppsettingsLoop.ini.
    qint32 maxActivityId = 0;
    qint32 maxActivityIdTrans = 0;
};

/// Paths of the settings files below the program folder.
struct SettingsFiles {
    explicit SettingsFiles(const QString& programFolder);
    QString serverName;
    QString appSettings;
    QString appSettingsLoop;
    QString timezone;
    /// Why the program keeps its files somewhere other than beside itself; "" when it does not.
    QString folderNote;
};

/// Reads `key` of the settings file `path` for work the operator started: a file that cannot be
/// read, or a line without "=", is shown in a box with a warning icon and gives "".
QString readSetting(report::Prompter& prompter, const QString& path, const QString& key, const QString& defaultValue);
/// Sets `key` of the settings file `path` for work the operator started: a failure is shown in a
/// box with a warning icon and leaves the file as it was.
void writeSetting(report::Prompter& prompter, const QString& path, const QString& key, const QString& value);

/// The start-up sequence up to the login panel: server names, the company lists of both servers
/// through the start-up connection, the restored company codes and the upload watermarks.
class StartUp {
public:
    StartUp(const SettingsFiles& files, report::Reporter& reporter, report::Prompter& prompter);

    /// The query that lists the companies.
    static QString companyQuery();

    /// Runs the sequence on `startupConnection` (left open to the sync server, as it was).
    StartUpResult run(db::Connection& startupConnection);

    /// The activity mark written as `text` (its leading whole number), none when it is beyond
    /// what an activity id can be.
    static std::optional<qint32> markValue(const QString& text);

private:
    qint32 readMark(const QString& key);
    QStringList listCompanies(db::Connection& connection, StartUpResult& result);

    const SettingsFiles& m_files;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
};

} // namespace connection
