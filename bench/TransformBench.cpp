// The transformation of 1,000 checked sales vouchers with 5 items each (new keys, item filter,
// type, tax and rate changes inside each voucher's transaction, user-log rows) against the same
// write statements sent directly to the engine, one transaction per voucher as the run sends them.
#include "BenchSupport.h"
#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "connection/UserLog.h"
#include "db/Connection.h"
#include "db/Transaction.h"
#include "text/DateText.h"
#include "replication/TransactionCopier.h"
#include "report/DailyLog.h"
#include "report/ListControl.h"
#include "report/Prompter.h"
#include "report/Reporter.h"
#include "tools/demo/DemoBuilder.h"
#include "transform/TransformationRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using bench::SilentPrompter;
using bench::seconds;

namespace {

constexpr int voucherCount = 1000;
constexpr int itemsPerVoucher = 5;
constexpr int firstKey = 500000;

/// Reports as the window does (two labels repainted, the daily log file) and keeps the insert
/// statements the copy logged, so that the direct run sends exactly the same texts.
class LabelReporter : public report::Reporter {
public:
    LabelReporter(QLabel& main, QLabel& line, report::DailyLog& log) : m_main(main), m_line(line), m_log(log) {}
    void status(const QString& text) override { m_main.setText(text); processEvents(); }
    void progress(const QString& text) override { m_line.setText(text); processEvents(); }
    void log(const QString& tag, const QString& text) override
    {
        m_log.write(tag, text);
        if (tag == QLatin1String("transaction insertion"))
            inserts.push_back({text});
        else if (tag == QLatin1String("transaction Detail insertion ") && !inserts.empty())
            inserts.back() << text;
    }
    void processEvents() override { QCoreApplication::processEvents(); }
    void progressRange(const QString&, qint64, qint64) override { processEvents(); }
    std::vector<QStringList> inserts; ///< per voucher: the master insert, then its detail inserts
    int balloons = 0;

protected:
    void showBalloon(const QString& text) override
    {
        ++balloons;
        std::printf("  balloon: %s\n", qPrintable(text.left(200)));
    }

private:
    QLabel& m_main;
    QLabel& m_line;
    report::DailyLog& m_log;
};

/// A checkable list held in a vector, as lstSource holds the listed vouchers.
class PlainList : public report::ListControl {
public:
    struct Entry {
        QString text;
        qlonglong data = 0;
        bool selected = false;
        bool checked = false;
    };
    int count() const override { return int(m_entries.size()); }
    void clear() override { m_entries.clear(); }
    void addItem(const QString& text, qlonglong itemData) override { m_entries.push_back({text, itemData}); }
    QString text(int i) const override { return m_entries[size_t(i)].text; }
    qlonglong itemData(int i) const override { return m_entries[size_t(i)].data; }
    bool isSelected(int i) const override { return m_entries[size_t(i)].selected; }
    void setSelected(int i, bool s) override { m_entries[size_t(i)].selected = s; }
    bool isChecked(int i) const override { return m_entries[size_t(i)].checked; }
    void setChecked(int i, bool c) override { m_entries[size_t(i)].checked = c; }
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int i) override { m_current = i; }
    bool isVisible() const override { return true; }
    void setVisible(bool) override {}

private:
    std::vector<Entry> m_entries;
    int m_current = -1;
};

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

} // namespace

int main(int argc, char* argv[])
{
    bench::runOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QDate day(2026, 12, 6);
    bench::buildSmallDemo(dir.path(), day);

    connection::ProgramSettings settings;
    settings.serverName = tools::DemoBuilder::branchDataSource();
    settings.syncServerName = tools::DemoBuilder::headOfficeDataSource();
    settings.destinationCompanyCode = tools::DemoBuilder::branchCompany();
    settings.sourceCompanyCode = tools::DemoBuilder::mainCompany();
    connection::CompanyConnections connections(db::ConnectionContext{dir.path()});
    connections.connectWebDatabase(settings);
    db::Connection& branch = connections.destination();
    db::Connection& headOffice = connections.source();
    for (const char* statement : {"Alter table TblSales Add SyncStat Numeric", "Alter table TblPurchase Add SyncStat Numeric",
                                  "Alter table TblSales Add ServInvID Numeric", "Alter table TblPurchase Add ServInvID Numeric"})
        branch.execute(QLatin1String(statement));
    QElapsedTimer timer;
    timer.start();
    addVouchers(headOffice, day);
    std::printf("%d vouchers with %d items each added in %.0f ms\n", voucherCount, itemsPerVoucher, double(timer.elapsed()));

    QLabel mainLine, progressLine;
    mainLine.show();
    progressLine.show();
    SilentPrompter prompter;
    report::DailyLog log(dir.path(), [] { return QDateTime::currentDateTime(); }, [day] { return day; }, [](const QString&) {});
    log.setCompany(settings.destinationCompanyCode);
    LabelReporter reporter(mainLine, progressLine, log);

    PlainList vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions;
    vchTypes.addItem(QStringLiteral("Counter Sales"), 101);
    vchTypes.setCurrentIndex(0);
    destinationVchTypes.addItem(QStringLiteral("Wholesale Sales"), 102);
    destinationVchTypes.setCurrentIndex(0);
    taxModes.addItem(QStringLiteral("GST"), 5);
    taxModes.setCurrentIndex(0);
    // Every category is chosen, so each voucher keeps its five items but the filter is still applied.
    for (db::Recordset rows = headOffice.openRecordset(QStringLiteral("select distinct CategoryID from tblItemMaster")); !rows.eof();
         rows.moveNext()) {
        categories.addItem(rows.field(0).text(), rows.field(0).value().toLongLong());
        categories.setSelected(categories.count() - 1, true);
    }
    for (int i = 0; i < voucherCount; ++i) {
        transactions.addItem(QStringLiteral("TB/%1 - Bench Customer %1-   Dec  6 2026 -      %2.5").arg(i).arg(100 + i % 5000), firstKey + i);
        transactions.setChecked(i, true);
    }
    transform::RunSettings runSettings;
    runSettings.purchaseRatePercent = 10;
    runSettings.salesRatePercent = 5;
    runSettings.mrpPercent = 2.5;
    runSettings.sourceCompany = settings.sourceCompanyCode;
    runSettings.destinationCompany = settings.destinationCompanyCode;
    // The list as Show Trans would have made it: a run copies only the vouchers of such a list.
    transform::Listing listing;
    listing.sourceCompany = settings.sourceCompanyCode;
    listing.vchType = 101;
    listing.vchTypeName = QStringLiteral("Counter Sales");
    listing.family = transform::VoucherFamily::Sales;
    listing.from = runSettings.from = day;
    listing.to = runSettings.to = day;
    runSettings.listing = &listing;

    transform::TransformationRun run(connections, reporter, prompter);
    const transform::RunControls controls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes, transactions};
    timer.restart();
    const transform::RunOutcome outcome = run.run(controls, runSettings);
    const double transformed = seconds(timer);
    const qlonglong items = branch.openRecordset(QStringLiteral("select count(*) from tblSalesItem where InvID in (select InvID from tblSales "
                                                                "where ServInvID is not null)"))
                                .field(0)
                                .value()
                                .toLongLong();
    std::printf("Transformation: %d vouchers copied (%lld items) in %.2f s, %.0f vouchers/s\n", outcome.copied, items, transformed,
                outcome.copied / transformed);

    // The same write statements, sent directly: inserts, mark, changes and user-log rows.
    std::vector<QStringList> perVoucher = reporter.inserts;
    const transform::Transformation how{101, 102, 5, 10, 5, 2.5};
    const QDateTime now = QDateTime::currentDateTime();
    db::Recordset keys = branch.openRecordset(QStringLiteral("select InvID, ServInvID from tblSales where ServInvID is not null order by InvID"));
    for (size_t v = 0; !keys.eof() && v < perVoucher.size(); keys.moveNext(), ++v) {
        const long long newKey = keys.field(0).value().toLongLong();
        const long long oldKey = keys.field(1).value().toLongLong();
        perVoucher[v] << replication::TransactionCopier::writeBack(QStringLiteral("tblSales"), QStringLiteral("InvID"), oldKey, newKey);
        perVoucher[v] << transform::TransformationRun::statements(transform::VoucherFamily::Sales, newKey, how);
    }
    removeCopies(branch);
    const int logRowsBefore = branch.openRecordset(QStringLiteral("select count(*) from tbluserlog")).field(0).value().toInt();
    timer.restart();
    for (size_t v = 0; v < perVoucher.size(); ++v) {
        db::Transaction transaction(branch);
        for (const QString& sql : perVoucher[v])
            branch.execute(sql);
        transaction.commit();
        connection::UserLogEntry row;
        row.action = QStringLiteral("Transation No ") + transactions.text(int(v)) + QStringLiteral(" transfered from MAIN01 to SUB01 in vchtype Wholesale Sales");
        const QString userLog = connection::UserLog::statement(row, now);
        branch.execute(userLog);
        headOffice.execute(userLog);
    }
    const double direct = seconds(timer);
    const int logRowsAfter = branch.openRecordset(QStringLiteral("select count(*) from tbluserlog")).field(0).value().toInt();
    std::printf("Same statements sent directly: %zu vouchers (%d user-log rows) in %.2f s, %.0f vouchers/s\n", perVoucher.size(),
                logRowsAfter - logRowsBefore, direct, perVoucher.size() / direct);
    const double ratio = (outcome.copied / transformed) / (perVoucher.size() / direct);
    std::printf("  the transformation reaches %.0f%% of the direct rate (target: at least 50%%)\n", 100.0 * ratio);
    std::printf("Boxes shown: %d, notifications: %d\n", prompter.boxes, reporter.balloons);
    return outcome.copied == voucherCount && ratio >= 0.5 ? 0 : 2;
}
