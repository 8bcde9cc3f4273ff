// Show Trans on a head office with 20,000 sales vouchers of one type on one day, through the real
// window, after Master Synchronisation as an operator runs it. Prints the time of the listing
// (query, filling the list, checking every entry, totals, the master counts) and of the first
// repaint afterwards, with and without a category filter, and the round trips of each.
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "db/Connection.h"
#include "db/Transaction.h"
#include "text/DateText.h"
#include "report/Prompter.h"
#include "tools/demo/DemoBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using bench::SilentPrompter;

namespace {

constexpr int voucherCount = 20000;
constexpr int vchType = 101;

void addVouchers(const QString& folder, const QDate& day)
{
    db::Connection headOffice(db::ConnectionContext{folder});
    headOffice.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    db::Transaction transaction(headOffice);
    const QString date = text::DateText::sqlDate(day);
    for (int i = 1; i <= voucherCount; ++i) {
        const int invId = 100000 + i;
        headOffice.execute(QStringLiteral("insert into tblSales (InvID, InvNo, InvDate, VchTypeID, Party, BillAmt, cancelled, SortNumber) "
                                          "values (%1, 'BN/%2', '%3', %4, 'Bench Customer %2', %5.50, 0, %1)")
                               .arg(invId)
                               .arg(i)
                               .arg(date)
                               .arg(vchType)
                               .arg(100 + i % 5000));
        headOffice.execute(QStringLiteral("insert into tblSalesItem (InvID, SlNo, ItemID, Qty, rate) values (%1, 1, %2, 1, 10)")
                               .arg(invId)
                               .arg(1 + i % 30));
    }
    transaction.commit();
}

double measure(app::MainWindow& window, const char* name, bench::RoundTrips& trips)
{
    const bench::Trips before = trips.now();
    QElapsedTimer timer;
    timer.start();
    window.cmdShowTransactions()->click();
    const double listed = double(timer.nsecsElapsed()) / 1e6;
    QApplication::processEvents();
    window.lstSource()->repaint();
    const double painted = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-34s %6d entries  listed in %8.1f ms  painted after %8.1f ms  total %s\n", name, window.lstSource()->count(), listed,
                painted, qPrintable(window.txttotVal()->text()));
    std::printf("%-34s round trips: %s\n", "", qPrintable(bench::perUnit(trips.now() - before, 1)));
    return painted;
}

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QDate day(2026, 12, 6);
    bench::buildSmallDemo(dir.path(), day);
    QElapsedTimer timer;
    timer.start();
    addVouchers(dir.path(), day);
    std::printf("%d vouchers added in %.0f ms\n", voucherCount, double(timer.elapsed()));

    app::MainWindow window(dir.path());
    SilentPrompter prompter;
    bench::RoundTrips trips;
    bench::Verdict verdict;
    app::Session::Options sessionOptions;
    sessionOptions.prompter = &prompter;
    sessionOptions.roundTrips = &trips;
    app::Session session(window, sessionOptions);
    window.show();
    if (!verdict.require(session.startUp(), "start-up"))
        return verdict.exitCode(false);
    session.connectCompanies();
    window.cmdFullSync()->click();
    verdict.require(prompter.boxes == 0, "masters brought in step without a box");
    window.lstVchtypes()->setCurrentIndex(window.lstVchtypes()->findData(vchType));
    window.dtpdate()->setDate(day);
    window.dtpto()->setDate(day);

    double worst = measure(window, "Show Trans, no filter", trips);
    verdict.require(window.lstSource()->count() >= voucherCount, "every voucher listed");
    worst = std::max(worst, measure(window, "Show Trans again (list replaced)", trips));
    window.lstCategories()->item(0)->setSelected(true);
    worst = std::max(worst, measure(window, "Show Trans, one category", trips));
    verdict.require(window.lstSource()->count() > 0, "vouchers listed for one category");
    verdict.require(prompter.boxes == 0, "Show Trans without a box");
    verdict.requireFigure(worst, "the slowest listing");
    std::printf("slowest: %.1f ms (goal: under 2000 ms); boxes shown: %d\n", worst, prompter.boxes);
    return verdict.exitCode(worst < 2000.0);
}
