#pragma once

#include "masters/MasterCounts.h"
#include "replication/RowCopier.h"

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <vector>

namespace db {
class Connection;
}
namespace replication {
class BulkTransfer;
}
namespace report {
class ListControl;
class Prompter;
class Reporter;
}

namespace masters {

/// One step of the full master synchronisation.
struct SyncStep {
    /// When the status text is shown.
    enum class StatusAt { BeforeDelete, AfterDelete };

    /// Searched in the table set of the master list.
    QString key;
    /// Shown on the main status line; "" leaves the line as it is.
    QString status;
    StatusAt statusAt = StatusAt::BeforeDelete;
    /// Sent on the destination before the copy.
    QString deleteStatement;
    /// The table copied.
    QString table;
    /// True when the row copy is used whatever the bulk check box says.
    bool alwaysRowCopy = false;
    /// The source query of the row copy ("" for every column).
    QString rowCopyQuery;
    /// The columns that query gives, as written into the table ("" for every column).
    QString rowCopyColumns;
    /// Sent first, on the destination and then on the source.
    QStringList schemaChanges;
};

/// The "Master Synchronisation" button: makes the master tables of the sub company identical to
/// the main company's, one table per step. Each step first gathers the rows in a staging table of
/// the session, outside any transaction, and then replaces the table's rows by the staged ones in
/// one short destination transaction, so the branch's screens wait only for that swap.
class FullSync {
public:
    /// What the run needs besides the connections and the reporting.
    struct Setup {
        /// The linked server's name and the main company's catalog, for the bulk transfer.
        QString syncServer;
        QString sourceCompany;
        /// Read before each step: true copies by bulk transfer instead of row by row.
        std::function<bool()> bulkChecked;
        /// Compares the master counts at the end.
        std::function<void()> refreshCounts;
        /// Told, before the counts are compared, which tables the run left alone (empty when none).
        std::function<void(const std::vector<GuardedTable>&)> skippedTables;
    };

    /// Deletes and writes on `destination`, reads `source`; `masterList` is lstMasterSettings.
    FullSync(db::Connection& destination, db::Connection& source, report::Reporter& reporter, report::Prompter& prompter,
             report::ListControl& masterList, Setup setup);

    /// The seventeen steps in the order they run.
    static const std::vector<SyncStep>& steps();
    /// How a copy the operator started tells of a row it could not write: a box "Failed to update
    /// <table>" for an INSERT that affected no row, a notification for a duplicate key.
    static replication::RowCopier::RowFailed toldToOperator(report::Reporter& reporter, report::Prompter& prompter);

    /// True when a head office holding `headOfficeRows` would empty the branch's table, or leave
    /// it with fewer than half of its `branchRows`.
    static bool looksDamaged(qint64 branchRows, qint64 headOfficeRows);

    /// Refills the master list, runs every step whose key is in the table set, then shows
    /// "Upoading Over" and refreshes the counts. A table whose rows cannot be gathered, or whose
    /// delete or insert the branch refuses, is reported once as a notification and left wholly as
    /// it was; the other tables are still copied, and the end names the tables left as they were
    /// instead of "Upoading Over". When the branch's database is lost (no transaction can begin on
    /// it) or its disk fails, the run stops after the table in hand and says so, naming the table.
    /// With either company not connected, nothing starts.
    /// Before anything is deleted, the row counts of the chosen tables are compared; when the head
    /// office's copy of some looks damaged (looksDamaged), one question lists them with both counts:
    /// Yes copies them as every other table, No (the default) leaves them as they are.
    void run();

private:
    replication::BulkTransfer bulkTransfer();
    void runStep(const SyncStep& step);
    bool stageRows(const SyncStep& step);
    bool stageBulk(const SyncStep& step);
    void replaceFromStage(const SyncStep& step, const QString& columns);
    /// Shows why the step of `table` failed; a lost connection or a failing disk also ends the run (m_lost).
    void stepFailed(const QString& table, const std::exception& e);
    void send(db::Connection& connection, const QString& sql);
    std::vector<GuardedTable> damagedTables(const std::vector<SyncStep>& chosen);
    bool copyAnyway(const std::vector<GuardedTable>& tables);

    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    report::ListControl& m_masterList;
    Setup m_setup;
    QString m_lost;
    /// The tables whose step failed in this run, each left as it was.
    QStringList m_failed;
};

} // namespace masters
