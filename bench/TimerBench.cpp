// One sync timer tick and the day's reconciliation on a demo grown to 100,000 sales vouchers on
// each side over 60 days, with 500 activity rows above the mark (400 master changes, 100 new
// sales). Prints the time of the tick (summary, master upload, counts) and of FillTransCount
// plus the mismatch search for one day, and the bytes an idle tick adds to the daily log while a
// listed day of vouchers, all already transferred, stays checked.
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
void makeActivity(db::Connection& head, const QDate& today)
{
    for (int i = 0; i < 400; ++i) {
        if (i % 4 == 0)
            head.execute(QStringLiteral("INSERT INTO tblLedger (LID, LName, AccountGroupID, CreditDays, ActiveStatus) VALUES (%1, 'Bench %1', 4, 30, 1)")
                             .arg(50000 + i));
        else if (i % 4 == 1)
            head.execute(QStringLiteral("UPDATE tblItemMaster SET SRate = SRate + 1 WHERE ItemID = %1").arg(1 + i % 40));
        else
            head.execute(QStringLiteral("UPDATE tblLedger SET CreditDays = %1 WHERE LID = %2").arg(i % 60).arg(1 + i % 20));
    }
    for (int i = 0; i < 100; ++i)
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
    app::Session session(window, sessionOptions);
    app::ReconcileController& reconcile = session.reconcile();
    app::TimerController& ticks = session.timer();
    if (!session.startUp())
        return 1;
    session.connectCompanies();
    window.lstVchtypes()->setCurrentIndex(window.lstVchtypes()->findData(vchType));
    const QDate day = today.addDays(-10);
    window.dtpdate()->setDate(day);
    window.dtpto()->setDate(day);
    window.cboVchtypeTotransform()->setCurrentIndex(window.cboVchtypeTotransform()->findData(vchType));
    window.cmdShowTransactions()->click();

    db::Connection& head = session.connections().source();
    db::Recordset last = head.openRecordset(QStringLiteral("select isnull(max(ID), 0) from tblActivity"));
    session.setMaxActivityId(qint32(last.field(0).value().toLongLong()));
    makeActivity(head, today);
    // One voucher of the day that the head office no longer has, for the search to find.
    head.execute(QStringLiteral("DELETE FROM tblSales WHERE InvID = (SELECT MIN(InvID) FROM tblSales WHERE InvDate = '%1' AND VchTypeID = %2)")
                     .arg(text::DateText::sqlDate(day))
                     .arg(vchType));
    const qint32 markBefore = session.maxActivityId();

    timer.restart();
    ticks.tick();
    const double tick = double(timer.nsecsElapsed()) / 1e6;
    std::printf("timer tick: %.1f ms (goal: under 5000 ms); mark %d -> %d, %d activity grid rows, %d count rows\n", tick, markBefore,
                session.maxActivityId(), window.msgActivity()->rowCount(), window.msgTransGrid()->rowCount());

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
    ticks.tick();
    const qint64 idle = report::TextFile::read(log).toUtf8().size() - afterFirst;
    std::printf("idle tick with %d listed vouchers already transferred: %lld bytes of daily log (%.1f MB over 8 hours of 5 s ticks)\n",
                window.lstSource()->count(), static_cast<long long>(idle), double(idle) * 8 * 3600 / 5 / 1e6);
    std::printf("message boxes: %d\n", prompter.boxes);
    return tick < 5000.0 && counts + search < 1000.0 ? 0 : 2;
}
