// Whole sync cycles on demo servers with no window at all: what a tick replays, counts and
// records in the health, and what it says of it. The window's part is TimerControllerTest's.
#include "RecordingReporter.h"
#include "TempServers.h"

#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "db/embedded/EmbeddedServer.h"
#include "report/IniSetting.h"
#include "report/Unattended.h"
#include "upload/Connectivity.h"
#include "upload/SyncCycle.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using support::TempServers;

namespace {

const QDate demoToday(2026, 12, 5);

class FakeConnectivity : public upload::Connectivity {
public:
    bool isWebConnected() override { return connected; }
    bool connected = true;
};

class SyncCycleTest : public ::testing::Test {
protected:
    SyncCycleTest() { connections.connectWebDatabase(settings); }

    // One cycle at `hour`:`minute` of the demo day, from the mark the last one reached.
    upload::CycleResult tickAt(int hour, int minute)
    {
        clock = QDateTime(demoToday, QTime(hour, minute));
        upload::CycleInputs inputs;
        inputs.countsVchType = 181;
        inputs.countsDay = demoToday;
        const upload::CycleResult result = cycle.run(mark, std::move(inputs), upload::CycleHooks{});
        mark = result.tick.mark;
        return result;
    }
    QString health() const { return cycle.health().text(); }
    QStringList healthNotices() const
    {
        QStringList texts;
        for (const QString& text : reporter.balloons)
            if (text.startsWith("Sync health: "))
                texts << text;
        return texts;
    }

    TempServers servers{7, demoToday};
    connection::ProgramSettings settings = TempServers::demoSettings();
    connection::CompanyConnections connections{db::ConnectionContext{servers.folder()}};
    support::RecordingReporter reporter;
    report::Unattended unattended{reporter};
    FakeConnectivity network;
    QDateTime clock{demoToday, QTime(10, 30)};
    QString loopFile = servers.folder() + QStringLiteral("/Resources/AppsettingsLoop.ini");
    upload::SyncCycle cycle{connections, settings, unattended, loopFile, network, [this] { return clock; }};
    qint32 mark = 0;
};

} // namespace

TEST_F(SyncCycleTest, CycleReplaysCountsAndKeepsTheActivityCountsBetweenCycles)
{
    network.connected = false;
    upload::CycleResult result = tickAt(10, 30);
    EXPECT_FALSE(result.tick.headOfficeReached);
    EXPECT_EQ(result.tick.mark, 0);
    EXPECT_TRUE(result.activity.isEmpty());
    EXPECT_FALSE(result.transactionCounts);
    EXPECT_EQ(health(), "head office unreachable since 10:30; no good tick yet");

    network.connected = true;
    servers.headOffice().execute("update tblLedger set CreditDays = 12 where LID = 3");
    result = tickAt(10, 31);
    EXPECT_TRUE(result.tick.completed);
    EXPECT_GT(result.tick.mark, 3);
    ASSERT_TRUE(result.transactionCounts);
    EXPECT_EQ(result.transactionCounts->branch.size(), 9u);
    EXPECT_EQ(result.transactionCounts->headOffice.size(), 9);
    EXPECT_FALSE(result.transformation);
    // The head office's change came over with the replay.
    EXPECT_EQ(TempServers::scalar(servers.branch(), "select CreditDays from tblLedger where LID = 3").toInt(), 12);

    for (int id = mark + 1; id <= mark + 3; ++id)
        servers.headOffice().execute(QStringLiteral("insert into tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId) "
                                                    "values (%1, 'tblSales', %1, 'Insert', 1, '2026-12-05 00:00:00', 18)")
                                         .arg(id));
    result = tickAt(10, 32);
    EXPECT_EQ(result.activityRowsRead, 3);
    EXPECT_EQ(result.activity, QStringList{"3\ttblSales\t5/12/2026"});
    // Counted rows are not read again by the next cycle, only by the first one after a restart.
    servers.headOffice().execute("update tblActivity set TableName = 'tblRewritten'");
    result = tickAt(10, 33);
    EXPECT_EQ(result.activityRowsRead, 0);
    EXPECT_EQ(result.activity, QStringList{"3\ttblSales\t5/12/2026"});
    cycle.restart();
    EXPECT_EQ(tickAt(10, 34).activity, QStringList{"3\ttblRewritten\t5/12/2026"});
}

TEST_F(SyncCycleTest, HealthUnreachableHeadOfficeIsNoticedOnceClearsAndThenCountsWhatIsSetAside)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "head office is made unreachable by renaming its open database file, which Windows does not allow";
#endif
    tickAt(10, 30);
    EXPECT_EQ(health(), "last good tick 10:30");
    EXPECT_TRUE(healthNotices().isEmpty());

    const QString catalog = QDir(db::embedded::EmbeddedServer::folderFor("embedded:HO", servers.folder())).filePath("MAIN01.sqlite");
    ASSERT_TRUE(QFile::rename(catalog, catalog + ".away"));
    for (int minute = 42; minute <= 45; ++minute)
        tickAt(10, minute);
    EXPECT_FALSE(connections.source().isOpen());
    EXPECT_EQ(health(), "head office unreachable since 10:42; last good tick 10:30");
    EXPECT_EQ(healthNotices(), QStringList{"Sync health: head office unreachable since 10:42; last good tick 10:30"});

    ASSERT_TRUE(QFile::rename(catalog + ".away", catalog));
    tickAt(10, 50);
    tickAt(10, 51);
    EXPECT_EQ(health(), "last good tick 10:51");
    EXPECT_EQ(healthNotices().size(), 2);
    EXPECT_EQ(healthNotices().last(), "Sync health: all well again; last good tick 10:50");

    // A change the branch keeps refusing is counted as set aside.
    servers.headOffice().execute("update tblLedger set CreditDays = 12 where LID = 3");
    db::embedded::EmbeddedServer branchServer(db::embedded::EmbeddedServer::folderFor("embedded:BR", servers.folder()));
    branchServer.executeNative("SUB01", "CREATE TRIGGER refuseLedger BEFORE INSERT ON tblLedger BEGIN SELECT RAISE(ABORT, 'refused'); END");

    tickAt(11, 31);
    tickAt(11, 32);
    EXPECT_EQ(health(), "last good tick 11:32");
    tickAt(11, 33);
    tickAt(11, 34);
    EXPECT_EQ(health(), "1 change set aside; last good tick 11:34");
    EXPECT_EQ(healthNotices().size(), 3);
    EXPECT_EQ(healthNotices().last(), "Sync health: 1 change set aside; last good tick 11:33");
}

TEST_F(SyncCycleTest, HealthMarkThatCannotMoveIsStalledAfterTwelveStillTicks)
{
    // A mark in the settings file beyond any activity number: the replay refuses to run at all.
    report::IniSetting::write(loopFile, "MaxActivityID", "99999999999");
    const qint64 waiting = TempServers::scalar(servers.headOffice(), "select count(*) from tblActivity where isnull(ParentId,0)=0"
                                                                     " and TableName<>'tblGodown' and tblUniqueID is not null")
                               .toLongLong();
    ASSERT_GT(waiting, 0);
    tickAt(10, 0);
    for (int tick = 1; tick < upload::Health::stalledAfterTicks; ++tick)
        tickAt(10, 14 + tick);
    EXPECT_EQ(health().toStdString(), "last good tick 10:25");
    tickAt(10, 26);
    tickAt(10, 27);
    EXPECT_EQ(health(), QStringLiteral("replay stalled: %1 head-office changes waiting since 10:15; last good tick 10:27").arg(waiting));
    EXPECT_EQ(healthNotices().size(), 1);
}

TEST_F(SyncCycleTest, HealthCaptureIsMissingWithoutActivityWhileVouchersAreWritten)
{
    db::Connection& head = servers.headOffice();
    const QDateTime now(demoToday, QTime(10, 30));
    EXPECT_FALSE(upload::Health::captureMissing(head, now));
    head.execute("delete from tblActivity");
    ASSERT_GT(TempServers::scalar(head, "select count(*) from tblSales where InvDate >= '20261202'").toInt(), 0);
    EXPECT_TRUE(upload::Health::captureMissing(head, now));
    // A head office that wrote no voucher in those days has nothing to record.
    EXPECT_FALSE(upload::Health::captureMissing(head, now.addYears(2)));
}
