// Copying vouchers: key remapping, detail rows, the write-back mark and rollback on failure.
#include "replication/TransactionCopier.h"

#include "db/DbError.h"

#include "RecordingReporter.h"
#include "TempServers.h"

#include "db/embedded/EmbeddedServer.h"

#include <gtest/gtest.h>

using namespace replication;
using support::TempServers;

namespace {
class TransactionCopierTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    TransactionCopier copier{servers.headOffice(), servers.branch(), reporter};
    qlonglong oldKey = 0;

    void SetUp() override
    {
        db::Connection& branch = servers.branch();
        servers.addVoucherMarks();
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

TEST_F(TransactionCopierTest, VoucherGetsTheNextKeyItsDetailsFollowAndOnlyItIsMarked)
{
    const VoucherOutcome outcome = copier.copy(voucher(true));

    EXPECT_EQ(outcome.newKey, 121);
    EXPECT_EQ(outcome.committed, 1);
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(count("select count(*) from tblSalesItem where InvID=121"), sourceDetails());
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvNo, BillAmt from tblSales where InvID=121"),
              TempServers::rows(servers.headOffice(), QStringLiteral("select InvNo, BillAmt from tblSales where InvID=%1").arg(oldKey)));
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvID, SyncStat, ServInvID from tblSales order by InvID"),
              QStringLiteral("%1|NULL|NULL\n120|NULL|NULL\n121|1|%1").arg(oldKey));
    ASSERT_GE(reporter.logs.size(), 2u);
    EXPECT_EQ(reporter.logs[0].tag, "transaction insertion");
    EXPECT_EQ(reporter.logs[1].tag, "transaction Detail insertion ");

    // Extra statements commit with the next voucher or roll it back.
    VoucherCopy c = voucher(true);
    c.extraStatements = [](long long key) { return QStringList{QStringLiteral("update tblSales set SyncStat=0 where InvID=%1").arg(key)}; };
    copier.copy(c);
    EXPECT_EQ(count("select SyncStat from tblSales where InvID=122"), 0);
    EXPECT_EQ(count("select count(*) from tblSales where InvID=122"), 1);

    c.extraStatements = [](long long) { return QStringList{QStringLiteral("update tblNowhere set X=1")}; };
    EXPECT_THROW(copier.copy(c), db::DbError);
    EXPECT_EQ(reporter.logs.back().tag, "Error Generated ");
    EXPECT_EQ(count("select count(*) from tblSales where InvID=123"), 0);
    EXPECT_EQ(count("select count(*) from tblSalesItem where InvID=123"), 0);
    EXPECT_FALSE(servers.branch().inTransaction());
}

TEST_F(TransactionCopierTest, MasterInsertThatAffectsNoRowsRollsBackAndSaysSo)
{
    // Only the database file itself can be given a trigger that swallows inserts.
    db::embedded::EmbeddedServer file(servers.folder() + "/servers/BR");
    file.executeNative("SUB01", "CREATE TRIGGER trgIgnoreSales BEFORE INSERT ON tblSales BEGIN SELECT RAISE(IGNORE); END");
    const VoucherOutcome outcome = copier.copy(voucher(true));
    EXPECT_EQ(outcome.committed, 0);
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(outcome.notInserted, 1);
    EXPECT_EQ(count("select count(*) from tblSalesItem"), 0);
    for (const auto& entry : reporter.logs)
        EXPECT_NE(entry.tag, "transaction Detail insertion ");
    // The next copy starts cleanly: no transaction was left open. A voucher without details is
    // committed alone.
    file.executeNative("SUB01", "DROP TRIGGER trgIgnoreSales");
    reporter.logs.clear();
    EXPECT_EQ(copier.copy(voucher(false)).committed, 1);
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(count("select count(*) from tblSales where InvID=121 and SyncStat=1"), 1);
    EXPECT_EQ(count("select count(*) from tblSalesItem"), 0);
    EXPECT_EQ(reporter.logs.size(), 1u);

    // A voucher whose key is an identity gets the drawn key.
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
    const VoucherOutcome drawn = copier.copy(c);
    EXPECT_EQ(drawn.committed, 1);
    EXPECT_EQ(TempServers::rows(servers.branch(), "select InvID, InvNo, At, ServInvID from tblIdVoucher order by InvID"),
              "1|B-1|NULL|NULL\n2|S-57|2026-12-05 10:30:15.003|57");
}
