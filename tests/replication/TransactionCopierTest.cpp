// Copying vouchers: key remapping, detail rows, the write-back mark and rollback on failure.
#include "replication/TransactionCopier.h"

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace replication;
using support::TempServers;

namespace {
class TransactionCopierTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    TransactionCopier copier{servers.headOffice(), servers.branch(), reporter, prompter};
    qlonglong oldKey = 0;

    void SetUp() override
    {
        db::Connection& branch = servers.branch();
        branch.execute("Alter table TblSales Add SyncStat Numeric");
        branch.execute("Alter table TblSales Add ServInvID Numeric");
        branch.execute("delete from tblSalesItem");
        branch.execute("delete from tblSales");
        oldKey = TempServers::scalar(servers.headOffice(),
                                     "select min(InvID) from tblSales where InvID in (select InvID from tblSalesItem)")
                     .toLongLong();
        ASSERT_GT(oldKey, 0);
        // An unrelated branch voucher carries the source key; the largest branch key is 120.
        addBranchVoucher(oldKey);
        addBranchVoucher(120);
    }

    void addBranchVoucher(qlonglong key)
    {
        servers.branch().execute(QStringLiteral("insert into tblSales (InvID, InvNo, InvDate, VchTypeID) values (%1, 'BR%1', '2026-01-01', 1)")
                                     .arg(key));
    }

    VoucherCopy voucher(bool withDetails) const
    {
        VoucherCopy c;
        c.masterTable = "tblSales";
        c.masterCondition = QStringLiteral("InvID=%1").arg(oldKey);
        c.keyColumn = "InvID";
        if (withDetails) {
            c.detailTable = "tblSalesItem";
            c.detailSource = "tblSalesItem";
        }
        c.skippedColumn = "SyncStat";
        return c;
    }

    qlonglong count(const QString& sql) { return TempServers::scalar(servers.branch(), sql).toLongLong(); }
    qlonglong sourceDetails() { return TempServers::scalar(servers.headOffice(), QStringLiteral("select count(*) from tblSalesItem where InvID=%1").arg(oldKey)).toLongLong(); }
};
} // namespace

TEST_F(TransactionCopierTest, VoucherGetsTheNextKeyAndItsDetailsFollowIt)
{
    const VoucherOutcome outcome = copier.copy(voucher(true));

    EXPECT_EQ(outcome.newKey, 121);
    EXPECT_EQ(outcome.committed, 1);
    EXPECT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(count("select count(*) from tblSales where InvID=121"), 1);
    EXPECT_EQ(count("select count(*) from tblSalesItem where InvID=121"), sourceDetails());
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvNo, BillAmt from tblSales where InvID=121"),
              TempServers::rows(servers.headOffice(), QStringLiteral("select InvNo, BillAmt from tblSales where InvID=%1").arg(oldKey)));
    ASSERT_GE(reporter.logs.size(), 2u);
    EXPECT_EQ(reporter.logs[0].tag, "transaction insertion");
    EXPECT_TRUE(reporter.logs[0].text.startsWith("Insert into tblSales (InvID,InvNo,"));
    EXPECT_TRUE(reporter.logs[0].text.contains("values (121,"));
    EXPECT_FALSE(reporter.logs[0].text.contains("SyncStat")); // the skipped column
    EXPECT_EQ(reporter.logs[1].tag, "transaction Detail insertion ");
    EXPECT_TRUE(reporter.logs[1].text.startsWith("Insert into tblSalesItem (InvID,SlNo,ItemID,"));
    EXPECT_TRUE(reporter.logs[1].text.contains("values (121,1,"));
    EXPECT_EQ(reporter.statuses, std::vector<QString>{"Migrating tblSales"});
}

TEST_F(TransactionCopierTest, VoucherWhoseKeyIsAnIdentityGetsTheDrawnKey)
{
    for (db::Connection* c : {&servers.headOffice(), &servers.branch()})
        c->execute("create table tblIdVoucher (InvID int IDENTITY(1,1) PRIMARY KEY, InvNo varchar(10), At datetime, "
                   "SyncStat numeric, ServInvID numeric)");
    servers.headOffice().execute("SET IDENTITY_INSERT tblIdVoucher ON");
    servers.headOffice().execute("insert into tblIdVoucher (InvID, InvNo, At) values (57, 'S-57', '2026-12-05T10:30:15.003')");
    servers.headOffice().execute("SET IDENTITY_INSERT tblIdVoucher OFF");
    servers.branch().execute("insert into tblIdVoucher (InvNo) values ('B-1')");
    VoucherCopy c;
    c.masterTable = "tblIdVoucher";
    c.masterCondition = "InvID=57";
    c.keyColumn = "InvID";
    c.skippedColumn = "SyncStat";
    const VoucherOutcome outcome = copier.copy(c);
    EXPECT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.committed, 1);
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvID, InvNo, At, ServInvID from tblIdVoucher order by InvID"),
              "1|B-1|NULL|NULL\n2|S-57|2026-12-05 10:30:15.003|57");
}

TEST_F(TransactionCopierTest, WriteBackMarksOnlyTheNewRow)
{
    copier.copy(voucher(true));
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvID, SyncStat, ServInvID from tblSales order by InvID"),
              QStringLiteral("%1|NULL|NULL\n120|NULL|NULL\n121|1|%1").arg(oldKey));
}

TEST_F(TransactionCopierTest, VoucherWithoutDetailsIsCommittedAlone)
{
    const VoucherOutcome outcome = copier.copy(voucher(false));
    EXPECT_EQ(outcome.committed, 1);
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(count("select count(*) from tblSales where InvID=121 and SyncStat=1"), 1);
    EXPECT_EQ(count("select count(*) from tblSalesItem"), 0);
    EXPECT_EQ(reporter.logs.size(), 1u);
}

TEST_F(TransactionCopierTest, ExtraStatementsCommitWithTheVoucherOrRollItBack)
{
    VoucherCopy c = voucher(true);
    c.extraStatements = [](long long key) { return QStringList{QStringLiteral("update tblSales set SyncStat=0 where InvID=%1").arg(key)}; };
    copier.copy(c);
    EXPECT_EQ(count("select SyncStat from tblSales where InvID=121"), 0);
    EXPECT_EQ(count("select count(*) from tblSales where InvID=121"), 1);

    c.extraStatements = [](long long) { return QStringList{QStringLiteral("update tblNowhere set X=1")}; };
    const VoucherOutcome failed = copier.copy(c);
    EXPECT_EQ(failed.newKey, 122);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(count("select count(*) from tblSales where InvID=122"), 0);
    EXPECT_EQ(count("select count(*) from tblSalesItem where InvID=122"), 0);
    EXPECT_FALSE(servers.branch().inTransaction());
}

TEST_F(TransactionCopierTest, MasterInsertThatAffectsNoRowsRollsBackAndSaysSo)
{
    // Only the database file itself can be given a trigger that swallows inserts.
    sqlite3* file = nullptr;
    ASSERT_EQ(sqlite3_open(QDir(servers.folder()).filePath("servers/BR/SUB01.sqlite").toUtf8().constData(), &file), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(file, "CREATE TRIGGER trgIgnoreSales BEFORE INSERT ON tblSales BEGIN SELECT RAISE(IGNORE); END", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    const VoucherOutcome outcome = copier.copy(voucher(true));
    EXPECT_EQ(outcome.committed, 0);
    EXPECT_FALSE(servers.branch().inTransaction());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Failed to update tblSales");
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
    EXPECT_EQ(count("select count(*) from tblSalesItem"), 0);
    for (const auto& entry : reporter.logs)
        EXPECT_NE(entry.tag, "transaction Detail insertion ");
    // The next copy starts cleanly: no transaction was left open.
    ASSERT_EQ(sqlite3_exec(file, "DROP TRIGGER trgIgnoreSales", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(file);
    EXPECT_EQ(copier.copy(voucher(true)).committed, 1);
}

TEST_F(TransactionCopierTest, NoMatchingVoucherCopiesNothing)
{
    VoucherCopy c = voucher(true);
    c.masterCondition = "InvID=-5";
    const VoucherOutcome outcome = copier.copy(c);
    EXPECT_EQ(outcome.newKey, 0);
    EXPECT_TRUE(reporter.logs.empty());
    EXPECT_EQ(count("select count(*) from tblSales"), 2);
}
