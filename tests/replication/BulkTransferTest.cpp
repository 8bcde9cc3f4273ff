// Bulk transfer through the linked server, and the next free key.
#include "replication/BulkTransfer.h"
#include "replication/NextId.h"

#include "connection/LinkedServer.h"

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include "db/DbError.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace replication;
using support::TempServers;

namespace {
class BulkTransferTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;

    void SetUp() override { ASSERT_TRUE(connection::LinkedServer::configure(servers.branch(), "embedded:HO", prompter)); }
    BulkTransfer transfer() { return BulkTransfer(servers.branch(), "embedded:HO", "MAIN01", reporter); }
    QString rows(db::Connection& c, const QString& sql) { return TempServers::rows(c, sql); }
    qlonglong count(db::Connection& c, const QString& sql) { return TempServers::scalar(c, sql).toLongLong(); }
};
} // namespace

TEST_F(BulkTransferTest, ColumnListCopiesOnlyThoseColumnsAndAnEmptySourceEmptiesTheTable)
{
    transfer().transfer("tblArea", "AreaID,Area");
    EXPECT_EQ(rows(servers.branch(), "select AreaID, Area from tblArea order by AreaID"),
              rows(servers.headOffice(), "select AreaID, Area from tblArea order by AreaID"));
    EXPECT_EQ(count(servers.branch(), "select count(*) from tblArea where AreaCode is not null"), 0);
    // An empty source table empties the destination.
    servers.headOffice().execute("Delete from tblCurrencyDetail");
    ASSERT_GT(count(servers.branch(), "select count(*) from tblCurrencyDetail"), 0);
    transfer().transfer("tblCurrencyDetail");
    EXPECT_EQ(count(servers.branch(), "select count(*) from tblCurrencyDetail"), 0);
}

TEST_F(BulkTransferTest, UnreadableSourceOrFailingInsertLeavesTheDestinationUnchanged)
{
    const QString all = "select * from tblLedger order by LID";
    const QString before = rows(servers.branch(), all);
    ASSERT_FALSE(before.isEmpty());
    servers.headOffice().execute("DROP TABLE tblLedger");

    EXPECT_THROW(transfer().transfer("tblLedger"), db::DbError);
    EXPECT_EQ(rows(servers.branch(), all), before);
    EXPECT_FALSE(servers.branch().inTransaction());

    BulkTransfer unreachable(servers.branch(), "embedded:NOWHERE", "MAIN01", reporter);
    EXPECT_THROW(unreachable.transfer("tblLedger"), db::DbError);
    EXPECT_EQ(rows(servers.branch(), all), before);

    // The branch's table lacks a column the source has, so the insert fails after the delete,
    // and the delete is rolled back.
    servers.branch().execute("DROP TABLE tblCurrency");
    servers.branch().execute("CREATE TABLE tblCurrency (CurrencyID int NOT NULL PRIMARY KEY, CurrencyName varchar(50) NOT NULL)");
    servers.branch().execute("insert into tblCurrency values (77, 'Kept')");

    EXPECT_THROW(transfer().transfer("tblCurrency"), db::DbError);
    EXPECT_EQ(rows(servers.branch(), "select CurrencyID, CurrencyName from tblCurrency"), "77|Kept");
    // Nor is a stage left behind to be read by the next transfer.
    EXPECT_THROW(servers.branch().openRecordset("select * from " + BulkTransfer::stageName("tblCurrency")), db::DbError);
}

// Company codes that are not plain names (a "-", a leading digit) are bracketed in the four-part name.
TEST_F(BulkTransferTest, OddCompanyCodesReachTheHeadOfficeAndTheTimeoutComesBack)
{
    const QString folder = servers.folder() + "/servers/HO/";
    for (const QString& code : {QStringLiteral("MAIN-01"), QStringLiteral("01MAIN")}) {
        ASSERT_TRUE(QFile::copy(folder + "MAIN01.sqlite", folder + code + ".sqlite"));
        servers.branch().execute("delete from tblArea");
        BulkTransfer fromCode(servers.branch(), "embedded:HO", code, reporter);
        EXPECT_EQ(fromCode.sourceName("tblArea"), "[embedded:HO].[" + code + "].dbo.tblArea");
        fromCode.transfer("tblArea");
        EXPECT_EQ(rows(servers.branch(), "select * from tblArea order by 1"), rows(servers.headOffice(), "select * from tblArea order by 1"));
    }

    // The transfer reads without a time limit, but the connection gets its own limit back: a later
    // statement that meets a lock fails with a message instead of freezing the window.
    servers.branch().setCommandTimeout(1);
    transfer().transfer("tblArea");
    BulkTransfer columns = transfer();
    columns.stage("tblCurrency", "CurrencyID,CurrencyName");
    columns.dropStage("tblCurrency");
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

TEST_F(BulkTransferTest, NextIdIsTheLargestKeyPlusOneOrOne)
{
    NextId next(servers.branch());
    EXPECT_EQ(next.next("tblSales", "InvID"), count(servers.branch(), "select max(InvID) from tblSales") + 1);
    EXPECT_EQ(next.next("tblSales", "InvID", "InvID < 0"), 1);
    servers.branch().execute("delete from tblOrderItem");
    servers.branch().execute("delete from tblOrder");
    EXPECT_EQ(next.next("tblOrder", "InvID"), 1);
    EXPECT_THROW(next.next("tblNowhere", "InvID"), db::DbError);
    EXPECT_TRUE(prompter.shown.empty());
}
