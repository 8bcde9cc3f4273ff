#include "masters/FullSync.h"

#include "masters/MasterList.h"
#include "replication/BulkTransfer.h"
#include "replication/RowCopier.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "report/ListControl.h"
#include "report/ProgressSteps.h"
#include "report/Prompter.h"
#include "report/Reporter.h"

#include <algorithm>
#include <optional>

namespace masters {

namespace {

SyncStep step(const char* key, const char* status, const char* deleteStatement, const char* table)
{
    SyncStep s;
    s.key = QString::fromLatin1(key);
    s.status = QString::fromLatin1(status);
    s.deleteStatement = QString::fromLatin1(deleteStatement);
    s.table = QString::fromLatin1(table);
    return s;
}

std::vector<SyncStep> makeSteps()
{
    std::vector<SyncStep> steps;
    steps.push_back(step("tblLedger", "Migrating ledger ", "Delete from tblLedger", "tblLedger"));
    steps.push_back(step("tblArea", "Migrating Area ", "Delete from tblArea", "tblArea"));
    steps.push_back(step("tblCategory", "Migrating category ", "Delete from tblCategories", "tblCategories"));
    steps.push_back(step("tblItemMaster", "Migrating ItemMaster ", "Delete from tblItemMaster", "tblItemMaster"));
    steps.push_back(step("tblTaxClass", "Migrating TaxClass ", "Delete from tblTaxClass ", "tblTaxClass"));
    steps.push_back(step("tblUnit", "Migrating Unit ", "Delete from tblUnit", "tblUnit"));
    steps.push_back(step("tblUserMaster", "", "Delete from tblUserMaster", "tblUserMaster"));
    SyncStep userGroup = step("tblUserGroupMaster", "Migrating tblUserGroupMaster ", "Delete from tblUserGroupMaster",
                              "tblUserGroupMaster");
    userGroup.alwaysRowCopy = true;
    userGroup.schemaChanges << QStringLiteral("alter table tblUserGroupMaster alter column Accesslevel  VarChar (6000)");
    steps.push_back(userGroup);
    steps.push_back(step("tblAgent", "Migrating Agent ", "Delete from tblAgent", "tblAgent"));
    steps.push_back(step("tblEmployee", "Migrating Employee ", "Delete from tblEmployee", "tblEmployee"));
    SyncStep costCentre = step("tblCostcentre", "Migrating Costcentre ", "Delete from tblCostcentre", "tblCostcentre");
    costCentre.statusAt = SyncStep::StatusAt::AfterDelete;
    steps.push_back(costCentre);
    SyncStep godown = step("tblGodown", "Migrating Godown ", "Delete from tblGodown", "tblGodown");
    godown.statusAt = SyncStep::StatusAt::AfterDelete;
    godown.rowCopyQuery = QStringLiteral("SELECT GodownName       ,GodownCode   From tblGodown");
    godown.rowCopyColumns = QStringLiteral("GodownName,GodownCode");
    steps.push_back(godown);
    steps.push_back(step("tblAccountGroup", "Migrating AccountGroup ", "Delete from tblAccountGroup", "tblAccountGroup"));
    steps.push_back(step("tblCustomerProfile", "Migrating Customer Profile ", "Delete from tblCustomerProfile",
                         "tblCustomerProfile"));
    steps.push_back(step("tblCustomerCard", "Migrating customer card ", "Delete from tblCustomerCard", "tblCustomerCard"));
    steps.push_back(step("tblCurrency", "Migrating Currency ", "Delete from tblCurrency", "tblCurrency"));
    steps.push_back(step("tblCurrencyDetail", "Migrating currency detail ", "Delete from tblCurrencyDetail", "tblCurrencyDetail"));
    return steps;
}

} // namespace

replication::RowCopier::RowFailed FullSync::toldToOperator(report::Reporter& reporter, report::Prompter& prompter)
{
    return [&reporter, &prompter](replication::RowRefusal refusal, const QString& text) {
        if (refusal == replication::RowRefusal::NotInserted)
            prompter.tell(report::PromptIcon::Critical, text);
        else
            reporter.balloon(text);
    };
}

FullSync::FullSync(db::Connection& destination, db::Connection& source, report::Reporter& reporter, report::Prompter& prompter,
                   report::ListControl& masterList, Setup setup)
    : m_destination(destination)
    , m_source(source)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_masterList(masterList)
    , m_setup(std::move(setup))
{
}

const std::vector<SyncStep>& FullSync::steps()
{
    static const std::vector<SyncStep> list = makeSteps();
    return list;
}

void FullSync::send(db::Connection& connection, const QString& sql)
{
    try {
        connection.execute(sql);
    } catch (const std::exception& e) {
        // One failing statement is reported and the run goes on with the next one.
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
}

replication::BulkTransfer FullSync::bulkTransfer()
{
    return replication::BulkTransfer(m_destination, m_setup.syncServer, m_setup.sourceCompany, m_reporter);
}

bool FullSync::stageRows(const SyncStep& step)
{
    const QString stage = replication::BulkTransfer::stageName(step.table);
    bulkTransfer().dropStage(step.table);
    try {
        // The table's own columns and types, without its keys, so the rows arrive as they are. The
        // UNION ALL keeps an IDENTITY property out of the stage: the rows bring their keys along.
        if (step.rowCopyColumns.isEmpty())
            m_destination.execute(QStringLiteral("select * into ") + stage + QStringLiteral(" from ") + step.table
                                  + QStringLiteral(" where 1=0 union all select * from ") + step.table + QStringLiteral(" where 1=0"));
        else
            m_destination.execute(QStringLiteral("select ") + step.rowCopyColumns + QStringLiteral(" into ") + stage
                                  + QStringLiteral(" from ") + step.table + QStringLiteral(" where 1=0"));
        replication::RowCopier copier(m_source, m_destination, m_reporter, toldToOperator(m_reporter, m_prompter));
        copier.showAs(step.table);
        const replication::CopyOutcome outcome = copier.copy(
            stage, step.rowCopyQuery.isEmpty() ? QStringLiteral("Select * from ") + step.table : step.rowCopyQuery);
        // The copier has reported each row that did not arrive; a table missing rows is not put in place.
        return outcome.failed == 0;
    } catch (const std::exception& e) {
        stepFailed(step.table, e);
        return false;
    }
}

void FullSync::replaceFromStage(const SyncStep& step, const QString& columns)
{
    bool begun = false;
    try {
        // Without its transaction the delete could not be undone, so the table is left alone.
        db::Transaction transaction(m_destination);
        begun = true;
        try {
            m_destination.execute(step.deleteStatement);
        } catch (const db::DbError& e) {
            // A delete the branch refuses (a foreign key, a trigger, a lock held too long) ends the
            // step: said once, with the table, and the table keeps every row it had.
            throw db::DbError(step.table + QStringLiteral(" is left as it was: ") + e.message(), e.sqlState(), e.nativeCode());
        }
        if (step.statusAt == SyncStep::StatusAt::AfterDelete && !step.status.isEmpty())
            m_reporter.status(step.status);
        bulkTransfer().replaceFromStage(step.table, columns);
        transaction.commit();
    } catch (const std::exception& e) {
        stepFailed(step.table, e);
        if (begun)
            m_reporter.log(QStringLiteral("Rolled Back"), step.table);
    }
}

bool FullSync::stageBulk(const SyncStep& step)
{
    try {
        bulkTransfer().stage(step.table);
        return true;
    } catch (const std::exception& e) {
        stepFailed(step.table, e);
        return false;
    }
}

void FullSync::stepFailed(const QString& table, const std::exception& e)
{
    if (!m_failed.contains(table))
        m_failed << table;
    const auto* error = dynamic_cast<const db::DbError*>(&e);
    // A disk that fails (read-only, full, I/O) would fail every later table alike: the run ends
    // after the table in hand, which its transaction left as it was, with one message naming it.
    if (error && error->isDiskFailure()) {
        m_lost = table + QStringLiteral(": ") + error->message();
        m_reporter.balloon(QStringLiteral("Master Synchronisation stopped at ") + m_lost);
        return;
    }
    m_reporter.balloon(QString::fromStdString(e.what()));
    // A lost connection or database fails every later table the same way.
    if (error && error->isConnectionFailure())
        m_lost = error->message();
}

void FullSync::runStep(const SyncStep& step)
{
    for (const QString& change : step.schemaChanges) {
        send(m_destination, change);
        send(m_source, change);
    }

    const bool bulk = !step.alwaysRowCopy && m_setup.bulkChecked && m_setup.bulkChecked();
    if (step.statusAt == SyncStep::StatusAt::BeforeDelete && !step.status.isEmpty())
        m_reporter.status(step.status);
    // The rows are gathered before the step's transaction: across the linked server (which a local
    // transaction must not read), or row by row, each statement logged as it is sent. A table whose
    // rows could not all be gathered is left alone.
    if (bulk ? stageBulk(step) : stageRows(step)) {
        replaceFromStage(step, bulk ? QString() : step.rowCopyColumns);
    } else {
        if (!m_failed.contains(step.table))
            m_failed << step.table;
        if (!bulk) // the rows logged as updated never reached the table
            m_reporter.log(QStringLiteral("Rolled Back"), step.table);
    }
    bulkTransfer().dropStage(step.table);
}

bool FullSync::looksDamaged(qint64 branchRows, qint64 headOfficeRows)
{
    return branchRows > 0 && headOfficeRows * 2 < branchRows;
}

std::vector<GuardedTable> FullSync::damagedTables(const std::vector<SyncStep>& chosen)
{
    std::vector<GuardedTable> damaged;
    for (const SyncStep& step : chosen) {
        const QString count = QStringLiteral("select count(*) from ") + step.table;
        GuardedTable counted{step.table};
        try {
            counted.branchRows = m_destination.openRecordset(count).field(0).value().toLongLong();
            counted.headOfficeRows = m_source.openRecordset(count).field(0).value().toLongLong();
        } catch (const std::exception&) {
            // A table that cannot be counted cannot be read either: its step reports that and
            // leaves the table alone.
            continue;
        }
        if (looksDamaged(counted.branchRows, counted.headOfficeRows))
            damaged.push_back(counted);
    }
    return damaged;
}

bool FullSync::copyAnyway(const std::vector<GuardedTable>& tables)
{
    QString list;
    for (const GuardedTable& t : tables)
        list += QStringLiteral("%1: head office %2 rows, this branch %3 rows\n").arg(t.table).arg(t.headOfficeRows).arg(t.branchRows);
    report::Prompt prompt;
    prompt.icon = report::PromptIcon::Warning;
    prompt.title = QStringLiteral("Master Synchronisation");
    prompt.text = QStringLiteral("The head office holds far fewer rows than this branch in:\n\n") + list
        + QStringLiteral("\nCopying replaces the branch's rows with the head office's, so these tables would be emptied or "
                         "shrunk.\n\nYes: copy them anyway.\nNo: skip them and copy the other tables.");
    prompt.buttons = report::PromptButtons::YesNo;
    prompt.defaultAnswer = report::PromptAnswer::No;
    return m_prompter.ask(prompt) == report::PromptAnswer::Yes;
}

void FullSync::run()
{
    // A company that could not be opened at Connect would fail every statement of every table.
    if (!m_source.isOpen() || !m_destination.isOpen()) {
        const QString text = !m_source.isOpen()
            ? QStringLiteral("Master Synchronisation did not start: head office (Main Company %1) is not connected. Choose a Main Company that exists and press Connect.")
                  .arg(m_setup.sourceCompany)
            : QStringLiteral("Master Synchronisation did not start: this branch (Sub Company) is not connected. Press Reconnect and Connect again.");
        m_reporter.status(QStringLiteral("Master Synchronisation did not start"));
        m_reporter.balloon(text);
        return;
    }
    try {
        MasterList::fill(m_masterList);
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
    const QString tables = MasterList::tableSet(m_masterList).toUpper();
    std::vector<SyncStep> chosen;
    for (const SyncStep& step : steps()) {
        if (tables.contains(step.key.toUpper()))
            chosen.push_back(step);
    }
    // An empty or damaged head-office table would wipe the branch's copy; the counts are compared
    // before the first delete, and the operator is asked once for all such tables.
    std::vector<GuardedTable> skipped = damagedTables(chosen);
    if (!skipped.empty() && copyAnyway(skipped))
        skipped.clear();
    for (const GuardedTable& t : skipped) {
        m_reporter.log(QStringLiteral("Master Synchronisation skipped"),
                       QStringLiteral("%1 (head office %2 rows, branch %3 rows)").arg(t.table).arg(t.headOfficeRows).arg(t.branchRows));
        std::erase_if(chosen, [&](const SyncStep& step) { return step.table == t.table; });
    }
    report::ProgressSteps bar(m_reporter, QStringLiteral("Master Synchronisation"), qint64(chosen.size()));
    m_lost.clear();
    m_failed.clear();
    for (std::size_t k = 0; k < chosen.size() && m_lost.isEmpty(); ++k) {
        runStep(chosen[k]);
        bar.moveTo(qint64(k) + 1);
    }
    bar.finish();
    if (m_setup.skippedTables)
        m_setup.skippedTables(skipped);
    if (!m_lost.isEmpty()) {
        m_reporter.status(QStringLiteral("Master Synchronisation stopped: ") + m_lost);
        m_reporter.log(QStringLiteral("Master Synchronisation stopped"), m_lost);
        return;
    }
    // Each failure was said when it happened; the end must not read as a success.
    if (m_failed.isEmpty())
        m_reporter.status(QStringLiteral("Upoading Over"));
    else
        m_reporter.status(QStringLiteral("Master Synchronisation ended; left as they were: ") + m_failed.join(QStringLiteral(", ")));
    m_reporter.progress(QStringLiteral("....."));
    if (m_setup.refreshCounts)
        m_setup.refreshCounts();
}

} // namespace masters
