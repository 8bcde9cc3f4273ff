// The transformation run on the demo companies: what is copied, how the copy is changed, what is
// skipped and said, and what a failure inside one voucher leaves behind.
#include "FaultyDisk.h"
#include "TransformFixture.h"

#include "db/Connection.h"
#include "db/embedded/EmbeddedServer.h"
#include "transform/TransferLedger.h"
#include "transform/TransformationRun.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <thread>

using namespace transformtest;
using support::TempServers;
using transform::RunOutcome;
using transform::RunSettings;
using transform::TransformationRun;
using transform::VoucherFamily;

namespace {

class TransformationRunTest : public TransformFixture {
protected:
    TransformationRunTest()
    {
        servers.addVoucherMarks();
        for (auto* list : {&vchTypes, &destinationVchTypes}) {
            list->addItem("Counter Sales", 101);
            list->addItem("Wholesale Sales", 102);
            list->addItem("Local Purchase", 201);
            list->addItem("Interstate Purchase", 202);
        }
        const QStringList modes = {"<SAME AS SOURCE>", "<None>", "VAT", "CST", "TaxOnMRP", "GST"};
        for (int mode = 0; mode < modes.size(); ++mode)
            taxModes.addItem(modes[mode], mode);
        for (int id = 0; id <= 9; ++id)
            itemClasses.addItem(QString::number(id), id);
        settings.sourceCompany = "MAIN01";
        settings.destinationCompany = "SUB01";
    }

    /// Chooses the two voucher types and lists the source vouchers of the first, all checked.
    void prepare(qlonglong from, qlonglong to)
    {
        vchTypes.current = int(ids(vchTypes).indexOf(from));
        destinationVchTypes.current = int(ids(destinationVchTypes).indexOf(to));
        master = from < 200 ? "tblSales" : "tblPurchase";
        detail = master + "Item";
        db::Recordset rows = servers.headOffice().openRecordset(
            QStringLiteral("select InvID, InvNo from %1 where VchTypeID=%2 and InvDate between '2026-12-02' and '2026-12-06' order by InvID")
                .arg(master)
                .arg(from));
        transactions.clear();
        for (; !rows.eof(); rows.moveNext()) {
            transactions.addItem(rows.field(1).text() + " - 100", rows.field(0).value().toLongLong());
            transactions.entries.back().checked = true;
        }
        ASSERT_GE(transactions.count(), 3);
        // What Show Trans would have recorded for this list.
        listing = transform::Listing{};
        listing.sourceCompany = settings.sourceCompany;
        listing.vchType = from;
        listing.vchTypeName = vchTypes.text(vchTypes.current);
        listing.family = from < 200 ? VoucherFamily::Sales : VoucherFamily::Purchase;
        listing.from = settings.from = QDate(2026, 12, 2);
        listing.to = settings.to = QDate(2026, 12, 6);
        settings.listing = &listing;
    }
    void chooseTaxMode(int mode) { taxModes.current = mode; }
    RunOutcome run() { return transformation.run(transform::RunControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions}, settings); }

    QString branchRows(const QString& sql) { return TempServers::rows(servers.branch(), sql); }
    QString headRows(const QString& sql) { return TempServers::rows(servers.headOffice(), sql); }
    qlonglong branchCount(const QString& sql) { return TempServers::scalar(servers.branch(), sql).toLongLong(); }
    /// The key the branch gave to the copy of source voucher `sourceKey` (0 when none).
    qlonglong copyOf(qlonglong sourceKey)
    {
        return TempServers::scalar(servers.branch(), QStringLiteral("select InvID from %1 where ServInvID=%2").arg(master).arg(sourceKey)).toLongLong();
    }
    QStringList notTransferred() const
    {
        QStringList reasons;
        for (const auto& entry : reporter.logs)
            if (entry.tag == TransformationRun::notTransferredTag)
                reasons << entry.text;
        return reasons;
    }

    /// Another program on the same companies: its own connections to both.
    struct Program {
        explicit Program(const QString& folder, QTime at = QTime(11, 0, 0))
            : connections{db::ConnectionContext{folder}}
            , at(at)
        {
            connectDemoCompanies(connections);
        }
        connection::CompanyConnections connections;
        QTime at;
        support::RecordingReporter reporter;
        support::ScriptedPrompter prompter;
        TransformationRun run{connections, reporter, prompter, [this] { return QDateTime(QDate(2026, 12, 6), at); }};
    };
    transform::RunControls controls() { return {vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions}; }
    qlonglong headCount(const QString& sql) { return TempServers::scalar(servers.headOffice(), sql).toLongLong(); }

    support::VectorListControl vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions;
    transform::RunSettings settings;
    transform::Listing listing;
    QString master, detail;
    TransformationRun transformation{connections, reporter, prompter, [] { return QDateTime(QDate(2026, 12, 6), QTime(11, 0, 0)); }};
};

} // namespace

TEST_F(TransformationRunTest, PurchaseVouchersGetTheirReductionsOnSrateAndTheirTaxBeforeTheReset)
{
    prepare(201, 202);
    chooseTaxMode(3);
    settings.purchaseRatePercent = 12.5;
    settings.salesRatePercent = -4;
    settings.mrpPercent = 0;
    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.copied, transactions.count());
    for (int i = 0; i < transactions.count(); ++i) {
        const qlonglong sourceKey = transactions.itemData(i);
        const qlonglong key = copyOf(sourceKey);
        ASSERT_GT(key, 0);
        EXPECT_EQ(branchRows(QStringLiteral("select VchTypeID, TaxType, SyncStat from tblPurchase where InvID=%1").arg(key)), "202|CST|0");
        const std::vector<double> got =
            TempServers::numbers(servers.branch(), QStringLiteral("select ItemID, Prate, Srate, MRP from tblPurchaseItem where InvID=%1 order by SlNo").arg(key));
        const std::vector<double> wanted = TempServers::numbers(servers.headOffice(), QStringLiteral("select ItemID, cast(Prate*0.875 as numeric(18,2)), "
                                                                "cast(Srate*1.04 as numeric(18,2)), MRP from tblPurchaseItem where InvID=%1 order by SlNo").arg(sourceKey));
        ASSERT_EQ(got.size(), wanted.size());
        ASSERT_FALSE(got.empty());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], wanted[i], 1e-6) << sourceKey << " #" << i;
    }
}

TEST_F(TransformationRunTest, EachTaxModeWritesItsTaxTypeOrKeepsTheSourceOne)
{
    prepare(101, 101);
    const qlonglong sourceKey = transactions.itemData(0);
    servers.headOffice().execute(QStringLiteral("update tblSales set TaxType='Source' where InvID=%1").arg(sourceKey));
    for (int i = 1; i < transactions.count(); ++i)
        transactions.setChecked(i, false);
    const QList<QPair<int, QString>> expected = {{-1, "Source"}, {0, "Source"}, {1, "<None>"}, {2, "VAT"}, {3, "CST"}, {4, "Source"}, {5, "GST"}};
    for (const auto& [mode, taxType] : expected) {
        chooseTaxMode(mode);
        ASSERT_EQ(run().copied, 1) << mode;
        EXPECT_EQ(branchRows(QStringLiteral("select TaxType, VchTypeID from tblSales where ServInvID=%1").arg(sourceKey)), taxType + "|101") << mode;
        // Removed again, so that the next mode copies it anew.
        servers.branch().execute(QStringLiteral("delete from tblSalesItem where InvID=%1").arg(copyOf(sourceKey)));
        servers.branch().execute(QStringLiteral("delete from tblSales where ServInvID=%1").arg(sourceKey));
    }
}

TEST_F(TransformationRunTest, DifferentFamiliesOrNoTypeAreRefusedWithTheMessageAndNothingIsCopied)
{
    prepare(101, 201);
    const QString before = branchRows("select count(*) from tblSales") + "/" + branchRows("select count(*) from tblPurchase");
    const RunOutcome outcome = run();
    EXPECT_FALSE(outcome.familiesMatch);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Sorry you can't migrate Counter Sales to Local Purchase");
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
    EXPECT_EQ(branchRows("select count(*) from tblSales") + "/" + branchRows("select count(*) from tblPurchase"), before);
    ASSERT_EQ(reporter.logs.size(), 1u);
    EXPECT_EQ(reporter.logs[0].tag, " Auto synch Getting eligible vouchers  ");
    EXPECT_TRUE(reporter.statuses.empty());

    // Without a voucher type to transform nothing is copied either, and the operator is told to choose one.
    prompter.shown.clear();
    vchTypes.current = -1;
    const qlonglong userLogRows = branchCount("select count(*) from tbluserlog");
    EXPECT_EQ(run().copied, 0);
    EXPECT_EQ(branchRows("select count(*) from tblSales") + "/" + branchRows("select count(*) from tblPurchase"), before);
    EXPECT_EQ(branchCount("select count(*) from tbluserlog"), userLogRows);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains("voucher type to transform")) << prompter.shown[0].text.toStdString();
}

TEST_F(TransformationRunTest, ItemFilterCopiesOnlyPassingItemsAndAHeaderWhoseItemsAllFail)
{
    prepare(101, 101);
    const qlonglong first = transactions.itemData(0);
    const QString firstCategory =
        headRows(QStringLiteral("select min(CategoryID) from tblSalesItem s, tblItemMaster m where s.ItemID=m.ItemID and s.InvID=%1").arg(first));
    listing.categories = firstCategory;
    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.copied, transactions.count());
    for (int i = 0; i < transactions.count(); ++i) {
        const qlonglong sourceKey = transactions.itemData(i);
        EXPECT_EQ(branchRows(QStringLiteral("select ItemID from tblSalesItem where InvID=%1 order by SlNo").arg(copyOf(sourceKey))),
                  headRows(QStringLiteral("select s.ItemID from tblSalesItem s, tblItemMaster m where s.ItemID=m.ItemID and s.InvID=%1 and m.CategoryID=%2 "
                                          "order by SlNo")
                               .arg(sourceKey)
                               .arg(firstCategory)));
    }
    EXPECT_GT(branchCount(QStringLiteral("select count(*) from tblSalesItem where InvID=%1").arg(copyOf(first))), 0);

    // Only the category no item has: every header is copied, none with an item.
    servers.branch().execute("delete from tblSalesItem where InvID in (select InvID from tblSales where ServInvID is not null)");
    servers.branch().execute("delete from tblSales where ServInvID is not null");
    listing.categories = "9999";
    EXPECT_EQ(run().copied, transactions.count());
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), transactions.count());
    EXPECT_EQ(branchCount("select count(*) from tblSalesItem where InvID in (select InvID from tblSales where ServInvID is not null)"), 0);
}

TEST_F(TransformationRunTest, ProgressCountsTheCheckedAndAlreadyTransferredVouchersAreSkippedAndSaidSo)
{
    prepare(101, 101);
    transactions.setChecked(1, false);
    ASSERT_EQ(run().copied, transactions.count() - 1);
    // The bar counts the checked vouchers only: 0 at the start, k before voucher k + 1 is copied, the total at the end.
    std::vector<qint64> done, expected;
    for (const auto& range : reporter.ranges)
        if (range.name == "Transformation" && range.total == transactions.count() - 1)
            done.push_back(range.done);
    for (qint64 k = 0; k < transactions.count(); ++k)
        expected.push_back(k);
    EXPECT_EQ(done, expected);
    const qlonglong copies = branchCount("select count(*) from tblSales");
    const qlonglong userLogRows = branchCount("select count(*) from tbluserlog");
    reporter.clear();

    // A second press copies only the voucher that was not checked before.
    transactions.setChecked(1, true);
    RunOutcome outcome = run();
    EXPECT_EQ(outcome.copied, 1);
    EXPECT_EQ(outcome.alreadyTransferred, transactions.count() - 1);
    EXPECT_EQ(branchCount("select count(*) from tblSales"), copies + 1);
    EXPECT_EQ(branchCount("select count(*) from tbluserlog"), userLogRows + 1);
    EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tblSales where ServInvID=%1").arg(transactions.itemData(0))), 1);
    const QStringList reasons = notTransferred();
    ASSERT_EQ(reasons.size(), transactions.count() - 1);
    EXPECT_EQ(reasons[0], QStringLiteral("Voucher %1 not transferred: already transferred to SUB01 as InvID %2")
                              .arg(transactions.text(0))
                              .arg(copyOf(transactions.itemData(0))));
    EXPECT_EQ(reporter.balloons,
              std::vector<QString>{QStringLiteral("%1 vouchers not transferred: already transferred to SUB01 (see the log)").arg(transactions.count() - 1)});

    // Timer ticks finding the same vouchers notify nothing, and log each voucher once for the list:
    // only the one the second press copied is new to the log.
    reporter.clear();
    settings.manual = false;
    outcome = run();
    EXPECT_EQ(outcome.copied, 0);
    EXPECT_EQ(outcome.alreadyTransferred, transactions.count());
    EXPECT_EQ(notTransferred().size(), 1);
    outcome = run();
    EXPECT_EQ(outcome.alreadyTransferred, transactions.count());
    EXPECT_EQ(notTransferred().size(), 1);
    EXPECT_TRUE(reporter.balloons.empty());
    EXPECT_EQ(branchCount("select count(*) from tblSales"), copies + 1);
    EXPECT_EQ(reporter.statuses.back(), "MIgration Over");
}

TEST_F(TransformationRunTest, FailureInsideAVoucherLeavesNothingOfItAndTheRunGoesOn)
{
    prepare(101, 102);
    settings.salesRatePercent = 5;
    const qlonglong victim = transactions.itemData(1);
    // The rate reduction of one voucher fails after its header and items were inserted.
    db::embedded::EmbeddedServer(servers.folder() + "/servers/BR")
        .executeNative("SUB01", QStringLiteral("CREATE TRIGGER trgRefuse BEFORE UPDATE OF rate ON tblSalesItem WHEN OLD.InvID = (SELECT InvID "
                                               "FROM tblSales WHERE ServInvID = %1) BEGIN SELECT RAISE(ABORT, 'rate locked'); END")
                                    .arg(victim));
    const qlonglong largest = branchCount("select max(InvID) from tblSales");
    const qlonglong userLogRows = branchCount("select count(*) from tbluserlog");

    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.copied, transactions.count() - 1);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_FALSE(servers.branch().inTransaction());
    EXPECT_EQ(copyOf(victim), 0);
    // The key it drew was left free for the next voucher, and no item row lost its header.
    EXPECT_EQ(copyOf(transactions.itemData(2)), largest + 2);
    EXPECT_EQ(branchCount("select count(*) from tblSalesItem where InvID not in (select InvID from tblSales)"), 0);
    EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tblSales where ServInvID=%1 and VchTypeID=102").arg(transactions.itemData(2))), 1);
    EXPECT_EQ(branchCount("select count(*) from tbluserlog"), userLogRows + transactions.count() - 1);
    EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tbluserlog where Action like 'Transation No %1 %%'").arg(transactions.text(1))), 0);
    const QStringList reasons = notTransferred();
    ASSERT_EQ(reasons.size(), 1);
    EXPECT_TRUE(reasons[0].startsWith(QStringLiteral("Voucher %1 not transferred: ").arg(transactions.text(1)))) << reasons[0].toStdString();
    EXPECT_TRUE(reasons[0].contains("rate locked")) << reasons[0].toStdString();
    // Shown once, naming the voucher.
    EXPECT_EQ(reporter.balloons, std::vector<QString>{reasons[0]});
}

TEST_F(TransformationRunTest, VoucherGoneFromTheSourceIsReportedAndAFaultOfTheBranchStopsTheRun)
{
    prepare(101, 101);
    for (auto& entry : transactions.entries)
        entry.checked = false;
    transactions.addItem("X/1 - 5", 987654);
    transactions.entries.back().checked = true;
    const qlonglong before = branchCount("select count(*) from tblSales");
    const RunOutcome outcome = run();
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(branchCount("select count(*) from tblSales"), before);
    EXPECT_EQ(notTransferred(), QStringList({"Voucher X/1 - 5 not transferred: InvID 987654 is not in MAIN01"}));
    EXPECT_EQ(reporter.statuses.back(), "MIgration Over");

    // A fault of the branch itself, which every voucher would meet: the first one stops the run with one message.
    reporter.clear();
    for (auto& entry : transactions.entries)
        entry.checked = true;
    servers.branch().execute("drop table tblSalesItem");
    const RunOutcome stopped = run();
    EXPECT_EQ(stopped.copied, 0);
    EXPECT_EQ(stopped.failed, 1);
    EXPECT_FALSE(stopped.stopped.isEmpty());
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].contains("tblSalesItem")) << reporter.balloons[0].toStdString();
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), 0);
    EXPECT_NE(reporter.statuses.back(), "MIgration Over");
}

namespace {
// Removes the branch's database file as the run moves to its second voucher.
class FileRemovingReporter : public support::RecordingReporter {
public:
    QString file;
    void progressRange(const QString& name, qint64 done, qint64 total) override
    {
        RecordingReporter::progressRange(name, done, total);
        if (name == QLatin1String("Transformation") && done == 1 && !file.isEmpty()) {
            QFile::remove(file);
            file.clear();
        }
    }
};
} // namespace

TEST_F(TransformationRunTest, BranchFileRemovedWhileConnectedStopsTheRunWithoutSayingItIsOver)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not let a database file be removed while it is open";
#endif
    prepare(101, 102);
    const QString file = QDir(servers.folder()).filePath("servers/BR/SUB01.sqlite");
    const qlonglong headUserLog = TempServers::scalar(servers.headOffice(), "select count(*) from tbluserlog").toLongLong();
    FileRemovingReporter removing;
    removing.file = file;
    TransformationRun run{connections, removing, prompter, [] { return QDateTime(QDate(2026, 12, 6), QTime(11, 0, 0)); }};
    const transform::RunControls controls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions};

    const RunOutcome outcome = run.run(controls, settings);

    // The first voucher went through; the second found the file gone and the run ended there.
    EXPECT_EQ(outcome.copied, 1);
    EXPECT_EQ(outcome.failed, 1);
    // Head office's row of the first copy stays owed in the branch, not written while the branch is gone.
    EXPECT_EQ(TempServers::scalar(servers.headOffice(), "select count(*) from tbluserlog").toLongLong(), headUserLog);
    const QString gone = QStringLiteral("Connection failure: the file %1 of database 'SUB01' was removed").arg(file);
    ASSERT_EQ(removing.balloons.size(), 1u);
    EXPECT_TRUE(removing.balloons[0].contains(gone)) << removing.balloons[0].toStdString();
    EXPECT_EQ(std::count(removing.statuses.begin(), removing.statuses.end(), QStringLiteral("MIgration Over")), 0);
    ASSERT_FALSE(removing.statuses.empty());
    EXPECT_TRUE(removing.statuses.back().startsWith("Transformation stopped: " + gone)) << removing.statuses.back().toStdString();

    // A run started afterwards says the same, not that the voucher types do not match.
    removing.clear();
    EXPECT_EQ(run.run(controls, settings).copied, 0);
    EXPECT_TRUE(prompter.shown.empty());
    ASSERT_FALSE(removing.statuses.empty());
    EXPECT_TRUE(removing.statuses.back().startsWith("Transformation stopped: " + gone)) << removing.statuses.back().toStdString();
}

TEST_F(TransformationRunTest, LedgerListsEachCopyWithBothAmountsWhatStartedItAndWhatFailed)
{
    prepare(101, 102);
    settings.salesRatePercent = 7.5;
    transform::TransferFailures failures;
    settings.failures = &failures;
    // The first voucher copied by Start Transform, the others by the timer; one entry names a voucher
    // head office does not have, and fails on both timer runs.
    const qlonglong byHand = transactions.itemData(0);
    for (int i = 1; i < transactions.count(); ++i)
        transactions.setChecked(i, false);
    run();
    transactions.addItem("990001 - Gone, Ltd - 100", 990001);
    for (int i = 0; i < transactions.count(); ++i)
        transactions.setChecked(i, true);
    settings.manual = false;
    run();
    run();

    const transform::Ledger ledger = transform::TransferLedger(servers.branch(), servers.headOffice()).read(QDate(2026, 12, 2), QDate(2026, 12, 6));
    EXPECT_TRUE(ledger.problems.isEmpty()) << ledger.problems.join(" ").toStdString();
    ASSERT_EQ(ledger.transfers.size(), size_t(transactions.count() - 1));
    const auto cents = [](db::Connection& side, const QString& sql) { return QString::number(TempServers::scalar(side, sql).toDouble(), 'f', 2); };
    for (const transform::TransferRow& row : ledger.transfers) {
        EXPECT_EQ(copyOf(row.headOfficeKey), row.branchKey);
        EXPECT_EQ(row.vchType, "Wholesale Sales");
        EXPECT_EQ(row.branchAmount, cents(servers.branch(), QStringLiteral("select sum(Qty*rate) from tblSalesItem where InvID=%1").arg(row.branchKey)));
        EXPECT_EQ(row.headOfficeAmount,
                  cents(servers.headOffice(), QStringLiteral("select sum(Qty*rate) from tblSalesItem where InvID=%1").arg(row.headOfficeKey)));
        EXPECT_NE(row.branchAmount, row.headOfficeAmount);
        EXPECT_EQ(row.copiedAt, "06/Dec/2026 11:00:00 AM");
        EXPECT_EQ(row.copiedBy, row.headOfficeKey == byHand ? TransformationRun::copiedByHand : TransformationRun::copiedByTimer);
    }

    const std::vector<transform::SetAsideEntry> failed = transform::TransferLedger::failedVouchers(failures.list());
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].tries, 2);
    EXPECT_TRUE(failed[0].reason.contains("990001 is not in MAIN01")) << failed[0].reason.toStdString();

    // The export holds every row; the party's comma does not split its field.
    transform::Ledger exported = ledger;
    exported.setAside = failed;
    const QStringList lines = transform::TransferLedger::csv(exported).split("\r\n");
    EXPECT_EQ(lines.size(), qsizetype(ledger.transfers.size()) + 5);
    EXPECT_TRUE(lines.filter("Voucher,\"990001 - Gone, Ltd - 100\",").size() == 1) << lines.join("|").toStdString();
}

namespace {
// Lets another program run its whole transformation the moment this one starts its first copy,
// after this one looked up which vouchers the branch already holds.
class InterleavingReporter : public support::RecordingReporter {
public:
    std::function<void()> other;
    void status(const QString& text) override
    {
        RecordingReporter::status(text);
        if (other && text.startsWith(QLatin1String("Migrating ")))
            std::exchange(other, nullptr)();
    }
};
} // namespace

TEST_F(TransformationRunTest, VouchersAnotherProgramCopiedMeanwhileAreNotCopiedAgainAndSaidOnce)
{
    prepare(101, 101);
    const qlonglong headUserLog = headCount("select count(*) from tbluserlog");
    Program other(servers.folder());
    transform::Listing otherListing = listing;
    RunSettings otherSettings = settings;
    otherSettings.listing = &otherListing;
    RunOutcome otherOutcome;
    InterleavingReporter interleaving;
    interleaving.other = [&] { otherOutcome = other.run.run(controls(), otherSettings); };
    TransformationRun first{connections, interleaving, prompter, [] { return QDateTime(QDate(2026, 12, 6), QTime(11, 0, 0)); }};

    const RunOutcome outcome = first.run(controls(), settings);

    const int n = int(transactions.count());
    EXPECT_EQ(otherOutcome.copied, n);
    EXPECT_EQ(outcome.copied, 0);
    EXPECT_EQ(outcome.copiedMeanwhile, n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tblSales where ServInvID=%1").arg(transactions.itemData(i))), 1);
    EXPECT_EQ(interleaving.balloons,
              std::vector<QString>{QStringLiteral("%1 vouchers not transferred: copied meanwhile by another program (see the log)").arg(n)});
    qsizetype meanwhile = 0;
    for (const auto& entry : interleaving.logs)
        meanwhile += entry.tag == TransformationRun::notTransferredTag && entry.text.contains("copied meanwhile by another program as InvID");
    EXPECT_EQ(meanwhile, n);
    EXPECT_EQ(interleaving.statuses.back(), "MIgration Over");
    // One head-office user-log row per copy, written by the program that copied it.
    EXPECT_EQ(headCount("select count(*) from tbluserlog"), headUserLog + n);
}

TEST_F(TransformationRunTest, TwoProgramsCopyingTheSameVouchersAtOnceCopyEachExactlyOnce)
{
    prepare(101, 102);
    const int n = int(transactions.count());
    const qlonglong headUserLog = headCount("select count(*) from tbluserlog");
    // Start Transform in one program beside the timer of the other, several times over.
    for (int trial = 0; trial < 3; ++trial) {
        // A minute apart, so that each trial's user-log rows are rows of their own.
        Program a(servers.folder(), QTime(11, trial, 0)), b(servers.folder(), QTime(11, trial, 0));
        transform::Listing listingA = listing, listingB = listing;
        RunSettings byHand = settings, byTimer = settings;
        byHand.listing = &listingA;
        byTimer.listing = &listingB;
        byTimer.manual = false;
        support::VectorListControl listA = transactions, listB = transactions;
        RunOutcome outcomeA, outcomeB;
        {
            std::thread first([&] { outcomeA = a.run.run(transform::RunControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, listA}, byHand); });
            std::thread second([&] { outcomeB = b.run.run(transform::RunControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, listB}, byTimer); });
            first.join();
            second.join();
        }
        EXPECT_EQ(outcomeA.copied + outcomeB.copied, n) << trial;
        EXPECT_EQ(outcomeA.copied + outcomeA.copiedMeanwhile + outcomeA.alreadyTransferred, n) << trial;
        EXPECT_EQ(outcomeB.copied + outcomeB.copiedMeanwhile + outcomeB.alreadyTransferred, n) << trial;
        EXPECT_EQ(outcomeA.failed + outcomeB.failed, 0) << trial;
        EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), n) << trial;
        EXPECT_EQ(branchCount("select count(distinct ServInvID) from tblSales where ServInvID is not null"), n) << trial;
        EXPECT_EQ(headCount("select count(*) from tbluserlog"), headUserLog + (trial + 1) * n) << trial;
        EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tbluserlog where ReCreateData like '%1'").arg(TransformationRun::owedToHeadOffice)), 0);
        // Removed again for the next trial.
        servers.branch().execute("delete from tblSalesItem where InvID in (select InvID from tblSales where ServInvID is not null)");
        servers.branch().execute("delete from tblSales where ServInvID is not null");
    }
}

TEST_F(TransformationRunTest, HeadOfficeRowOfACopyIsOwedUntilWrittenAndNeverWrittenTwice)
{
    prepare(101, 101);
    const int n = int(transactions.count());
    const qlonglong headUserLog = headCount("select count(*) from tbluserlog");
    const QString owed = QStringLiteral("select count(*) from tbluserlog where ReCreateData like '%1'").arg(TransformationRun::owedToHeadOffice);
    db::embedded::EmbeddedServer headOffice(servers.folder() + "/servers/HO");
    // Head office's user log cannot be written while the vouchers are copied.
    headOffice.executeNative("MAIN01", "ALTER TABLE tbluserlog RENAME TO tbluserlog_away");
    EXPECT_EQ(run().copied, n);
    headOffice.executeNative("MAIN01", "ALTER TABLE tbluserlog_away RENAME TO tbluserlog");
    EXPECT_EQ(headCount("select count(*) from tbluserlog"), headUserLog);
    EXPECT_EQ(branchCount(owed), n);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].contains("written at the next run")) << reporter.balloons[0].toStdString();

    // The next program's run copies nothing and writes the owed rows, each once, as at the copy.
    {
        Program restarted(servers.folder());
        EXPECT_EQ(restarted.run.run(controls(), settings).alreadyTransferred, n);
    }
    EXPECT_EQ(headCount("select count(*) from tbluserlog"), headUserLog + n);
    EXPECT_EQ(branchCount(owed), 0);
    EXPECT_EQ(headRows(QStringLiteral("select DateOf, TimeOF, TypeofAction, WindowName, refID from tbluserlog where Action like 'Transation No %1 %%'")
                           .arg(transactions.text(0))),
              "2026-12-06 00:00:00|11:00:00 AM|New||0");

    // A program that stopped after head office's row was written but before the mark was cleared:
    // the row is not written a second time.
    servers.branch().execute(QStringLiteral("update tbluserlog set ReCreateData='%1' where Action like 'Transation No %%'").arg(TransformationRun::owedToHeadOffice));
    {
        Program restarted(servers.folder());
        restarted.run.run(controls(), settings);
    }
    EXPECT_EQ(headCount("select count(*) from tbluserlog"), headUserLog + n);
    EXPECT_EQ(branchCount(owed), 0);
}

TEST_F(TransformationRunTest, DiskFailingMidRunStopsAfterTheVoucherInHandWithOneMessage)
{
    prepare(101, 101);
    support::FaultyDisk disk;
    // Opened through the failing disk.
    Program program(servers.folder());
    const QString file = QDir(servers.folder()).filePath("servers/BR/SUB01.sqlite");
    struct Failing : support::RecordingReporter {
        std::function<void()> fail;
        void progressRange(const QString& name, qint64 done, qint64 total) override
        {
            RecordingReporter::progressRange(name, done, total);
            if (name == QLatin1String("Transformation") && done == 1 && fail)
                std::exchange(fail, nullptr)();
        }
    } failing;
    failing.fail = [&] { disk.failWritesTo(file); };
    TransformationRun run{program.connections, failing, prompter, [] { return QDateTime(QDate(2026, 12, 6), QTime(11, 0, 0)); }};

    const RunOutcome outcome = run.run(controls(), settings);
    disk.failWritesTo({});

    EXPECT_EQ(outcome.copied, 1);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_FALSE(outcome.stopped.isEmpty());
    ASSERT_EQ(failing.balloons.size(), 1u);
    EXPECT_TRUE(failing.balloons[0].contains(file)) << failing.balloons[0].toStdString();
    EXPECT_EQ(std::count(failing.statuses.begin(), failing.statuses.end(), QStringLiteral("MIgration Over")), 0);
    EXPECT_TRUE(failing.statuses.back().startsWith("Transformation stopped: ")) << failing.statuses.back().toStdString();
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), 1);
}

TEST_F(TransformationRunTest, VouchersCheckedWhenTheRunStartsAreCopiedWhateverTheListBecomesMeanwhile)
{
    prepare(101, 101);
    // The operator unchecks every voucher while the window handles events during the first copy.
    struct Unchecking : support::RecordingReporter {
        support::VectorListControl* list = nullptr;
        void processEvents() override
        {
            for (auto& entry : list->entries)
                entry.checked = false;
        }
    } meanwhile;
    meanwhile.list = &transactions;
    TransformationRun byHand{connections, meanwhile, prompter};
    const RunOutcome outcome = byHand.run(transform::RunControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions}, settings);
    EXPECT_EQ(outcome.copied, transactions.count());
    for (int i = 0; i < transactions.count(); ++i)
        EXPECT_GT(copyOf(transactions.itemData(i)), 0) << transactions.text(i).toStdString();
}
