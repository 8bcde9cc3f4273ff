// Row copy: statement texts, log entries, the duplicate-key path and errors that end the copy.
#include "replication/RowCopier.h"

#include "RecordingReporter.h"
#include "TempServers.h"

#include <gtest/gtest.h>

using namespace replication;
using Log = support::RecordingReporter::LogEntry;

namespace {
class RowCopierTest : public ::testing::Test {
protected:
    support::TempServers servers;
    support::RecordingReporter reporter;
    std::vector<std::pair<RowRefusal, QString>> refused;
    RowCopier copier{servers.headOffice(), servers.branch(), reporter,
                     [this](RowRefusal refusal, const QString& text) { refused.emplace_back(refusal, text); }};

    qlonglong count(db::Connection& c, const QString& sql) { return support::TempServers::scalar(c, sql).toLongLong(); }
};
} // namespace

TEST_F(RowCopierTest, CopiesOneRowWithItsStatementLoggedAndReported)
{
    servers.headOffice().execute("insert into tblArea (AreaID, Area, AreaCode, ActiveStatus) values (900, 'O''Brien St', NULL, 1)");
    const CopyOutcome outcome = copier.copy("tblArea", "select * from tblArea where AreaID=900");

    const QString sql = "Insert into tblArea (AreaID,Area,AreaCode,ActiveStatus) values (900,'O''Brien St',NULL,1)";
    EXPECT_EQ(outcome.rows, 1);
    EXPECT_EQ(outcome.inserted, 1);
    EXPECT_EQ(reporter.statuses, std::vector<QString>{"Migrating tblArea"});
    EXPECT_EQ(reporter.progresses, std::vector<QString>{sql});
    EXPECT_EQ(reporter.logs, (std::vector<Log>{{"Insert Query", sql}, {"Insert Query", "Updated Successfully"}}));
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(support::TempServers::rows(servers.branch(), "select AreaID, Area, AreaCode, ActiveStatus from tblArea where AreaID=900"),
              "900|O'Brien St|NULL|1");
}

TEST_F(RowCopierTest, IdentityKeysArriveAsTheHeadOfficeHasThemAndAnEmptySourceSendsNothing)
{
    // An empty source sends nothing and logs nothing.
    EXPECT_EQ(copier.copy("tblArea", "select * from tblArea where AreaID < 0").rows, 0);
    EXPECT_TRUE(reporter.logs.empty());
    EXPECT_TRUE(reporter.progresses.empty());
    servers.branch().execute("Delete from tblGodown");
    EXPECT_EQ(copier.copy("tblGodown").failed, 0);
    const QString all = "select GodownID, GodownName, GodownCode from tblGodown order by GodownID";
    EXPECT_EQ(support::TempServers::rows(servers.branch(), all), support::TempServers::rows(servers.headOffice(), all));
    // The switch is off again: the server numbers a new row itself.
    servers.branch().execute("insert into tblGodown (GodownName) values ('New')");
    EXPECT_EQ(count(servers.branch(), "select count(*) from tblGodown where GodownName = 'New' and GodownID > 0"), 1);
}

TEST_F(RowCopierTest, DuplicateKeyFailsItsRowAndTheFollowingRowsAreStillCopied)
{
    servers.branch().execute("Delete from tblArea");
    servers.branch().execute("insert into tblArea (AreaID, Area) values (1, 'Branch own')");
    const qlonglong sourceRows = count(servers.headOffice(), "select count(*) from tblArea");
    ASSERT_GT(sourceRows, 2);

    const CopyOutcome outcome = copier.copy("tblArea", "select * from tblArea order by AreaID");

    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(outcome.inserted, sourceRows - 1);
    // The copy itself shows nothing: the row goes to its caller, which decides how it is told.
    EXPECT_TRUE(reporter.balloons.empty());
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].first, RowRefusal::DuplicateKey);
    EXPECT_TRUE(refused[0].second.contains("Cannot insert duplicate key")) << refused[0].second.toStdString();
    EXPECT_EQ(refused[1], std::make_pair(RowRefusal::NotInserted, QStringLiteral("Failed to update tblArea")));
    ASSERT_GE(reporter.logs.size(), 2u);
    EXPECT_EQ(reporter.logs[1], (Log{"Insert Query", "Failed to update"}));
    EXPECT_EQ(reporter.logs[3], (Log{"Insert Query", "Updated Successfully"}));
    EXPECT_EQ(count(servers.branch(), "select count(*) from tblArea"), sourceRows);
    EXPECT_EQ(support::TempServers::scalar(servers.branch(), "select Area from tblArea where AreaID=1").toString(), "Branch own");
}
