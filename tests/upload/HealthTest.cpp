// The sync health line, through the real main window's timer on demo servers: each state made by
// its cause (a head office that cannot be opened, a change the branch keeps refusing, a mark the
// replay cannot move, a head office that records no changes), and one notice per change.
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Shell.h"
#include "app/TimerController.h"
#include "db/embedded/EmbeddedServer.h"
#include "report/IniSetting.h"
#include "upload/Connectivity.h"
#include "upload/Health.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace app;
using support::TempServers;

namespace {

const QDate demoToday(2026, 12, 5);

class AlwaysConnected : public upload::Connectivity {
public:
    bool isWebConnected() override { return true; }
};

class HealthTest : public ::testing::Test {
protected:
    TempServers servers{7, demoToday};
    support::ScriptedPrompter prompter;
    AlwaysConnected network;
    QDateTime clock{demoToday, QTime(10, 30)};
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<ReconcileController> reconcile;
    std::unique_ptr<TimerController> timer;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(servers.folder());
        Shell::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [this] { return clock; };
        shell = std::make_unique<Shell>(*window, options);
        reconcile = std::make_unique<ReconcileController>(*shell, *window);
        timer = std::make_unique<TimerController>(*shell, *window, *reconcile, &network);
        ASSERT_TRUE(shell->startUp());
        window->cmdConnect()->click();
        shell->setRunTransformation([](bool) {});
    }
    // One tick at `hour`:`minute` of the demo day.
    void tickAt(int hour, int minute)
    {
        clock = QDateTime(demoToday, QTime(hour, minute));
        timer->tick();
    }
    QString health() const { return window->lblHealth()->text(); }
    QStringList healthNotices() const
    {
        QStringList texts;
        for (const MainWindow::Notice& notice : window->notices())
            if (notice.text.startsWith("Sync health: "))
                texts << notice.text;
        return texts;
    }
};

} // namespace

TEST_F(HealthTest, UnreachableHeadOfficeIsNoticedOnceAndClearsWhenItAnswersAgain)
{
    tickAt(10, 30);
    EXPECT_EQ(health(), "last good tick 10:30");
    EXPECT_TRUE(healthNotices().isEmpty());

    const QString catalog = QDir(db::embedded::EmbeddedServer::folderFor("embedded:HO", servers.folder())).filePath("MAIN01.sqlite");
    ASSERT_TRUE(QFile::rename(catalog, catalog + ".away"));
    for (int minute = 42; minute <= 45; ++minute)
        tickAt(10, minute);
    EXPECT_FALSE(shell->connections().source().isOpen());
    EXPECT_EQ(health(), "head office unreachable since 10:42; last good tick 10:30");
    EXPECT_EQ(healthNotices(), QStringList{"Sync health: head office unreachable since 10:42; last good tick 10:30"});
    EXPECT_TRUE(prompter.shown.empty());

    ASSERT_TRUE(QFile::rename(catalog + ".away", catalog));
    tickAt(10, 50);
    tickAt(10, 51);
    EXPECT_EQ(health(), "last good tick 10:51");
    EXPECT_EQ(healthNotices().size(), 2);
    EXPECT_EQ(healthNotices().last(), "Sync health: all well again; last good tick 10:50");
}

TEST_F(HealthTest, ChangeTheBranchKeepsRefusingIsCountedAsSetAside)
{
    tickAt(10, 30);
    servers.headOffice().execute("update tblLedger set CreditDays = 12 where LID = 3");
    db::embedded::EmbeddedServer branchServer(db::embedded::EmbeddedServer::folderFor("embedded:BR", servers.folder()));
    branchServer.executeNative("SUB01", "CREATE TRIGGER refuseLedger BEFORE INSERT ON tblLedger BEGIN SELECT RAISE(ABORT, 'refused'); END");

    tickAt(10, 31);
    tickAt(10, 32);
    EXPECT_EQ(health(), "last good tick 10:32");
    tickAt(10, 33);
    tickAt(10, 34);
    EXPECT_EQ(health(), "1 change set aside; last good tick 10:34");
    EXPECT_EQ(healthNotices(), QStringList{"Sync health: 1 change set aside; last good tick 10:33"});
}

TEST_F(HealthTest, MarkThatCannotMoveIsStalledAfterTwelveStillTicks)
{
    // A mark in the settings file beyond any activity number: the replay refuses to run at all.
    shell->ini().write(shell->files().appSettingsLoop, "MaxActivityID", "99999999999");
    const qint64 waiting =
        TempServers::scalar(servers.headOffice(), "select count(*) from tblActivity where isnull(ParentId,0)=0 and TableName<>'tblGodown'")
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

TEST_F(HealthTest, CaptureIsMissingWithoutActivityWhileVouchersAreWritten)
{
    db::Connection& head = servers.headOffice();
    const QDateTime now(demoToday, QTime(10, 30));
    EXPECT_FALSE(upload::Health::captureMissing(head, now));
    head.execute("delete from tblActivity");
    ASSERT_GT(TempServers::scalar(head, "select count(*) from tblSales where InvDate >= '20261202'").toInt(), 0);
    EXPECT_TRUE(upload::Health::captureMissing(head, now));
    // A head office that wrote no voucher in those days has nothing to record.
    EXPECT_FALSE(upload::Health::captureMissing(head, now.addYears(2)));
    head.execute("drop table tblActivity");
    EXPECT_TRUE(upload::Health::captureMissing(head, now));
}
