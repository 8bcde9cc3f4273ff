// The transformation of 1,000 checked sales vouchers with 5 items each, as an operator runs it:
// Master Synchronisation first, Show Trans for the connected companies, then Start Transform with
// a new voucher type, tax mode and rate reductions. Its rate is set against the same write
// statements sent directly to the engine, in the same transactions. Prints the round trips to
// head office and to the branch per voucher, and the time of 100 vouchers with head office 40 ms
// away.
#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "db/Connection.h"
#include "db/Transaction.h"
#include "text/DateText.h"
#include "tools/demo/DemoBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using bench::seconds;

namespace {

constexpr int voucherCount = 1000;
constexpr int itemsPerVoucher = 5;
constexpr int firstKey = 500000;
constexpr int farVouchers = 100;

void addVouchers(db::Connection& headOffice, const QDate& day)
{
    const int itemCount = headOffice.openRecordset(QStringLiteral("select count(*) from tblItemMaster")).field(0).value().toInt();
    db::Transaction transaction(headOffice);
    const QString date = text::DateText::sqlDate(day);
    for (int i = 0; i < voucherCount; ++i) {
        const int invId = firstKey + i;
        headOffice.execute(QStringLiteral("insert into tblSales (InvID, InvNo, InvDate, VchTypeID, Party, TaxType, BillAmt, cancelled, SortNumber) "
                                          "values (%1, 'TB/%2', '%3', 101, 'Bench Customer %2', 'VAT', %4.50, 0, %1)")
                               .arg(invId)
                               .arg(i)
                               .arg(date)
                               .arg(100 + i % 5000));
        for (int line = 1; line <= itemsPerVoucher; ++line)
            headOffice.execute(QStringLiteral("insert into tblSalesItem (InvID, SlNo, ItemID, Qty, UnitID, Prate, rate, MRP, TaxPer, NetAmount) "
                                              "values (%1, %2, %3, 2, 1, 80.25, 100.50, 120, 5, 201)")
                                   .arg(invId)
                                   .arg(line)
                                   .arg(1 + (i * itemsPerVoucher + line) % itemCount));
    }
    transaction.commit();
}

void removeCopies(db::Connection& branch)
{
    branch.execute(QStringLiteral("delete from tblSalesItem where InvID in (select InvID from tblSales where ServInvID is not null)"));
    branch.execute(QStringLiteral("delete from tblSales where ServInvID is not null"));
}

qlonglong copies(db::Connection& branch)
{
    return branch.openRecordset(QStringLiteral("select count(*) from tblSales where ServInvID is not null")).field(0).value().toLongLong();
}

bool isRead(const QString& sql)
{
    return sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive);
}

// Sends the writes the run sent, in its transactions, on connections nobody watches.
void sendDirectly(const std::vector<bench::SentStatement>& sent, db::Connection& branch, db::Connection& headOffice)
{
    for (const bench::SentStatement& s : sent) {
        db::Connection& to = s.headOffice ? headOffice : branch;
        switch (s.kind) {
        case db::RoundTrip::Begin:
            to.beginTrans();
            break;
        case db::RoundTrip::Commit:
            to.commitTrans();
            break;
        case db::RoundTrip::Rollback:
            to.rollbackTrans();
            break;
        case db::RoundTrip::Statement:
            if (!isRead(s.sql))
                to.execute(s.sql);
            break;
        case db::RoundTrip::Open:
            break;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    // The demo's vouchers end the day before, so the listed day holds only the bench's vouchers.
    const QDate day(2026, 12, 6);
    bench::buildSmallDemo(dir.path(), day.addDays(-1));
    bench::Verdict verdict;

    db::Connection branch(db::ConnectionContext{dir.path()});
    branch.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany()));
    db::Connection headOffice(db::ConnectionContext{dir.path()});
    headOffice.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
    for (const char* statement : {"Alter table TblSales Add SyncStat Numeric", "Alter table TblPurchase Add SyncStat Numeric",
                                  "Alter table TblSales Add ServInvID Numeric", "Alter table TblPurchase Add ServInvID Numeric"})
        branch.execute(QLatin1String(statement));
    QElapsedTimer timer;
    timer.start();
    addVouchers(headOffice, day);
    std::printf("%d vouchers with %d items each added in %.0f ms\n", voucherCount, itemsPerVoucher, double(timer.elapsed()));

    app::MainWindow window(dir.path());
    bench::SilentPrompter prompter;
    bench::RoundTrips trips;
    bench::AlwaysConnected network;
    app::Session::Options sessionOptions;
    sessionOptions.prompter = &prompter;
    sessionOptions.connectivity = &network;
    sessionOptions.roundTrips = &trips;
    app::Session session(window, sessionOptions);
    window.show();
    if (!verdict.require(session.startUp(), "start-up"))
        return verdict.exitCode(false);
    session.connectCompanies();
    window.cmdFullSync()->click();
    verdict.require(prompter.boxes == 0, "masters brought in step without a box");

    window.lstVchtypes()->setCurrentIndex(window.lstVchtypes()->findData(101));
    window.dtpdate()->setDate(day);
    window.dtpto()->setDate(day);
    // Every category the list offers is chosen, so the filter is applied and keeps most items.
    for (int i = 0; i < window.lstCategories()->count(); ++i)
        window.lstCategories()->item(i)->setSelected(true);
    window.cboVchtypeTotransform()->setCurrentIndex(window.cboVchtypeTotransform()->findData(102));
    window.cboTaxMode()->setCurrentIndex(window.cboTaxMode()->findData(5));
    window.txtPRateDiscount()->setText(QStringLiteral("10"));
    window.txtSRateDiscount()->setText(QStringLiteral("5"));
    window.txtMRPDiscount()->setText(QStringLiteral("2.5"));

    bench::Trips before = trips.now();
    window.cmdShowTransactions()->click();
    const bench::Trips listing = trips.now() - before;
    verdict.require(window.lstSource()->count() == voucherCount, "Show Trans listed every voucher");
    std::printf("Show Trans of %d vouchers: round trips %s\n", window.lstSource()->count(), qPrintable(bench::perUnit(listing, 1)));

    before = trips.now();
    trips.recording = true;
    timer.restart();
    window.cmdStartDatamigration()->click();
    const double transformed = seconds(timer);
    trips.recording = false;
    const bench::Trips run = trips.now() - before;
    const qlonglong copied = copies(branch);
    const qlonglong items = branch.openRecordset(QStringLiteral("select count(*) from tblSalesItem where InvID in (select InvID from tblSales "
                                                                "where ServInvID is not null)"))
                                .field(0)
                                .value()
                                .toLongLong();
    verdict.require(copied == voucherCount && items > 0, "every voucher copied, with items");
    verdict.require(prompter.boxes == 0, "Start Transform ran without a box");
    std::printf("Transformation: %lld vouchers copied (%lld items) in %.2f s, %.0f vouchers/s\n", copied, items, transformed,
                double(copied) / transformed);
    if (copied > 0)
        std::printf("  round trips per voucher copied: %s\n", qPrintable(bench::perUnit(run, double(copied))));

    // The same write statements, sent directly, in the same transactions.
    removeCopies(branch);
    timer.restart();
    try {
        sendDirectly(trips.sent, branch, headOffice);
    } catch (const db::DbError& e) {
        std::printf("  the direct statements failed: %s\n", qPrintable(e.message()));
        verdict.require(false, "the same statements sent directly");
    }
    const double direct = seconds(timer);
    const qlonglong directCopies = copies(branch);
    verdict.require(directCopies == voucherCount, "the direct statements copied every voucher");
    std::printf("Same statements sent directly: %lld vouchers in %.2f s, %.0f vouchers/s\n", directCopies, direct, double(directCopies) / direct);
    const double ratio = (double(copied) / transformed) / (double(directCopies) / direct);
    verdict.requireFigure(ratio, "the transformation's share of the direct rate");
    std::printf("  the transformation reaches %.0f%% of the direct rate (target: at least 50%%)\n", 100.0 * ratio);

    // Head office 40 ms away: the first vouchers of the same list again, nothing else changed.
    removeCopies(branch);
    for (int i = 0; i < window.lstSource()->count(); ++i)
        window.lstSource()->item(i)->setCheckState(i < farVouchers ? Qt::Checked : Qt::Unchecked);
    trips.headOfficeDelayMs = 40;
    before = trips.now();
    timer.restart();
    window.cmdStartDatamigration()->click();
    const double far = seconds(timer);
    const bench::Trips farTrips = trips.now() - before;
    trips.headOfficeDelayMs = 0;
    const qlonglong farCopied = copies(branch);
    verdict.require(farCopied == farVouchers && prompter.boxes == 0, "the vouchers copied with head office 40 ms away");
    std::printf("With head office 40 ms away: %lld vouchers in %.2f s, %.0f ms per voucher; round trips per voucher: %s\n", farCopied, far,
                1000.0 * far / double(std::max<qlonglong>(farCopied, 1)), qPrintable(bench::perUnit(farTrips, double(std::max<qlonglong>(farCopied, 1)))));
    std::printf("Boxes shown: %d\n", prompter.boxes);
    return verdict.exitCode(ratio >= 0.5);
}
