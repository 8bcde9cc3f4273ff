// The sync timer through the real main window on demo servers: the guard, failures, buttons,
// activity grid and health line of a tick. What a cycle does without a window is SyncCycleTest's.
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include "app/MainWindow.h"
#include "app/Session.h"
#include "app/TimerController.h"
#include "report/TextFile.h"
#include "upload/Connectivity.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using namespace app;
using support::TempServers;

namespace {

const QDate demoToday(2026, 12, 5);

class FakeConnectivity : public upload::Connectivity {
public:
    bool isWebConnected() override
    {
        ++calls;
        return connected;
    }
    bool connected = true;
    int calls = 0;
};

// Calls `seen` when `watched` gets an event of `type`.
class EventSpy : public QObject {
public:
    EventSpy(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : m_type(type)
        , m_seen(std::move(seen))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type)
            m_seen();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

class TimerControllerTest : public ::testing::Test {
protected:
    TempServers servers{7, demoToday};
    support::ScriptedPrompter prompter;
    FakeConnectivity network;
    QDateTime clock{demoToday, QTime(10, 30)};
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    TimerController* timer = nullptr;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(servers.folder());
        Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [this] { return clock; };
        options.connectivity = &network;
        session = std::make_unique<Session>(*window, options);
        timer = &session->timer();
        ASSERT_TRUE(session->startUp());
        window->cmdConnect()->click();
        ASSERT_TRUE(session->connections().source().isOpen());
        window->lstVchtypes()->addItem("Sales", 181);
        window->lstVchtypes()->setCurrentIndex(0);
        prompter.shown.clear();
    }

    // The tags of the daily log's entries written since `from` entries.
    QStringList logTags(qsizetype from = 0) const
    {
        const QString text = report::TextFile::read(session->dailyLog().currentFile());
        QStringList tags;
        const QStringList blocks = text.split(QStringLiteral("*====================================================================================================*"));
        for (const QString& block : blocks) {
            const QStringList parts = block.trimmed().split(QLatin1Char('\t'));
            if (parts.size() >= 2)
                tags << parts[1];
        }
        return tags.mid(from);
    }
    QString ledgers(db::Connection& c)
    {
        return TempServers::rows(c, QStringLiteral("select LID, LName, AccountGroupID, CreditDays from tblLedger order by LID"));
    }
    QString health() const { return window->lblHealth()->text(); }
};

} // namespace

TEST_F(TimerControllerTest, TickOnlyLogsWithoutNetworkOrWhileAnotherOperationRunsThenKeepsTheCounts)
{
    network.connected = false;
    const QString branchBefore = ledgers(servers.branch());
    const qsizetype entries = logTags().size();

    timer->tick();

    EXPECT_EQ(network.calls, 1);
    // The only note besides the tick's: the health line's change, once (Notice: no notification area here).
    EXPECT_EQ(logTags(entries), (QStringList{"Timer Activated. checking Web connectivity", "Sync health", "Notice"}));
    EXPECT_EQ(health(), "head office unreachable since 10:30; no good tick yet");
    EXPECT_TRUE(window->timertrigger()->isActive());
    EXPECT_EQ(window->msgActivity()->rowCount(), 0);
    EXPECT_EQ(ledgers(servers.branch()), branchBefore);
    EXPECT_EQ(session->maxActivityId(), 0);
    EXPECT_TRUE(prompter.shown.empty());

    // With the network back, a tick while another operation runs only waits.
    network.connected = true;
    const qsizetype waited = logTags().size();
    {
        Session::OperationScope running(*session, "Master Synchronisation");
        timer->tick();
    }
    EXPECT_EQ(network.calls, 1);
    EXPECT_EQ(logTags(waited), QStringList{"Timer tick waited"});
    EXPECT_TRUE(report::TextFile::read(session->dailyLog().currentFile()).endsWith("Timer tick waited\tMaster Synchronisation is running"));
    EXPECT_EQ(ledgers(servers.branch()), branchBefore);
    EXPECT_EQ(session->maxActivityId(), 0);

    // The next tick, with the operation over, does the work.
    timer->tick();
    EXPECT_EQ(session->maxActivityId(), 3);
    EXPECT_TRUE(session->runningOperation().isEmpty());

    // Ticks keep the activity counts until the next Connect.
    const int mark = session->maxActivityId();
    for (int id = mark + 1; id <= mark + 3; ++id)
        servers.headOffice().execute(QStringLiteral("insert into tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId) "
                                                    "values (%1, 'tblSales', %1, 'Insert', 1, '2026-12-05 00:00:00', 18)")
                                         .arg(id));
    const auto shown = [this] {
        QTableWidget* grid = window->msgActivity();
        QStringList rows;
        for (int row = 0; row < grid->rowCount(); ++row)
            rows << grid->item(row, 0)->text() + ',' + grid->item(row, 1)->text() + ',' + grid->item(row, 2)->text();
        return rows;
    };

    timer->tick();
    EXPECT_EQ(shown(), QStringList{"3,tblSales,5/12/2026"});
    // Counted rows are not read again by the next tick, only by the first one after Connect.
    servers.headOffice().execute("update tblActivity set TableName = 'tblRewritten'");
    timer->tick();
    EXPECT_EQ(shown(), QStringList{"3,tblSales,5/12/2026"});
    window->cmdConnect()->click();
    timer->tick();
    EXPECT_EQ(shown(), QStringList{"3,tblRewritten,5/12/2026"});
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(TimerControllerTest, FailingSummaryOrNotifierOpensNoBoxIsNotedOnceWhileItRepeatsAndUploadsNothing)
{
    // A notifier program that is there but cannot run: outside a tick the operator would get a box.
#ifdef Q_OS_WIN
    const QString notifier = servers.folder() + QStringLiteral("/baloon.exe"); // only a program's name runs there
#else
    const QString notifier = servers.folder() + QStringLiteral("/baloon");
#endif
    report::TextFile::write(notifier, QStringLiteral("\x7f not a program"));
    QFile::setPermissions(notifier, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    servers.headOffice().execute("drop table tblActivity");
    window->msgActivity()->setRowCount(2);
    const QString branchBefore = ledgers(servers.branch());
    const qsizetype entries = logTags().size();
    const qsizetype notices = window->notices().size();

    timer->tick();
    timer->tick();
    timer->tick();

    EXPECT_TRUE(prompter.shown.empty());
    QStringList noted, cannotStart;
    for (qsizetype i = notices; i < window->notices().size(); ++i)
        (window->notices()[i].text.startsWith("Cannot start") ? cannotStart : noted) << window->notices()[i].text;
    EXPECT_FALSE(cannotStart.isEmpty());
    // The error once, and the health line's change once.
    ASSERT_EQ(noted.size(), 2) << noted.join('|').toStdString();
    EXPECT_TRUE(noted[0].contains("tblActivity")) << noted[0].toStdString();
    EXPECT_EQ(noted[1], "Sync health: change capture missing at head office; no good tick yet");
    EXPECT_EQ(logTags(entries).count("Message"), 1);
    EXPECT_TRUE(window->timertrigger()->isActive());
    EXPECT_FALSE(logTags(entries).contains("Masters uploading starting"));
    EXPECT_EQ(window->msgActivity()->rowCount(), 2);
    EXPECT_EQ(ledgers(servers.branch()), branchBefore);
    EXPECT_TRUE(window->cmdFullSync()->isEnabled());
}

TEST_F(TimerControllerTest, UploadRunsWithTheTimerOffAndTheSyncButtonsDisabled)
{
    window->cmdStartDatamigration()->setEnabled(true);
    window->cmdFullSync()->setEnabled(true);
    window->cmdSettingsSynch()->setEnabled(true);
    // Each time a sync button goes off or on: the timer's state and how far the log is.
    struct Moment {
        bool enabled, timerActive;
        qsizetype logged;
    };
    std::map<QPushButton*, std::vector<Moment>> moments;
    const qsizetype entries = logTags().size();
    std::vector<std::unique_ptr<EventSpy>> spies;
    for (QPushButton* button : {window->cmdFullSync(), window->cmdSettingsSynch(), window->cmdStartDatamigration()})
        spies.push_back(std::make_unique<EventSpy>(button, QEvent::EnabledChange, [&, button] {
            moments[button].push_back({button->isEnabled(), window->timertrigger()->isActive(), logTags(entries).size()});
        }));

    timer->tick();

    // Off, with the timer off, before the upload started; on again only after the transformation.
    const QStringList tags = logTags(entries);
    const qsizetype uploadStarts = tags.indexOf("Masters uploading starting");
    const qsizetype transformStarts = tags.indexOf(QRegularExpression("\\s*Auto synch Getting eligible vouchers\\s*"));
    ASSERT_GE(uploadStarts, 0);
    ASSERT_GT(transformStarts, uploadStarts);
    ASSERT_EQ(moments.size(), 3u);
    for (const auto& [button, seen] : moments) {
        ASSERT_EQ(seen.size(), 2u) << button->objectName().toStdString();
        EXPECT_FALSE(seen[0].enabled || seen[0].timerActive);
        EXPECT_LE(seen[0].logged, uploadStarts);
        EXPECT_TRUE(seen[1].enabled);
        EXPECT_FALSE(seen[1].timerActive);
        EXPECT_GT(seen[1].logged, transformStarts);
    }
    EXPECT_TRUE(window->timertrigger()->isActive());
    EXPECT_TRUE(session->runningOperation().isEmpty());
    EXPECT_TRUE(prompter.shown.empty());

    // The day's counts were refreshed by the tick.
    EXPECT_EQ(window->msgTransGrid()->rowCount(), 10);
}
