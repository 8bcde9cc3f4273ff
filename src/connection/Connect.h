#pragma once

#include "connection/ProgramSettings.h"
#include "connection/StartUp.h"

#include <QDate>
#include <QDateTime>

#include <functional>

namespace report {
class Prompter;
class Reporter;
} // namespace report

namespace connection {

class CompanyConnections;

/// How a Connect ended, for the window to show.
struct ConnectResult {
    enum class Outcome {
        /// Nothing was opened or written; the message was shown, the settings are the old ones.
        Refused,
        /// The Sub Company is open (the Main Company too, unless the message said otherwise).
        Connected,
    };
    Outcome outcome = Outcome::Refused;
    /// The settings with the companies connected (the old ones when refused).
    ProgramSettings settings;
    /// The operator chose to end the program when the user log could not be written.
    bool endRequested = false;
    /// The server's date for the date pickers.
    QDate serverDate;
};

/// The Connect operation: opens both companies, writes the user log on both sides, re-creates the
/// linked server to the head office, keeps the chosen codes in Appsettings.ini and reads the
/// server's date. A Sub Company that cannot be opened refuses the whole Connect; a Main Company
/// that cannot be opened is told once and the branch works on without it.
class Connect {
public:
    Connect(CompanyConnections& connections, const SettingsFiles& files, report::Reporter& reporter, report::Prompter& prompter,
            std::function<QDateTime()> clock);

    /// Connects `destinationCode` (the Sub Company) and `sourceCode` (the Main Company) with the
    /// servers of `current`. Throws nothing: every failure is shown through the prompter.
    ConnectResult run(const ProgramSettings& current, const QString& destinationCode, const QString& sourceCode);

private:
    CompanyConnections& m_connections;
    const SettingsFiles& m_files;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    std::function<QDateTime()> m_clock;
};

} // namespace connection
