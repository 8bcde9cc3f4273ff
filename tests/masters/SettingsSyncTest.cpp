// Settings synchronisation and the schema update of both companies.
#include "masters/DatabaseUpdate.h"
#include "masters/SettingsSync.h"

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <gtest/gtest.h>

using support::TempServers;

namespace {
class SettingsSyncTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    masters::SettingsSync sync{servers.branch(), servers.headOffice(), reporter, prompter};
    QString rows(db::Connection& c, const QString& sql) { return TempServers::rows(c, sql); }
};
} // namespace

TEST_F(SettingsSyncTest, CopiesSettingsAndVoucherTypes)
{
    servers.branch().execute("insert into tblAppSettings (KeyName, ValueName) values ('BRANCHONLY', 'x')");
    servers.headOffice().execute("insert into tblAppSettings (KeyName, ValueName) values ('QUOTE', 'it''s')");
    EXPECT_TRUE(sync.run());
    const QString settings = "select KeyName, ValueName from tblAppSettings order by KeyName";
    EXPECT_EQ(rows(servers.branch(), settings), rows(servers.headOffice(), settings));
    EXPECT_EQ(rows(servers.branch(), "select VchTypeID, VchType, ParentID from tblVchType order by 1"),
              rows(servers.headOffice(), "select VchTypeID, VchType, ParentID from tblVchType order by 1"));
    EXPECT_EQ(reporter.progresses.back(), "Done");
    EXPECT_FALSE(servers.branch().inTransaction());
    // A source without voucher types empties the destination's.
    servers.headOffice().execute("delete from tblVchType");
    EXPECT_TRUE(sync.run());
    EXPECT_EQ(TempServers::scalar(servers.branch(), "select count(*) from tblVchType").toInt(), 0);
}

TEST_F(SettingsSyncTest, FailingReadOrDeleteStopsAndLeavesTheBranchAsItWas)
{
    // Head office's settings cannot be read: the branch keeps its own rather than none.
    servers.branch().execute("insert into tblAppSettings (KeyName, ValueName) values ('BRANCHONLY', 'x')");
    const QString settings = rows(servers.branch(), "select KeyName, ValueName from tblAppSettings order by 1");
    servers.headOffice().execute("DROP TABLE tblAppSettings");
    EXPECT_FALSE(sync.run());
    EXPECT_EQ(rows(servers.branch(), "select KeyName, ValueName from tblAppSettings order by 1"), settings);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    reporter.balloons.clear();

    const QString types = rows(servers.branch(), "select * from tblVchType order by 1");
    servers.branch().execute("DROP TABLE tblAppSettings");
    EXPECT_FALSE(sync.run());
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].contains("tblAppSettings"));
    EXPECT_EQ(rows(servers.branch(), "select * from tblVchType order by 1"), types);
    EXPECT_FALSE(servers.branch().inTransaction());
}

TEST_F(SettingsSyncTest, UpdateDatabaseAddsBothColumnsCanBeRepeatedAndNeverCallsALostConnectionDone)
{
    masters::DatabaseUpdate update(servers.branch(), servers.headOffice(), prompter);
    EXPECT_EQ(update.run().alreadyThere, 4); // the head office has the columns already
    for (const char* table : {"tblSales", "tblPurchase"})
        EXPECT_NO_THROW(servers.branch().openRecordset(QStringLiteral("select SyncStat, ServInvID from ") + table));
    const masters::DatabaseUpdateOutcome again = update.run();
    EXPECT_EQ(again.alreadyThere, 8);
    EXPECT_TRUE(again.completed);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, "Database Updated.");
    EXPECT_EQ(prompter.shown[1].icon, report::PromptIcon::None);

    // A failure that is not a column already there stops it, and it does not say it updated.
    servers.headOffice().execute("drop table tblPurchase");
    const masters::DatabaseUpdateOutcome failed = update.run();
    EXPECT_FALSE(failed.completed);
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[2].icon, report::PromptIcon::Critical);
    EXPECT_TRUE(prompter.shown[2].text.startsWith("The database was not updated: ")) << prompter.shown[2].text.toStdString();
    servers.headOffice().close();
    EXPECT_FALSE(update.run().completed);
    EXPECT_EQ(prompter.shown.back().icon, report::PromptIcon::Critical);
}
