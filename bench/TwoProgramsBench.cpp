// Two programs on one branch copying the same 400 vouchers at the same moment, Start Transform in
// one beside the sync timer's run in the other, trial after trial: every voucher must end at the
// branch exactly once, with one head-office user-log row. Prints each trial's figures.
#include "BenchSupport.h"
#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "db/Connection.h"
#include "db/Transaction.h"
#include "report/ListControl.h"
#include "text/DateText.h"
#include "transform/TransformationRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int voucherCount = 400;
constexpr int firstKey = 700000;
constexpr int trials = 5;

/// A list whose entries are all checked, as lstSource after Show Trans.
class CheckedList : public report::ListControl {
public:
    int count() const override { return int(m_texts.size()); }
    void clear() override { m_texts.clear(), m_data.clear(); }
    void addItem(const QString& text, qlonglong itemData) override { m_texts.push_back(text), m_data.push_back(itemData); }
    QString text(int i) const override { return m_texts[size_t(i)]; }
    qlonglong itemData(int i) const override { return m_data[size_t(i)]; }
    bool isSelected(int) const override { return false; }
    void setSelected(int, bool) override {}
    bool isChecked(int) const override { return true; }
    void setChecked(int, bool) override {}
    int currentIndex() const override { return m_texts.empty() ? -1 : 0; }
    void setCurrentIndex(int) override {}
    bool isVisible() const override { return true; }
    void setVisible(bool) override {}

private:
    std::vector<QString> m_texts;
    std::vector<qlonglong> m_data;
};

connection::ProgramSettings settings()
{
    connection::ProgramSettings s;
    s.serverName = tools::DemoBuilder::branchDataSource();
    s.syncServerName = tools::DemoBuilder::headOfficeDataSource();
    s.destinationCompanyCode = tools::DemoBuilder::branchCompany();
    s.sourceCompanyCode = tools::DemoBuilder::mainCompany();
    return s;
}

qlonglong count(db::Connection& connection, const QString& sql)
{
    return connection.openRecordset(sql).field(0).value().toLongLong();
}

/// One program: its own connections to both companies, its own list of the same vouchers.
struct Program {
    Program(const QString& folder, const QDate& day, bool byHand, int trial)
        : connections(db::ConnectionContext{folder})
        , run(connections, reporter, prompter, [trial] { return QDateTime(QDate(2026, 12, 6), QTime(9, trial, 0)); })
    {
        connections.connectWebDatabase(settings());
        vchTypes.addItem(QStringLiteral("Counter Sales"), 101);
        destinationVchTypes.addItem(QStringLiteral("Counter Sales"), 101);
        taxModes.addItem(QStringLiteral("GST"), 5);
        for (int i = 0; i < voucherCount; ++i)
            transactions.addItem(QStringLiteral("TP/%1 - Bench Customer - 100.5").arg(i), firstKey + i);
        listing.sourceCompany = tools::DemoBuilder::mainCompany();
        listing.vchType = 101;
        listing.vchTypeName = QStringLiteral("Counter Sales");
        listing.family = transform::VoucherFamily::Sales;
        listing.from = runSettings.from = day;
        listing.to = runSettings.to = day;
        runSettings.listing = &listing;
        runSettings.sourceCompany = tools::DemoBuilder::mainCompany();
        runSettings.destinationCompany = tools::DemoBuilder::branchCompany();
        runSettings.manual = byHand;
    }
    connection::CompanyConnections connections;
    bench::QuietReporter reporter;
    bench::SilentPrompter prompter;
    transform::TransformationRun run;
    CheckedList vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions;
    transform::Listing listing;
    transform::RunSettings runSettings;
    transform::RunOutcome outcome;
    double seconds = 0;
    void go()
    {
        QElapsedTimer timer;
        timer.start();
        outcome = run.run(transform::RunControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions}, runSettings);
        seconds = bench::seconds(timer);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QDate day(2026, 12, 6);
    bench::buildSmallDemo(dir.path(), day);
    connection::CompanyConnections connections(db::ConnectionContext{dir.path()});
    connections.connectWebDatabase(settings());
    db::Connection& branch = connections.destination();
    db::Connection& headOffice = connections.source();
    for (const char* statement : {"Alter table TblSales Add SyncStat Numeric", "Alter table TblPurchase Add SyncStat Numeric",
                                  "Alter table TblSales Add ServInvID Numeric", "Alter table TblPurchase Add ServInvID Numeric"})
        branch.execute(QLatin1String(statement));
    {
        db::Transaction transaction(headOffice);
        for (int i = 0; i < voucherCount; ++i) {
            headOffice.execute(QStringLiteral("insert into tblSales (InvID, InvNo, InvDate, VchTypeID, Party, TaxType, BillAmt, cancelled, SortNumber) "
                                              "values (%1, 'TP/%2', '%3', 101, 'Bench Customer', 'VAT', 100.50, 0, %1)")
                                   .arg(firstKey + i)
                                   .arg(i)
                                   .arg(text::DateText::sqlDate(day)));
            for (int line = 1; line <= 2; ++line)
                headOffice.execute(QStringLiteral("insert into tblSalesItem (InvID, SlNo, ItemID, Qty, UnitID, Prate, rate, MRP, TaxPer, NetAmount) "
                                                  "values (%1, %2, %2, 1, 1, 80.25, 100.50, 120, 5, 100.5)")
                                       .arg(firstKey + i)
                                       .arg(line));
        }
        transaction.commit();
    }

    bool allOnce = true;
    std::printf("%d vouchers, two programs at once (Start Transform beside the timer), %d trials\n", voucherCount, trials);
    for (int trial = 0; trial < trials; ++trial) {
        const qlonglong userLogBefore = count(headOffice, QStringLiteral("select count(*) from tbluserlog"));
        Program byHand(dir.path(), day, true, trial), byTimer(dir.path(), day, false, trial);
        QElapsedTimer timer;
        timer.start();
        std::thread first([&] { byHand.go(); });
        std::thread second([&] { byTimer.go(); });
        first.join();
        second.join();
        const double both = bench::seconds(timer);
        const qlonglong copies = count(branch, QStringLiteral("select count(*) from tblSales where ServInvID is not null"));
        const qlonglong distinct = count(branch, QStringLiteral("select count(distinct ServInvID) from tblSales where ServInvID is not null"));
        const qlonglong userLog = count(headOffice, QStringLiteral("select count(*) from tbluserlog")) - userLogBefore;
        const bool once = copies == voucherCount && distinct == voucherCount && userLog == voucherCount;
        allOnce = allOnce && once;
        std::printf("trial %d: %.2f s; Start Transform copied %d (%d meanwhile, %d already), timer copied %d (%d meanwhile, %d already); "
                    "branch holds %lld copies of %lld vouchers, duplicates %lld; head-office user-log rows %lld%s\n",
                    trial + 1, both, byHand.outcome.copied, byHand.outcome.copiedMeanwhile, byHand.outcome.alreadyTransferred,
                    byTimer.outcome.copied, byTimer.outcome.copiedMeanwhile, byTimer.outcome.alreadyTransferred, copies, distinct,
                    copies - distinct, userLog, once ? "" : "  <- NOT EXACTLY ONCE");
        branch.execute(QStringLiteral("delete from tblSalesItem where InvID in (select InvID from tblSales where ServInvID is not null)"));
        branch.execute(QStringLiteral("delete from tblSales where ServInvID is not null"));
    }

    // One program alone, for the cost of the lock beside a single copier.
    Program alone(dir.path(), day, true, trials);
    alone.go();
    std::printf("one program alone: %d vouchers in %.2f s, %.0f vouchers/s\n", alone.outcome.copied, alone.seconds, alone.outcome.copied / alone.seconds);
    std::printf(allOnce ? "every voucher exactly once in every trial\n" : "A VOUCHER WAS NOT COPIED EXACTLY ONCE\n");
    bench::Verdict verdict;
    verdict.require(alone.outcome.copied == voucherCount, "one program alone copied every voucher");
    verdict.requireFigure(alone.seconds, "one program's time");
    return verdict.exitCode(allOnce);
}
