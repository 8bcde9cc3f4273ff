#pragma once

#include <QString>

namespace connection {
class CompanyConnections;
}
namespace report {
class ListControl;
class Prompter;
class Reporter;
}

namespace transform {

class FillProgress;

/// Which company a query is sent to.
enum class Company { Destination, Source };

/// How one list is filled.
struct FillOptions {
    /// Show the progress window while the entries are added.
    bool showProgress = false;
    /// Add after the present entries instead of emptying the control first.
    bool keepEntries = false;
    /// The company whose connection runs the query.
    Company company = Company::Destination;
};

/// Fills lists and drop-down lists from a query whose first column is the entry's item data and
/// whose second column is its shown text.
class ListFiller {
public:
    /// How often a query that lost its connection is sent again, each time after the operator's box.
    static constexpr int connectionRetries = 3;

    ListFiller(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter,
               FillProgress& progress);

    /// Fills `control` with the rows of `query` and chooses its first entry; returns the number of
    /// rows (0 when none or after a failure, which is shown to the operator; entries added stay).
    int fill(report::ListControl& control, const QString& query, FillOptions options);
    /// True when the connection of `company` is open.
    bool isOpen(Company company) const;

private:
    int fail(report::ListControl& control, const QString& description);

    connection::CompanyConnections& m_connections;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    FillProgress& m_progress;
};

} // namespace transform
