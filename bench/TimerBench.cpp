// One sync timer tick and the day's reconciliation on a demo grown to 100,000 sales vouchers on
// each side over 60 days, with 500 activity rows above the mark (400 master changes, 100 new
// sales). Prints the time of the tick (summary, master upload, counts) and of FillTransCount
// plus the mismatch search for one day, and the bytes an idle tick adds to the daily log while a
// listed day of vouchers, all already transferred, stays checked. Master Synchronisation and Show
// Trans come first, as an operator runs them. Prints the round trips of each tick to head office
// and to the branch, and the same ticks with head office 40 ms away.
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Session.h"
#include "app/TimerController.h"
#include "db/Connection.h"
#include "text/DateText.h"
#include "db/embedded/EmbeddedServer.h"
#include "report/Prompter.h"
#include "report/TextFile.h"
#include "tools/demo/DemoBuilder.h"
#include "upload/Connectivity.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

using bench::SilentPrompter;
using bench::AlwaysConnected;

namespace {

constexpr int voucherCount = 100000;
constexpr int days = 60;
constexpr int vchType = 101;

// The same vouchers on both sides, three items each, spread over the 60 days up to `today`.
void growVouchers(const QString& folder, const QDate& today)
{
    using db::embedded::EmbeddedServer;
    const QString vouchers = QStringLiteral(
        "WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < %1) "
        "INSERT INTO tblSales (InvID, InvNo, InvDate, VchTypeID, Party, CCID, BillAmt, cancelled, SortNumber%4) "
        "SELECT 100000 + n, 'BN/' || n, strftime('%Y-%m-%d 00:00:00', '%2', '-' || (n % %3) || ' days'), %5, 'Bench Customer', 1, "
        "100 + n % 500, 0, n%6 FROM seq")
                                 .arg(voucherCount)
                                 .arg(today.toString(Qt::ISODate))
                                 .arg(days);
    const QString items = QStringLiteral(
        "WITH RECURSIVE seq(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM seq WHERE n < %1 * 3 - 1) "
        "INSERT INTO tblSalesItem (InvID, SlNo, ItemID, Qty, rate) SELECT 100001 + n / 3, 1 + n % 3, 1 + n % 30, 1, 10 FROM seq")
                              .arg(voucherCount);
    EmbeddedServer head(EmbeddedServer::folderFor(tools::DemoBuilder::headOfficeDataSource(), folder));
    head.executeNative(tools::DemoBuilder::mainCompany(),
                       QStringLiteral("BEGIN; %1; %2; COMMIT;").arg(vouchers.arg(QString(), QString::number(vchType), QString()), items));
    EmbeddedServer branch(EmbeddedServer::folderFor(tools::DemoBuilder::branchDataSource(), folder));
    branch.executeNative(tools::DemoBuilder::branchCompany(),
                         QStringLiteral("BEGIN; %1; %2; COMMIT;")
                             .arg(vouchers.arg(QStringLiteral(", SyncStat, ServInvID"), QString::number(vchType), QStringLiteral(", 1, 100000 + n")),
                                  items));
}

// 400 master changes and 100 new sales, each through an ordinary statement the triggers record.
void makeActivity(db::Connection& head, const QDate& today, int offset)
{
    for (int i = offset; i < offset + 400; ++i) {
        if (i % 4 == 0)
            head.execute(QStringLiteral("INSERT INTO tblLedger (LID, LName, AccountGroupID, CreditDays, ActiveStatus) VALUES (%1, 'Bench %1', 4, 30, 1)")
                             .arg(50000 + i));
        else if (i % 4 == 1)
            head.execute(QStringLiteral("UPDATE tblItemMaster SET SRate = SRate + 1 WHERE ItemID = %1").arg(1 + i % 40));
        else
            head.execute(QStringLiteral("UPDATE tblLedger SET CreditDays = %1 WHERE LID = %2").arg(i % 60).arg(1 + i % 20));
    }
    for (int i = offset; i < offset + 100; ++i)
        head.execute(QStringLiteral("INSERT INTO tblSales (InvID, InvNo, InvDate, VchTypeID, Party, BillAmt, cancelled) "
                                    "VALUES (%1, 'NEW/%1', '%2', %3, 'Walk-in', 50, 0)")
                         .arg(900000 + i)
                         .arg(text::DateText::sqlDate(today))
                         .arg(vchType));
}

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QDate today(2026, 12, 5);
    bench::buildSmallDemo(dir.path(), today);

    QElapsedTimer timer;
    timer.start();
    {
        db::Connection branch(db::ConnectionContext{dir.path()});
        branch.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany()));
        branch.execute(QStringLiteral("Alter table TblSales Add SyncStat Numeric"));
        branch.execute(QStringLiteral("Alter table TblSales Add ServInvID Numeric"));
    }
    growVouchers(dir.path(), today);
    std::printf("%d vouchers per side over %d days added in %.0f ms\n", voucherCount, days, double(timer.elapsed()));

    app::MainWindow window(dir.path());
    SilentPrompter prompter;
    app::Session::Options sessionOptions;
    sessionOptions.prompter = &prompter;
    sessionOptions.clock = [today] { return QDateTime(today, QTime(10, 30)); };
    AlwaysConnected network;
    sessionOptions.connectivity = &network;
    bench::RoundTrips trips;
    sessionOptions.roundTrips = &trips;
    bench::Verdict verdict;
    app::Session session(window, sessionOptions);
    app::ReconcileController& reconcile = session.reconcile();
    app::TimerController& ticks = session.timer();
    if (!verdict.require(session.startUp(), "start-up"))
        return verdict.exitCode(false);
    session.connectCompanies();
    window.cmdFullSync()->click();
    verdict.require(prompter.boxes == 0, "masters brought in step without a box");
    window.lstVchtypes()->setCurrentIndex(window.lstVchtypes()->findData(vchType));
    const QDate day = today.addDays(-10);
    window.dtpdate()->setDate(day);
    window.dtpto()->setDate(day);
    window.cboVchtypeTotransform()->setCurrentIndex(window.cboVchtypeTotransform()->findData(vchType));
    window.cmdShowTransactions()->click();
    verdict.require(window.lstSource()->count() > 0 && prompter.boxes == 0, "Show Trans listed the day without a box");

    db::Connection& head = session.connections().source();
    db::Recordset last = head.openRecordset(QStringLiteral("select isnull(max(ID), 0) from tblActivity"));
    session.setMaxActivityId(qint32(last.field(0).value().toLongLong()));
    makeActivity(head, today, 0);
    // One voucher of the day that the head office no longer has, for the search to find.
    head.execute(QStringLiteral("DELETE FROM tblSales WHERE InvID = (SELECT MIN(InvID) FROM tblSales WHERE InvDate = '%1' AND VchTypeID = %2)")
                     .arg(text::DateText::sqlDate(day))
                     .arg(vchType));
    const qint32 markBefore = session.maxActivityId();

    bench::Trips before = trips.now();
    timer.restart();
    ticks.tick();
    const double tick = double(timer.nsecsElapsed()) / 1e6;
    const bench::Trips changedTick = trips.now() - before;
    std::printf("timer tick: %.1f ms (goal: under 5000 ms); mark %d -> %d, %d activity grid rows, %d count rows\n", tick, markBefore,
                session.maxActivityId(), window.msgActivity()->rowCount(), window.msgTransGrid()->rowCount());
    std::printf("  round trips of the tick with 500 changes: %s\n", qPrintable(bench::perUnit(changedTick, 1)));
    verdict.require(session.maxActivityId() > markBefore, "the tick replayed the master changes");

    timer.restart();
    reconcile.fillTransCount();
    const double counts = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    reconcile.searchMismatches();
    const double search = double(timer.nsecsElapsed()) / 1e6;
    std::printf("FillTransCount: %.1f ms, mismatch search: %.1f ms, together %.1f ms (goal: under 1000 ms); %d mismatch rows\n", counts,
                search, counts + search, window.msgMisMatch()->rowCount() - 1);

    // Both sides already hold every listed voucher: the first tick logs each once, later ones do not.
    const QString log = session.dailyLog().currentFile();
    ticks.tick();
    const qint64 afterFirst = report::TextFile::read(log).toUtf8().size();
    before = trips.now();
    timer.restart();
    ticks.tick();
    const double idleTick = double(timer.nsecsElapsed()) / 1e6;
    const bench::Trips idleTrips = trips.now() - before;
    const qint64 idle = report::TextFile::read(log).toUtf8().size() - afterFirst;
    std::printf("idle tick with %d listed vouchers already transferred: %.1f ms, %lld bytes of daily log (%.1f MB over 8 hours of 5 s ticks)\n",
                window.lstSource()->count(), idleTick, static_cast<long long>(idle), double(idle) * 8 * 3600 / 5 / 1e6);
    std::printf("  round trips of the idle tick: %s\n", qPrintable(bench::perUnit(idleTrips, 1)));

    // Head office 40 ms away: an idle tick, then a tick with another 500 changes.
    trips.headOfficeDelayMs = 40;
    timer.restart();
    ticks.tick();
    const double farIdle = double(timer.nsecsElapsed()) / 1e6;
    trips.headOfficeDelayMs = 0;
    const qint32 farMark = session.maxActivityId();
    makeActivity(head, today, 1000);
    trips.headOfficeDelayMs = 40;
    before = trips.now();
    timer.restart();
    ticks.tick();
    const double farChanged = double(timer.nsecsElapsed()) / 1e6;
    const bench::Trips farTrips = trips.now() - before;
    trips.headOfficeDelayMs = 0;
    verdict.require(session.maxActivityId() > farMark, "the far tick replayed the master changes");
    std::printf("with head office 40 ms away: idle tick %.0f ms, tick with 500 changes %.0f ms (round trips: %s)\n", farIdle, farChanged,
                qPrintable(bench::perUnit(farTrips, 1)));

    verdict.requireFigure(tick, "the tick");
    verdict.requireFigure(counts + search, "the reconciliation");
    verdict.require(window.msgMisMatch()->rowCount() > 1, "the mismatch search found the voucher head office lacks");
    verdict.require(prompter.boxes == 0, "ticks without a box");
    std::printf("message boxes: %d\n", prompter.boxes);
    return verdict.exitCode(tick < 5000.0 && counts + search < 1000.0);
}
