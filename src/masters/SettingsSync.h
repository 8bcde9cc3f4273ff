#pragma once

namespace db {
class Connection;
}
namespace report {
class Prompter;
class Reporter;
}

namespace masters {

/// "Settings Synchronisation": copies the application settings and the voucher types of the main
/// company into the sub company, each delete-and-copy pair inside one destination transaction.
class SettingsSync {
public:
    /// Writes on `destination`, reads `source`.
    SettingsSync(db::Connection& destination, db::Connection& source, report::Reporter& reporter, report::Prompter& prompter);

    /// Runs the copy; false when a step failed (shown as a notification; the later steps were not run).
    bool run();

private:
    void replace(const char* deleteStatement, const char* table, const char* query);

    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
};

} // namespace masters
