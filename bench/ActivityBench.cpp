// The sync timer's cost against a head office whose activity log has grown.
//
// First, for each size N (default 1000000 and 5000000): the head office's tblActivity gets N
// transaction rows above the mark (plus a few master rows), written straight into SQLite in one
// transaction; a fresh program connects and ticks twice. Prints the whole first tick and the idle
// tick right after, with the activity rows the summary read, and the time of the summary and of
// the master upload's query within it.
//
// Then, for each K (default 1, 10 and 100): K simulated branches, each a thread with its own
// connection, mark and summary, tick every 5 s against the one head office for a bounded time
// while the activity simulator writes 50 changes a second. A branch's tick is the head office's
// side of a real tick: reconnect, the activity summary, the master upload's query (its mark moves
// to the last master row read). Prints the activity rows read per tick per branch and the median
// and worst tick time.
//
// Usage: bench_activity [--sizes 1000000,5000000] [--branches 1,10,100] [--seconds 30]
// (an empty list skips that part).
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Session.h"
#include "app/TimerController.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/embedded/EmbeddedServer.h"
#include "tools/demo/DemoBuilder.h"
#include "tools/simulator/ActivitySimulator.h"
#include "upload/ActivitySummary.h"
#include "upload/MasterUpload.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>

#include <time.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using bench::AlwaysConnected;
using bench::QuietReporter;
using bench::SilentPrompter;

namespace {

QList<qint64> numbers(const QString& list)
{
    QList<qint64> result;
    for (const QString& part : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        result << part.trimmed().toLongLong();
    return result;
}

qint64 scalar(db::Connection& connection, const QString& sql)
{
    db::Recordset rows = connection.openRecordset(sql);
    return rows.eof() ? 0 : rows.field(0).value().toLongLong();
}

std::unique_ptr<db::Connection> openHeadOffice(const QString& folder)
{
    auto head = std::make_unique<db::Connection>(db::ConnectionContext{folder});
    head->open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    return head;
}

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// CPU time in ms of the process or of the calling thread: the machine is shared, so the wall
// figures carry other programs' waits too.
double cpuMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Transaction activity rows up to `total` above `mark`, over the 30 days up to `today`, in one
// SQLite transaction; then a few master rows on top.
void growActivity(const QString& folder, qint64 total, qint64 mark, const QDate& today)
{
    auto head = openHeadOffice(folder);
    const qint64 present = scalar(*head, QStringLiteral("select count(*) from tblActivity where ID > %1 and isnull(ParentId, 0) <> 0").arg(mark));
    const qint64 top = scalar(*head, QStringLiteral("select isnull(max(ID), 0) from tblActivity"));
    head->close();
    const qint64 missing = total - present;
    db::embedded::EmbeddedServer server(db::embedded::EmbeddedServer::folderFor(tools::DemoBuilder::headOfficeDataSource(), folder));
    QString sql = QStringLiteral(
        "BEGIN; "
        "WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < MISSING) "
        "INSERT INTO tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId, VchTypeid, ActionTime) "
        "SELECT TOP + n, CASE n % 4 WHEN 0 THEN 'tblSales' WHEN 1 THEN 'tblSalesItem' WHEN 2 THEN 'tblPurchase' ELSE 'tblReceipt' END, "
        "500000 + n, 'Insert', 1, strftime('%Y-%m-%d 00:00:00', 'TODAY', '-' || (29 - (n - 1) * 30 / MISSING) || ' days'), 18, 101, "
        "'Dec  5 2026 10:30AM' FROM seq WHERE MISSING > 0; "
        "WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < 5) "
        "INSERT INTO tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId, VchTypeid) "
        "SELECT TOP + MISSING + n, 'tblGodown', n, 'Update', 1, 'TODAY 00:00:00', 0, 0 FROM seq; "
        "COMMIT;");
    sql.replace(QStringLiteral("MISSING"), QString::number(std::max<qint64>(missing, 0)))
        .replace(QStringLiteral("TOP"), QString::number(top))
        .replace(QStringLiteral("TODAY"), today.toString(QStringLiteral("yyyy-MM-dd")));
    server.executeNative(tools::DemoBuilder::mainCompany(), sql);
}

// One program, two ticks, on N rows above the mark.
bool measureSize(const QString& folder, qint64 size, qint64 mark, const QDate& today)
{
    QElapsedTimer timer;
    timer.start();
    growActivity(folder, size, mark, today);
    std::printf("%lld transaction activity rows above the mark ready in %.1f s\n", size, bench::seconds(timer));

    app::MainWindow window(folder);
    SilentPrompter prompter;
    app::Session::Options options;
    options.prompter = &prompter;
    options.clock = [today] { return QDateTime(today, QTime(10, 30)); };
    AlwaysConnected network;
    options.connectivity = &network;
    app::Session session(window, options);
    app::TimerController& ticks = session.timer();
    if (!session.startUp())
        return false;
    session.connectCompanies();
    session.setMaxActivityId(qint32(mark));
    // The tblGodown rows on top are passed over and never move the mark, as the upload treats them.
    const qint64 above = scalar(session.connections().source(), QStringLiteral("select count(*) from tblActivity where ID > %1").arg(mark));

    for (const char* which : {"tick", "idle tick"}) {
        const double cpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        timer.restart();
        ticks.tick();
        const double tick = msSince(timer);
        std::printf("%s with %lld activity rows above the mark: %.0f ms (cpu %.0f ms; activity rows read by the summary: %lld, "
                    "grid rows %d, %d boxes)\n",
                    which, above, tick, cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu, ticks.activitySummary().rowsRead(),
                    window.msgActivity()->rowCount(), prompter.boxes);
    }

    // The two statements of the head office within a tick, each alone, on a connection of their own.
    auto head = openHeadOffice(folder);
    QuietReporter quiet;
    upload::ActivitySummary summary;
    timer.restart();
    summary.fill(*head, quiet, qint32(mark));
    const double first = msSince(timer);
    timer.restart();
    summary.fill(*head, quiet, qint32(mark));
    const double idle = msSince(timer);
    timer.restart();
    db::Recordset masters = head->openRecordset(upload::MasterUpload::activityQuery(mark));
    const double masterFirst = msSince(timer);
    timer.restart();
    const qint64 top = scalar(*head, upload::MasterUpload::lastActivityQuery());
    db::Recordset fresh = head->openRecordset(upload::MasterUpload::activityQuery(top));
    const double masterIdle = msSince(timer);
    std::printf("  within it: summary %.0f ms first, %.1f ms idle; the master upload's queries %.0f ms first (%lld master rows, "
                "its range starts at the mark), %.1f ms idle (its range starts after the last row seen)\n",
                first, idle, masterFirst, qint64(masters.recordCount()), masterIdle);
    return true;
}

struct BranchFigures {
    std::vector<double> tickMs;
    std::vector<double> cpuMs;
    qint64 ticks = 0;
    qint64 summaryRows = 0;
    qint64 masterRange = 0;
    qint64 newRows = 0;
    qint64 failures = 0;
};

// K branches ticking every `interval` for `seconds` while the head office changes 50 times a second.
void measureBranches(const QString& folder, int branches, int seconds, const QDate& today)
{
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(5000);
    std::atomic<bool> stop{false};
    std::atomic<qint64> changes{0};
    std::atomic<qint64> refused{0};
    qint64 startTop = 0;
    {
        auto head = openHeadOffice(folder);
        startTop = scalar(*head, QStringLiteral("select isnull(max(ID), 0) from tblActivity"));
    }

    std::thread erp([&] {
        auto head = openHeadOffice(folder);
        tools::ActivitySimulator simulator(*head, today, 29);
        auto next = Clock::now();
        while (!stop) {
            try {
                simulator.step();
                ++changes;
            } catch (const std::exception&) {
                ++refused; // the head office was busy for longer than the wait
            }
            next += std::chrono::milliseconds(20);
            std::this_thread::sleep_until(next);
        }
    });

    std::vector<BranchFigures> figures(size_t(branches), BranchFigures{});
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    for (int b = 0; b < branches; ++b) {
        threads.emplace_back([&, b] {
            BranchFigures& mine = figures[size_t(b)];
            QuietReporter quiet;
                    upload::ActivitySummary summary;
            qint32 mark = qint32(startTop);
            qint64 lastTop = startTop;
            qint64 examined = startTop;
            // Spread over the interval, as branches started at different moments.
            auto next = start + interval * b / branches;
            while (true) {
                std::this_thread::sleep_until(next);
                if (Clock::now() >= end)
                    break;
                next += interval;
                QElapsedTimer timer;
                timer.start();
                const double cpu = cpuMs(CLOCK_THREAD_CPUTIME_ID);
                try {
                    auto head = openHeadOffice(folder);
                    summary.fill(*head, quiet, mark);
                    // The master upload's two statements: the last id, then the master rows after
                    // the last row the tick before saw.
                    qint64 seen = scalar(*head, upload::MasterUpload::lastActivityQuery());
                    db::Recordset masters = head->openRecordset(upload::MasterUpload::activityQuery(examined));
                    for (; !masters.eof(); masters.moveNext()) {
                        const qint64 id = masters.field(QStringLiteral("ID")).value().toLongLong();
                        if (masters.field(QStringLiteral("TableName")).text() != QLatin1String("tblGodown"))
                            mark = qint32(id);
                        seen = std::max(seen, id);
                    }
                    mine.masterRange += seen - examined;
                    examined = seen;
                    const qint64 top = summary.summarisedId().value_or(lastTop);
                    mine.newRows += top - lastTop;
                    lastTop = top;
                    mine.summaryRows += summary.rowsRead();
                    ++mine.ticks;
                    mine.tickMs.push_back(msSince(timer));
                    mine.cpuMs.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu);
                } catch (const std::exception&) {
                    ++mine.failures;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    stop = true;
    erp.join();

    BranchFigures all;
    for (const BranchFigures& one : figures) {
        all.tickMs.insert(all.tickMs.end(), one.tickMs.begin(), one.tickMs.end());
        all.cpuMs.insert(all.cpuMs.end(), one.cpuMs.begin(), one.cpuMs.end());
        all.ticks += one.ticks;
        all.summaryRows += one.summaryRows;
        all.masterRange += one.masterRange;
        all.newRows += one.newRows;
        all.failures += one.failures;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double worst = all.tickMs.empty() ? 0.0 : *std::max_element(all.tickMs.begin(), all.tickMs.end());
    std::printf("%d branches, %d s: %lld ticks (%lld failed), %lld changes (%.1f/s, %lld refused); activity rows read per tick per "
                "branch: %.1f by the summary, %.1f in the master query's range (new rows per tick: %.1f); tick median %.1f ms, "
                "worst %.1f ms (cpu median %.1f ms)\n",
                branches, seconds, all.ticks, all.failures, qint64(changes), double(changes) / elapsed, qint64(refused),
                all.ticks ? double(all.summaryRows) / double(all.ticks) : 0.0,
                all.ticks ? double(all.masterRange) / double(all.ticks) : 0.0, all.ticks ? double(all.newRows) / double(all.ticks) : 0.0,
                all.tickMs.empty() ? 0.0 : bench::median(all.tickMs), worst, all.cpuMs.empty() ? 0.0 : bench::median(all.cpuMs));
}

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"), QStringLiteral("Activity rows above the mark, comma separated."),
                                         QStringLiteral("list"), QStringLiteral("1000000,5000000"));
    const QCommandLineOption branchesOption(QStringLiteral("branches"), QStringLiteral("Numbers of branches, comma separated."),
                                            QStringLiteral("list"), QStringLiteral("1,10,100"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("Seconds per number of branches."),
                                           QStringLiteral("seconds"), QStringLiteral("30"));
    parser.addOptions({sizesOption, branchesOption, secondsOption});
    parser.process(application);

    QTemporaryDir dir;
    const QDate today = QDate::currentDate();
    bench::buildSmallDemo(dir.path(), today);
    qint64 mark = 0;
    {
        auto head = openHeadOffice(dir.path());
        mark = scalar(*head, QStringLiteral("select isnull(max(ID), 0) from tblActivity"));
    }

    bool ok = true;
    for (qint64 size : numbers(parser.value(sizesOption)))
        ok = measureSize(dir.path(), size, mark, today) && ok;
    for (qint64 branches : numbers(parser.value(branchesOption)))
        measureBranches(dir.path(), int(branches), parser.value(secondsOption).toInt(), today);
    return ok ? 0 : 1;
}
