// Copy costs on a demo head office grown to 20,000 items and 200,000 customer cards: row copy
// against the same INSERT texts sent directly, the customer cards' step of Master Synchronisation
// by bulk transfer against the engine's own INSERT ... SELECT through the linked server, the master
// count comparison, and the peak memory of a 200,000-row row copy.
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/QtReporter.h"
#include "app/WidgetControls.h"
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "db/Transaction.h"
#include "masters/FullSync.h"
#include "masters/MasterCounts.h"
#include "replication/RowCopier.h"
#include "report/DailyLog.h"
#include "report/Notifier.h"
#include "report/GridControl.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "tools/demo/DemoBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

using bench::SilentPrompter;
using bench::QuietReporter;
using bench::seconds;
using bench::median;
using bench::peakKilobytes;

namespace {

constexpr int itemCount = 20000;
constexpr int cardCount = 200000;

/// The count grid as plain rows; the comparison's cost is in the two queries.
class RowsGrid : public report::GridControl {
public:
    void reset(const QString&) override { m_rows.clear(); }
    int rowCount() const override { return int(m_rows.size()); }
    void addRow(const QString& cells) override { m_rows.push_back(cells.split(QLatin1Char('\t'))); }
    QString cell(int r, int c) const override { return r < rowCount() && c < m_rows[size_t(r)].size() ? m_rows[size_t(r)][c] : QString(); }
    void setCell(int r, int c, const QString& text) override
    {
        if (r < rowCount()) {
            while (m_rows[size_t(r)].size() <= c)
                m_rows[size_t(r)] << QString();
            m_rows[size_t(r)][c] = text;
        }
    }
    void setCellBackground(int, int, report::CellColour) override {}
    report::CellColour cellBackground(int, int) const override { return report::CellColour::Plain; }

private:
    std::vector<QStringList> m_rows;
};

/// Writes the daily log and nothing else.
class LogOnlyReporter : public QuietReporter {
public:
    explicit LogOnlyReporter(report::DailyLog& log) : m_log(log) {}
    void log(const QString& tag, const QString& text) override { m_log.write(tag, text); }

private:
    report::DailyLog& m_log;
};

/// The program's reporter, noting when one step of Master Synchronisation starts and when the next
/// one does (by the status text each step shows first), and counting notifications.
class StepClock : public app::QtReporter {
public:
    using QtReporter::QtReporter;
    /// Times the step that shows `first` until the one that shows `next`.
    void watch(const QString& first, const QString& next)
    {
        m_first = first;
        m_next = next;
        started = ended = -1;
        m_clock.start();
    }
    void status(const QString& text) override
    {
        if (text == m_first && started < 0)
            started = m_clock.nsecsElapsed();
        else if (text == m_next && started >= 0 && ended < 0)
            ended = m_clock.nsecsElapsed();
        QtReporter::status(text);
    }
    /// The step's time in seconds, or a negative number when it was not seen whole.
    double stepSeconds() const { return started >= 0 && ended >= 0 ? double(ended - started) / 1e9 : -1.0; }

    qint64 started = -1;
    qint64 ended = -1;
    int notices = 0;

protected:
    void showBalloon(const QString& text) override
    {
        ++notices;
        std::printf("  notice: %s\n", qPrintable(text.left(200)));
        QtReporter::showBalloon(text);
    }

private:
    QElapsedTimer m_clock;
    QString m_first;
    QString m_next;
};

QStringList insertTexts(db::Connection& from, const QString& table)
{
    QStringList texts;
    db::Recordset rows = from.openRecordset(QStringLiteral("Select * from ") + table);
    const QString columns = replication::RowCopier::columnList(rows);
    while (!rows.eof()) {
        texts << replication::RowCopier::insertStatement(table, columns, rows);
        rows.moveNext();
    }
    return texts;
}

void growCards(db::Connection& headOffice)
{
    db::Transaction transaction(headOffice);
    headOffice.execute(QStringLiteral("Delete from tblCustomerCard"));
    for (int i = 1; i <= cardCount; ++i) {
        headOffice.execute(QStringLiteral("insert into tblCustomerCard (CardID, CardNo, ProfileID, LID, Points, IssueDate, ExpiryDate, "
                                          "ActiveStatus) values (%1, 'CARD-%1', %2, %3, %4.25, '2025-01-%5 10:00:00', NULL, %6)")
                               .arg(i)
                               .arg(i % 50)
                               .arg(i % 100)
                               .arg(i % 997)
                               .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                               .arg(i % 2));
    }
    transaction.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();

    std::printf("Building the demo with %d items and %d customer cards...\n", itemCount, cardCount);
    QElapsedTimer timer;
    timer.start();
    tools::DemoOptions options;
    options.seed = 11;
    options.size = tools::DemoSize{itemCount, 100, 200, 50, 10, 2, 4};
    tools::DemoBuilder(folder, options).build();
    db::ConnectionContext context{folder};
    db::Connection headOffice(context);
    db::Connection branch(context);
    headOffice.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    branch.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany()));
    growCards(headOffice);
    std::printf("  done in %.1f s\n\n", seconds(timer));

    SilentPrompter prompter;
    bench::Verdict verdict;
    // The program's own window and reporter, so the figures include what the operator's program does per row.
    app::MainWindow window(folder);
    window.resize(1280, 760);
    window.show();
    window.hideLogin();
    report::DailyLog log(folder, [] { return QDateTime::currentDateTime(); }, [] { return QDate::currentDate(); },
                         [](const QString& text) { std::printf("  log: %s\n", qPrintable(text)); });
    log.setCompany(QStringLiteral("SUB01"));
    const report::Notifier notifier(folder);
    StepClock reporter(window, log, notifier, prompter);
    connection::LinkedServer::configure(branch, QStringLiteral("embedded:HO"), prompter);

    // Peak memory first, while nothing else has grown the process.
    if (!application.arguments().contains(QStringLiteral("--skip-memory"))) {
        const long before = peakKilobytes();
        branch.execute(QStringLiteral("Delete from tblCustomerCard"));
        db::Transaction transaction(branch);
        timer.restart();
        const replication::CopyOutcome outcome =
            replication::RowCopier(headOffice, branch, reporter).copy(QStringLiteral("tblCustomerCard"));
        transaction.commit();
        const double took = seconds(timer);
        const long after = peakKilobytes();
        std::printf("Row copy of %lld customer cards: %.1f s, %.0f rows/s\n", outcome.inserted, took, double(outcome.inserted) / took);
        std::printf("  peak memory: %.1f MB before, %.1f MB after (target: under 150 MB)\n\n", before / 1024.0, after / 1024.0);
    }

    // Row copy against the same statements sent directly, both inside one transaction as a
    // master synchronisation step runs them. The two alternate three times and each is taken as
    // the median, so that a busy moment on the machine does not decide the figure.
    {
        const QStringList texts = insertTexts(headOffice, QStringLiteral("tblItemMaster"));
        const auto timed = [&](const std::function<void()>& work) {
            branch.execute(QStringLiteral("Delete from tblItemMaster"));
            db::Transaction transaction(branch);
            timer.restart();
            work();
            transaction.commit();
            return seconds(timer);
        };
        std::vector<double> directTimes;
        std::vector<double> copyTimes;
        long long inserted = 0;
        for (int round = 0; round < 3; ++round) {
            directTimes.push_back(timed([&] {
                for (const QString& sql : texts)
                    branch.execute(sql);
            }));
            copyTimes.push_back(timed([&] {
                inserted = replication::RowCopier(headOffice, branch, reporter).copy(QStringLiteral("tblItemMaster")).inserted;
            }));
        }
        QuietReporter silent;
        LogOnlyReporter logOnly(log);
        for (const auto& [name, r] : {std::pair<const char*, report::Reporter*>{"no reporting", &silent}, {"daily log only", &logOnly}}) {
            report::Reporter& other = *r;
            const double took = timed([&] { replication::RowCopier(headOffice, branch, other).copy(QStringLiteral("tblItemMaster")); });
            std::printf("  row copy with %s: %.0f rows/s\n", name, texts.size() / took);
        }
        const double directRate = texts.size() / median(directTimes);
        const double copyRate = double(inserted) / median(copyTimes);
        std::printf("Row copy of %lld items: %.0f rows/s; the same INSERT texts sent directly: %.0f rows/s (medians of 3)\n", inserted,
                    copyRate, directRate);
        std::printf("  row copy reaches %.0f%% of the direct rate (target: at least 50%%)\n\n", 100.0 * copyRate / directRate);
        verdict.require(inserted == texts.size() && !texts.isEmpty(), "every item copied");
        verdict.requireFigure(copyRate / directRate, "the row copy's share of the direct rate");
    }

    // Master Synchronisation by bulk transfer, as the operator runs it with "bulk" checked: the
    // customer cards' step (staged outside any transaction, swapped inside the step's own) against
    // the engine's own statement through the linked server. Both start from a full table, as a
    // repeated synchronisation does, and each is taken as the median of five runs.
    {
        const QString remote = QStringLiteral("[embedded:HO].MAIN01.dbo.tblCustomerCard");
        const auto direct = [&] {
            db::Transaction transaction(branch);
            branch.execute(QStringLiteral("Delete from tblCustomerCard"));
            branch.execute(QStringLiteral("Insert into tblCustomerCard select * from ") + remote);
            transaction.commit();
        };
        // The step of the customer cards and the one after it, named by the status each shows first.
        const std::vector<masters::SyncStep>& steps = masters::FullSync::steps();
        const auto card = std::find_if(steps.begin(), steps.end(), [](const masters::SyncStep& s) { return s.table == QLatin1String("tblCustomerCard"); });
        const QString cardStatus = card->status;
        const QString nextStatus = std::next(card)->status;
        app::ListWidgetControl masterList(*window.lstMasterSettings());
        masters::FullSync::Setup setup;
        setup.syncServer = QStringLiteral("embedded:HO");
        setup.sourceCompany = QStringLiteral("MAIN01");
        setup.bulkChecked = [] { return true; };

        branch.openRecordset(QStringLiteral("select count(*) from ") + remote); // attaches the head office
        direct(); // fills the table
        std::vector<double> directTimes;
        std::vector<double> bulkTimes;
        std::vector<double> syncTimes;
        bool ok = true;
        const int noticesBefore = reporter.notices;
        for (int run = 0; run < 5; ++run) {
            timer.restart();
            direct();
            directTimes.push_back(seconds(timer));
            reporter.watch(cardStatus, nextStatus);
            timer.restart();
            masters::FullSync(branch, headOffice, reporter, prompter, masterList, setup).run();
            syncTimes.push_back(seconds(timer));
            bulkTimes.push_back(reporter.stepSeconds());
            const qlonglong cards = branch.openRecordset(QStringLiteral("select count(*) from tblCustomerCard")).field(0).value().toLongLong();
            ok = ok && reporter.stepSeconds() > 0 && cards == cardCount;
        }
        ok = ok && reporter.notices == noticesBefore;
        const double bulk = median(bulkTimes);
        const double directTime = median(directTimes);
        std::printf("Bulk transfer of %d customer cards (their step of Master Synchronisation): %.2f s (%s); direct INSERT ... SELECT: "
                    "%.2f s (medians of 5)\n",
                    cardCount, bulk, ok ? "ok" : "FAILED", directTime);
        std::printf("  bulk transfer takes %.2fx the direct statement (target: at most 1.3x); the whole synchronisation %.2f s\n\n",
                    bulk / directTime, median(syncTimes));
        verdict.require(ok, "the bulk transfer");
        verdict.requireFigure(bulk / directTime, "the bulk transfer against the direct statement");
    }

    // The master count comparison on 20,000 items.
    {
        RowsGrid control;
        bool differs = false;
        masters::MasterCounts counts(branch, headOffice, reporter);
        masters::MasterCounts::show(counts.count(), {}, control); // warm
        timer.restart();
        const int rounds = 10;
        for (int i = 0; i < rounds; ++i) {
            const report::CountComparison compared = counts.count();
            masters::MasterCounts::show(compared, {}, control);
            differs = compared.anyDiffers();
        }
        std::printf("FillDataCount: %.1f ms per comparison (%d rows in the grid, difference: %s)\n",
                    seconds(timer) * 1000.0 / rounds, control.rowCount(), differs ? "yes" : "no");
    }
    std::printf("\nBoxes shown: %d, notifications: %d, peak memory at the end: %.1f MB\n", prompter.boxes, int(window.notices().size()),
                peakKilobytes() / 1024.0);
    verdict.require(prompter.boxes == 0, "no box");
    return verdict.exitCode(true);
}
