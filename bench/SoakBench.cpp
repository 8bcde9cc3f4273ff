// The head office changes 50 times a second (the activity simulator) while the sync timer ticks
// every 2 seconds for a few minutes (default 180 s; the first argument gives the seconds). Prints
// the ticks, the nested ticks (must be 0), whether the mark ever went back (must not), and whether
// the branch's masters equal the head office's after a last tick.
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Session.h"
#include "app/TimerController.h"
#include "app/WidgetControls.h"
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "masters/FullSync.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "tools/demo/DemoBuilder.h"
#include "tools/simulator/ActivitySimulator.h"
#include "upload/Connectivity.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using bench::SilentPrompter;
using bench::QuietReporter;
using bench::AlwaysConnected;

namespace {

// Every row of `table`'s first `columns`, in key order, as one text.
QString rows(db::Connection& connection, const QString& table, const QString& columns)
{
    db::Recordset all = connection.openRecordset(QStringLiteral("select %1 from %2 order by 1").arg(columns, table));
    return all.getString(QStringLiteral("|"), QStringLiteral("\n"), QStringLiteral("NULL"));
}

} // namespace

int main(int argc, char** argv)
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 180;
    QTemporaryDir dir;
    const QDate today = QDate::currentDate();
    bench::buildSmallDemo(dir.path(), today);

    app::MainWindow window(dir.path());
    SilentPrompter prompter;
    app::Session::Options sessionOptions;
    sessionOptions.prompter = &prompter;
    AlwaysConnected network;
    sessionOptions.connectivity = &network;
    app::Session session(window, sessionOptions);
    app::TimerController& timerController = session.timer();
    // The controller's own slot goes between the two below, so they run just before and just after each tick.
    QObject::disconnect(window.timertrigger(), &QTimer::timeout, &timerController, nullptr);

    bool inTick = false;
    int ticks = 0;
    int nested = 0;
    QObject::connect(window.timertrigger(), &QTimer::timeout, [&] {
        if (inTick)
            ++nested;
        inTick = true;
        ++ticks;
    });
    QObject::connect(window.timertrigger(), &QTimer::timeout, &timerController, &app::TimerController::tick);
    QObject::connect(window.timertrigger(), &QTimer::timeout, [&] { inTick = false; });
    if (!session.startUp())
        return 1;
    session.connectCompanies();
    db::Connection& branch = session.connections().destination();
    const QStringList tables{QStringLiteral("tblLedger"), QStringLiteral("tblItemMaster"), QStringLiteral("tblCategories")};
    db::Connection head(db::ConnectionContext{dir.path()});
    head.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    // The branch starts from the head office's masters: a Master Synchronisation by bulk transfer.
    QuietReporter quiet;
    if (!connection::LinkedServer::configure(branch, QStringLiteral("embedded:HO"), prompter))
        return 1;
    app::ListWidgetControl masterList(*window.lstMasterSettings());
    masters::FullSync::Setup setup;
    setup.syncServer = QStringLiteral("embedded:HO");
    setup.sourceCompany = tools::DemoBuilder::mainCompany();
    setup.bulkChecked = [] { return true; };
    masters::FullSync(branch, session.connections().source(), quiet, prompter, masterList, setup).run();
    for (const QString& table : tables) {
        if (rows(branch, table, QStringLiteral("*")) != rows(head, table, QStringLiteral("*"))) {
            std::fprintf(stderr, "Master Synchronisation left %s unlike the head office's\n", qPrintable(table));
            return 1;
        }
    }

    tools::ActivitySimulator simulator(head, today, 11);
    int changes = 0;
    int failedChanges = 0;
    qint32 lastMark = session.maxActivityId();
    int markWentBack = 0;
    QTimer changesTimer;
    changesTimer.setInterval(20);
    QObject::connect(&changesTimer, &QTimer::timeout, [&] {
        try {
            simulator.step();
            ++changes;
        } catch (const std::exception&) {
            ++failedChanges; // the tick holds the head office's lock for a moment
        }
        if (session.maxActivityId() < lastMark)
            ++markWentBack;
        lastMark = session.maxActivityId();
    });

    QElapsedTimer clock;
    clock.start();
    window.timertrigger()->setInterval(2000);
    window.timertrigger()->start();
    changesTimer.start();
    QTimer::singleShot(seconds * 1000, [&] { application.quit(); });
    application.exec();
    changesTimer.stop();
    window.timertrigger()->stop();
    timerController.tick(); // the changes made since the last tick
    const double elapsed = double(clock.elapsed()) / 1000.0;

    int equal = 0;
    for (const QString& table : tables) {
        const bool same = rows(branch, table, QStringLiteral("*")) == rows(head, table, QStringLiteral("*"));
        equal += same ? 1 : 0;
        std::printf("%s: %s\n", qPrintable(table), same ? "equal" : "DIFFERENT");
    }
    std::printf("%.0f s: %d changes (%.1f/s, %d refused while locked), %d ticks, %d nested, mark %d, went back %d times, "
                "%d message boxes\n",
                elapsed, changes, changes / elapsed, failedChanges, ticks, nested, session.maxActivityId(), markWentBack, prompter.boxes);
    bench::Verdict verdict;
    verdict.require(ticks > 0 && changes > 0 && prompter.boxes == 0, "ticks while head office changed, without a box");
    return verdict.exitCode(nested == 0 && markWentBack == 0 && equal == tables.size());
}
