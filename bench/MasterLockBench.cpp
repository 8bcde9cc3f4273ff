// How long Master Synchronisation holds the branch's item master against the whole step, for
// 20,000 items copied row by row (and, for comparison, by bulk transfer). The rows are gathered
// in a staging table outside any transaction; the item master is locked only for the swap. A
// second session (a till) writes the item master while the rows are gathered, and says whether
// it was let through. Prints the round trips to head office and to the branch per master row.
#include "BenchSupport.h"
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "masters/FullSync.h"
#include "report/ListControl.h"
#include "tools/demo/DemoBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

constexpr int itemCount = 20000;

/// The master list as plain entries.
class PlainList : public report::ListControl {
public:
    int count() const override { return int(m_entries.size()); }
    void clear() override { m_entries.clear(); }
    void addItem(const QString& text, qlonglong) override { m_entries.push_back({text, false}); }
    QString text(int i) const override { return m_entries[size_t(i)].text; }
    qlonglong itemData(int) const override { return 0; }
    bool isSelected(int i) const override { return m_entries[size_t(i)].selected; }
    void setSelected(int i, bool s) override { m_entries[size_t(i)].selected = s; }
    bool isChecked(int) const override { return false; }
    void setChecked(int, bool) override {}
    int currentIndex() const override { return -1; }
    void setCurrentIndex(int) override {}
    bool isVisible() const override { return true; }
    void setVisible(bool) override {}

private:
    struct Entry {
        QString text;
        bool selected;
    };
    std::vector<Entry> m_entries;
};

/// Notes when the item master step starts, when its rows are gathered and when it ends, and lets
/// a till write the item master every 1,000 rows of the gathering.
class StepClock : public bench::QuietReporter {
public:
    StepClock(QElapsedTimer& clock, db::Connection& till)
        : m_clock(clock)
        , m_till(till)
    {
    }
    void status(const QString& text) override
    {
        if (text == QLatin1String("Migrating ItemMaster "))
            started = m_clock.nsecsElapsed();
        // The swap names the table once its delete has run, inside the step's transaction.
        if (started >= 0 && ended < 0 && text == QLatin1String("Migrating tblItemMaster"))
            swapNamed = m_clock.nsecsElapsed();
    }
    void progress(const QString& text) override
    {
        if (!text.startsWith(QLatin1String("Insert into #MirtaneStage_tblItemMaster ")) || ++m_rows % 1000 != 0)
            return;
        try {
            m_till.execute(QStringLiteral("update tblItemMaster set ItemName = ItemName where ItemID = 1"));
            ++tillWrites;
        } catch (const std::exception&) {
            ++tillRefused;
        }
    }
    void progressRange(const QString& name, qint64 done, qint64 total) override
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (started < 0 || ended >= 0)
            return;
        if (name == QLatin1String("Copying tblItemMaster") && done == total)
            gathered = now;
        else if (name == QLatin1String("Master Synchronisation"))
            ended = now;
    }

    qint64 started = -1;
    qint64 gathered = -1;
    qint64 swapNamed = -1;
    qint64 ended = -1;
    int tillWrites = 0;
    int tillRefused = 0;

private:
    QElapsedTimer& m_clock;
    db::Connection& m_till;
    long long m_rows = 0;
};

double ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();
    std::printf("Building the demo with %d items...\n", itemCount);
    tools::DemoOptions options;
    options.seed = 11;
    options.size = tools::DemoSize{itemCount, 100, 200, 50, 10, 2, 4};
    tools::DemoBuilder(folder, options).build();

    bench::RoundTrips trips;
    bench::Verdict verdict;
    db::ConnectionContext watched{folder};
    watched.roundTrips = &trips;
    const db::ConnectionContext context{folder};
    db::Connection headOffice(watched);
    db::Connection branch(watched);
    db::Connection till(context);
    headOffice.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    branch.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany()));
    till.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany()));
    till.setCommandTimeout(1);
    bench::SilentPrompter prompter;
    connection::LinkedServer::configure(branch, QStringLiteral("embedded:HO"), prompter);

    // The rows a whole synchronisation copies: every table of its steps, as head office holds it.
    QStringList tables;
    qlonglong masterRows = 0;
    for (const masters::SyncStep& syncStep : masters::FullSync::steps()) {
        if (syncStep.table.isEmpty() || tables.contains(syncStep.table, Qt::CaseInsensitive))
            continue;
        tables << syncStep.table;
        masterRows += headOffice.openRecordset(QStringLiteral("select count(*) from ") + syncStep.table).field(0).value().toLongLong();
    }
    for (const bool bulk : {false, true}) {
        const bench::Trips before = trips.now();
        QElapsedTimer clock;
        clock.start();
        StepClock reporter(clock, till);
        PlainList list;
        masters::FullSync::Setup setup{QStringLiteral("embedded:HO"), tools::DemoBuilder::mainCompany(), [bulk] { return bulk; }, {}, {}};
        masters::FullSync(branch, headOffice, reporter, prompter, list, setup).run();
        const bench::Trips sync = trips.now() - before;
        const qint64 step = reporter.ended - reporter.started;
        std::printf("\n%s, item master of %d rows:\n", bulk ? "Bulk transfer" : "Row copy", itemCount);
        std::printf("  whole step:                      %8.1f ms\n", ms(step));
        verdict.requireFigure(double(step), "the item master's step");
        std::printf("  round trips of the whole synchronisation (%lld rows in %lld tables): %lld to head office, %lld to the branch;\n"
                    "  per master row copied: %s\n",
                    masterRows, qlonglong(tables.size()), sync.headOffice, sync.branch, qPrintable(bench::perUnit(sync, double(masterRows))));
        verdict.require(masterRows >= itemCount && sync.branch > 0, "the rows and round trips of the synchronisation");
        if (!bulk) {
            const qint64 swap = reporter.ended - reporter.gathered;
            verdict.requireFigure(double(swap), "the swap");
            std::printf("  rows gathered, table not locked: %8.1f ms\n", ms(reporter.gathered - reporter.started));
            std::printf("  swap, table locked (at most):    %8.1f ms  (%.2f %% of the step; the delete ran %.1f ms of it)\n", ms(swap),
                        100.0 * double(swap) / double(step), ms(reporter.swapNamed - reporter.gathered));
            std::printf("  till writes while gathering:     %d let through, %d refused\n", reporter.tillWrites, reporter.tillRefused);
        } else {
            std::printf("  (the linked-server read comes first, outside the transaction; the swap follows it)\n");
        }
    }
    return verdict.exitCode(true);
}
