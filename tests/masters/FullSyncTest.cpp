// Full master synchronisation on the demo servers: both copy methods, the step particulars and
// the failure rule.
#include "masters/FullSync.h"

#include "connection/LinkedServer.h"
#include "db/DbError.h"
#include "db/embedded/EmbeddedServer.h"
#include "replication/BulkTransfer.h"

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using masters::FullSync;
using support::TempServers;

namespace {
const QStringList copiedTables{"tblLedger",    "tblArea",        "tblCategories",   "tblItemMaster",     "tblTaxClass",
                               "tblUnit",      "tblUserMaster",  "tblUserGroupMaster", "tblAgent",       "tblEmployee",
                               "tblCostcentre", "tblAccountGroup", "tblCustomerProfile", "tblCustomerCard", "tblCurrency",
                               "tblCurrencyDetail"};

class FullSyncTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    support::VectorListControl list;
    bool bulk = false;
    QString syncServer = "embedded:HO";
    QString sourceCompany = "MAIN01";
    int refreshes = 0;

    void SetUp() override { ASSERT_TRUE(connection::LinkedServer::configure(servers.branch(), "embedded:HO", prompter)); }

    void run()
    {
        FullSync::Setup setup{syncServer, sourceCompany, [this] { return bulk; }, [this] { ++refreshes; }, {}};
        FullSync(servers.branch(), servers.headOffice(), reporter, prompter, list, setup).run();
    }
    QString rows(db::Connection& c, const QString& sql) { return TempServers::rows(c, sql); }
    QString all(const QString& table) { return "select * from " + table + " order by 1"; }

    // The row copy writes NULLs as ' ' (which a date column reads as 1900-01-01) or 0; everything
    // else arrives as it was.
    void expectRowCopied(const QString& table)
    {
        const QStringList from = rows(servers.headOffice(), all(table)).split('\n');
        const QStringList to = rows(servers.branch(), all(table)).split('\n');
        ASSERT_EQ(from.size(), to.size()) << table.toStdString();
        for (qsizetype r = 0; r < from.size(); ++r) {
            const QStringList a = from[r].split('|');
            const QStringList b = to[r].split('|');
            ASSERT_EQ(a.size(), b.size());
            for (qsizetype c = 0; c < a.size(); ++c)
                EXPECT_TRUE(a[c] == b[c] || (a[c] == "NULL" && (b[c] == " " || b[c] == "0" || b[c] == "1900-01-01 00:00:00")))
                    << table.toStdString() << " row " << r << ": " << a[c].toStdString() << " / " << b[c].toStdString();
        }
    }
    void expectIdentical(const QString& table)
    {
        EXPECT_EQ(rows(servers.branch(), all(table)), rows(servers.headOffice(), all(table))) << table.toStdString();
    }
    // True when the session still holds the staging table of `table`, which the next step would read.
    bool staged(const QString& table)
    {
        try {
            servers.branch().openRecordset("select * from " + replication::BulkTransfer::stageName(table));
            return true;
        } catch (const db::DbError&) {
            return false;
        }
    }
    bool logged(const QString& tableInStatement)
    {
        for (const auto& entry : reporter.logs)
            if (entry.text.startsWith("Insert into " + tableInStatement + " "))
                return true;
        return false;
    }
};
} // namespace

TEST_F(FullSyncTest, RowCopyMakesEveryMasterTableMatchTheHeadOffice)
{
    const QString attendance = rows(servers.branch(), all("tblAttendance"));
    list.addItem("Ledger" + QString(120, ' ') + "_tblLedger", 0); // only this row selected beforehand
    list.setSelected(0, true);

    run();

    for (const QString& table : copiedTables)
        expectRowCopied(table);
    // Only name and code of the godowns are copied.
    EXPECT_EQ(rows(servers.branch(), "select GodownName, GodownCode from tblGodown order by GodownName"),
              rows(servers.headOffice(), "select GodownName, GodownCode from tblGodown order by GodownName"));
    // Each row goes into the staging table first, logged as it is sent.
    EXPECT_TRUE(logged("#MirtaneStage_tblGodown (GodownName,GodownCode)"));
    EXPECT_TRUE(logged("#MirtaneStage_tblLedger"));
    EXPECT_EQ(rows(servers.branch(), all("tblAttendance")), attendance);

    EXPECT_EQ(list.count(), 18);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(refreshes, 1);
    const std::vector<QString> firstStatuses(reporter.statuses.begin(), reporter.statuses.begin() + 4);
    // The row copy names the table it fills, and so does the swap that puts the rows in place.
    EXPECT_EQ(firstStatuses,
              (std::vector<QString>{"Migrating ledger ", "Migrating tblLedger", "Migrating tblLedger", "Migrating Area "}));
    const auto at = [this](const QString& text) {
        return std::find(reporter.statuses.begin(), reporter.statuses.end(), text) - reporter.statuses.begin();
    };
    EXPECT_EQ(at("Migrating tblUserMaster"), at("Migrating Unit ") + 3); // the user step sets no text of its own
    EXPECT_EQ(at("Migrating tblUserGroupMaster"), at("Migrating tblUserGroupMaster ") + 1);
    EXPECT_EQ(at("Migrating tblCategories"), at("Migrating category ") + 1);
    EXPECT_EQ(reporter.statuses.back(), "Upoading Over");
    EXPECT_EQ(reporter.progresses.back(), ".....");
    EXPECT_TRUE(reporter.balloons.empty()) << reporter.balloons[0].toStdString();
    EXPECT_FALSE(servers.branch().inTransaction());
}

// A table whose source cannot be read, or whose insert fails after its delete, is left as it
// was, with no stage left behind; the others are copied.
TEST_F(FullSyncTest, BulkModeCopiesWholeTablesButUserGroupsRowByRow)
{
    bulk = true;
    const QString employees = rows(servers.branch(), all("tblEmployee"));
    servers.headOffice().execute("DROP TABLE tblEmployee");
    // The branch's table lacks a column the source has, so the insert fails after the delete.
    servers.branch().execute("DROP TABLE tblCurrency");
    servers.branch().execute("CREATE TABLE tblCurrency (CurrencyID int NOT NULL PRIMARY KEY, CurrencyName varchar(50) NOT NULL)");
    servers.branch().execute("insert into tblCurrency values (77, 'Kept')");
    run();

    EXPECT_EQ(rows(servers.branch(), all("tblEmployee")), employees);
    EXPECT_EQ(rows(servers.branch(), all("tblCurrency")), "77|Kept");
    ASSERT_EQ(reporter.balloons.size(), 2u);
    EXPECT_TRUE(reporter.balloons[0].contains("tblEmployee")) << reporter.balloons[0].toStdString();
    EXPECT_EQ(reporter.statuses.back(), "Master Synchronisation ended; left as they were: tblEmployee, tblCurrency");
    EXPECT_FALSE(staged("tblEmployee"));
    EXPECT_FALSE(staged("tblCurrency"));
    for (const QString& table : copiedTables) {
        if (table == "tblEmployee" || table == "tblCurrency")
            continue;
        if (table == "tblUserGroupMaster")
            expectRowCopied(table);
        else
            expectIdentical(table);
    }
    expectIdentical("tblGodown");
    EXPECT_TRUE(logged("#MirtaneStage_tblUserGroupMaster"));
    EXPECT_FALSE(logged("#MirtaneStage_tblLedger"));
    EXPECT_FALSE(logged("#MirtaneStage_tblGodown"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(servers.branch().inTransaction());
}

// A head office the linked server cannot reach: every table copied across it keeps its rows.
TEST_F(FullSyncTest, BulkModeFromAnUnreachableServerLeavesEveryTableWhole)
{
    bulk = true;
    syncServer = "embedded:NOWHERE";
    std::map<QString, QString> before;
    for (const QString& table : copiedTables)
        before[table] = rows(servers.branch(), all(table));
    run();

    for (const QString& table : copiedTables) {
        if (table != "tblUserGroupMaster") { // copied row by row from head office's own connection
            EXPECT_EQ(rows(servers.branch(), all(table)), before[table]) << table.toStdString();
        }
        EXPECT_FALSE(staged(table)) << table.toStdString();
    }
    ASSERT_FALSE(reporter.balloons.empty());
    EXPECT_TRUE(reporter.balloons[0].contains("NOWHERE")) << reporter.balloons[0].toStdString();
    EXPECT_TRUE(reporter.statuses.back().startsWith("Master Synchronisation ended; left as they were: tblLedger, tblArea"))
        << reporter.statuses.back().toStdString();
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_TRUE(prompter.shown.empty());
}

// Company codes that are not plain names (a "-", a leading digit) reach head office's database of
// that name. The remote read runs without a time limit, but the branch's connection gets its own
// limit back: a later statement that meets a lock fails with a message instead of freezing the window.
TEST_F(FullSyncTest, BulkModeReachesOddCompanyCodesAndGivesTheTimeoutBack)
{
    bulk = true;
    servers.branch().setCommandTimeout(1);
    const QString folder = servers.folder() + "/servers/HO/";
    for (const QString& code : {QStringLiteral("MAIN-01"), QStringLiteral("01MAIN")}) {
        ASSERT_TRUE(QFile::copy(folder + "MAIN01.sqlite", folder + code + ".sqlite"));
        std::unique_ptr<db::Connection> company = servers.open("embedded:HO", code);
        company->execute("insert into tblArea (AreaID, Area) values (990001, '" + code + "')");
        sourceCompany = code;
        run();
        EXPECT_EQ(rows(servers.branch(), all("tblArea")), rows(*company, all("tblArea"))) << code.toStdString();
        EXPECT_TRUE(reporter.balloons.empty()) << reporter.balloons[0].toStdString();
    }
    ASSERT_EQ(servers.branch().commandTimeout(), 1);

    std::unique_ptr<db::Connection> other = servers.open("embedded:BR", "SUB01");
    other->beginTrans();
    other->execute("delete from tblArea");
    try {
        servers.branch().execute("delete from tblArea");
        ADD_FAILURE() << "the locked table was written";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.message().contains("Lock request time out period exceeded")) << e.message().toStdString();
    }
    other->rollbackTrans();
}

// A failing table is reported and the others are still copied. The operator's progress bar: table
// k of n for the run, row r of m inside each table, and every bar that starts also finishes.
TEST_F(FullSyncTest, FailingTableIsReportedTheOthersCopiedAndEveryBarFinishes)
{
    servers.branch().execute("DROP TABLE tblArea");
    run();
    ASSERT_FALSE(reporter.balloons.empty());
    EXPECT_TRUE(reporter.balloons[0].contains("tblArea")) << reporter.balloons[0].toStdString();
    for (const QString& table : copiedTables)
        if (table != "tblArea")
            expectRowCopied(table);
    EXPECT_EQ(reporter.statuses.back(), "Master Synchronisation ended; left as they were: tblArea");
    EXPECT_EQ(refreshes, 1);

    std::vector<support::RecordingReporter::Range> tables;
    for (const auto& range : reporter.ranges)
        if (range.name == "Master Synchronisation")
            tables.push_back(range);
    ASSERT_GE(tables.size(), 2u);
    const qint64 n = tables.front().total;
    EXPECT_EQ(tables.size(), std::size_t(n) + 1);
    EXPECT_EQ(tables.front().done, 0);
    for (std::size_t k = 0; k < tables.size(); ++k)
        EXPECT_EQ(tables[k].done, qint64(k)) << k;
    EXPECT_EQ(tables.back().done, n);

    const qint64 ledgerRows = TempServers::scalar(servers.headOffice(), "select count(*) from tblLedger").toLongLong();
    std::vector<support::RecordingReporter::Range> ledger;
    for (const auto& range : reporter.ranges)
        if (range.name == "Copying tblLedger")
            ledger.push_back(range);
    ASSERT_FALSE(ledger.empty());
    EXPECT_EQ(ledger.back(), (support::RecordingReporter::Range{"Copying tblLedger", ledgerRows, ledgerRows}));

    std::map<QString, support::RecordingReporter::Range> last;
    for (const auto& range : reporter.ranges)
        last[range.name] = range;
    for (const auto& [name, range] : last)
        EXPECT_EQ(range.done, range.total) << name.toStdString();
}

// A delete the branch refuses (here a trigger, as a foreign key or a lock timeout would) ends that
// table's step: the table keeps every row it had, the operator hears of it once, and the next
// tables are still copied.
TEST_F(FullSyncTest, RefusedDeleteLeavesThatTableWholeAndTheRunGoesOn)
{
    servers.branch().execute("insert into tblLedger (LID, LName) values (990001, 'Only at the branch')");
    const QString ledger = rows(servers.branch(), all("tblLedger"));
    db::embedded::EmbeddedServer(servers.folder() + "/servers/BR")
        .executeNative("SUB01", "CREATE TRIGGER refuse_ledger_delete BEFORE DELETE ON tblLedger "
                                "BEGIN SELECT RAISE(ABORT, 'ledger rows are in use'); END");
    run();

    EXPECT_EQ(rows(servers.branch(), all("tblLedger")), ledger);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].startsWith("tblLedger is left as it was: ")) << reporter.balloons[0].toStdString();
    EXPECT_TRUE(reporter.balloons[0].contains("ledger rows are in use")) << reporter.balloons[0].toStdString();
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front().text.toStdString();
    expectRowCopied("tblArea");
    expectRowCopied("tblCurrencyDetail");
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(reporter.statuses.back(), "Master Synchronisation ended; left as they were: tblLedger");
}

// A value the branch's column cannot hold: the one message names the table, the row's key and
// the column, and the table keeps every row it had.
TEST_F(FullSyncTest, ValueTheBranchCannotStoreIsNamedAndItsTableLeftWhole)
{
    // The branch keeps fewer digits than head office: 6 before the point against 15.
    servers.branch().execute("alter table tblItemMaster alter column ReorderLevel numeric(9,3)");
    const int item = TempServers::scalar(servers.headOffice(), "select max(ItemID) from tblItemMaster").toInt();
    servers.headOffice().execute(QStringLiteral("update tblItemMaster set ReorderLevel = 99999999 where ItemID = %1").arg(item));
    servers.headOffice().execute("insert into tblItemMaster (ItemID, ItemName) values (990001, 'Green Tea 250g')");
    const QString items = rows(servers.branch(), all("tblItemMaster"));
    run();

    EXPECT_EQ(rows(servers.branch(), all("tblItemMaster")), items);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].startsWith(QStringLiteral("tblItemMaster ItemID %1, column ReorderLevel (").arg(item)))
        << reporter.balloons[0].toStdString();
    EXPECT_TRUE(reporter.balloons[0].contains("Arithmetic overflow")) << reporter.balloons[0].toStdString();
    expectRowCopied("tblLedger");
    EXPECT_EQ(reporter.statuses.back(), "Master Synchronisation ended; left as they were: tblItemMaster");
}

// The branch's disk turns read-only while the areas are copied: the run ends after that table
// with one message naming it, and never reads as over.
TEST_F(FullSyncTest, DiskThatFailsEndsTheRunAfterTheTableInHandWithOneMessage)
{
    struct FailingDisk : support::RecordingReporter {
        db::Connection* branch = nullptr;
        void status(const QString& text) override
        {
            RecordingReporter::status(text);
            if (branch && text == "Migrating Area ") {
                branch->execute("PRAGMA query_only = 1");
                branch = nullptr;
            }
        }
    } disk;
    disk.branch = &servers.branch();
    const QString areas = rows(servers.branch(), all("tblArea"));
    const QString currencies = rows(servers.branch(), all("tblCurrencyDetail"));
    FullSync::Setup setup{"embedded:HO", "MAIN01", [] { return false; }, [this] { ++refreshes; }, {}};
    FullSync(servers.branch(), servers.headOffice(), disk, prompter, list, setup).run();
    servers.branch().execute("PRAGMA query_only = 0");

    ASSERT_EQ(disk.balloons.size(), 1u);
    EXPECT_TRUE(disk.balloons[0].startsWith("Master Synchronisation stopped at tblArea: ")) << disk.balloons[0].toStdString();
    EXPECT_TRUE(std::none_of(disk.statuses.begin(), disk.statuses.end(), [](const QString& s) { return s == "Upoading Over"; }));
    EXPECT_TRUE(disk.statuses.back().startsWith("Master Synchronisation stopped: tblArea: ")) << disk.statuses.back().toStdString();
    expectRowCopied("tblLedger");
    EXPECT_EQ(rows(servers.branch(), all("tblArea")), areas);
    EXPECT_EQ(rows(servers.branch(), all("tblCurrencyDetail")), currencies);
    EXPECT_EQ(refreshes, 0);
}

// A Main Company that could not be opened at Connect: said once, and nothing is deleted.
TEST_F(FullSyncTest, HeadOfficeNotConnectedStartsNothing)
{
    servers.headOffice().close();
    const QString ledger = rows(servers.branch(), all("tblLedger"));
    run();
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_EQ(reporter.balloons[0], "Master Synchronisation did not start: head office (Main Company MAIN01) is not connected. Choose a "
                                    "Main Company that exists and press Connect.");
    EXPECT_EQ(reporter.statuses.back(), "Master Synchronisation did not start");
    EXPECT_EQ(rows(servers.branch(), all("tblLedger")), ledger);
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(prompter.shown.empty());
}

// The branch's tills and screens can still write the master table while its rows are being
// gathered: the lock is held only for the swap at the end of the step.
TEST_F(FullSyncTest, TableStaysWritableWhileItsRowsAreGathered)
{
    struct WritingReporter : support::RecordingReporter {
        db::Connection* till = nullptr;
        std::vector<QString> errors;
        int writes = 0;
        void progress(const QString& text) override
        {
            RecordingReporter::progress(text);
            if (!till || !text.startsWith("Insert into #MirtaneStage_tblItemMaster "))
                return;
            try {
                till->execute("update tblItemMaster set ItemName = ItemName where ItemID = (select min(ItemID) from tblItemMaster)");
                ++writes;
            } catch (const std::exception& e) {
                errors.push_back(QString::fromStdString(e.what()));
            }
        }
    } writing;
    std::unique_ptr<db::Connection> till = servers.open("embedded:BR", "SUB01");
    till->setCommandTimeout(1);
    writing.till = till.get();
    FullSync::Setup setup{"embedded:HO", "MAIN01", [] { return false; }, {}, {}};
    FullSync(servers.branch(), servers.headOffice(), writing, prompter, list, setup).run();

    EXPECT_TRUE(writing.errors.empty()) << writing.errors.front().toStdString();
    EXPECT_GT(writing.writes, 0);
    expectRowCopied("tblItemMaster");
}
