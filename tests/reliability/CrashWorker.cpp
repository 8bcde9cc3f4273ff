// Runs one operation to completion against the embedded demo servers of a program folder, so
// that the reliability tests can kill it at any point. Usage: CrashWorker CASE FOLDER, where CASE
// is bulk, fullsync, vouchers or replay. Prints "ready" once connected and "done" at the end.
#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "VectorControls.h"

#include "tools/demo/DemoBuilder.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "masters/FullSync.h"
#include "replication/TransactionCopier.h"
#include "report/IniSetting.h"
#include "upload/MasterUpload.h"

#include "CrashCases.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<db::Connection> open(const QString& folder, const QString& dataSource, const QString& catalog)
{
    auto connection = std::make_unique<db::Connection>(db::ConnectionContext{folder});
    connection->open(tools::DemoBuilder::connectionText(dataSource, catalog));
    return connection;
}

// Vouchers already carrying their source key are passed over, as the transformation run does,
// so that a second run copies only what the first did not commit.
int copyVouchers(db::Connection& head, db::Connection& branch, support::RecordingReporter& reporter)
{
    replication::TransactionCopier copier(head, branch, reporter);
    db::Recordset sources = head.openRecordset(reliability::CrashCases::voucherSourceQuery());
    QList<qlonglong> keys;
    while (!sources.eof()) {
        keys << sources.field(0).value().toLongLong();
        sources.moveNext();
    }
    for (const qlonglong key : keys) {
        db::Recordset done = branch.openRecordset(QStringLiteral("select count(*) from tblSales where ServInvID=%1").arg(key));
        if (done.field(0).value().toLongLong() > 0)
            continue;
        replication::VoucherCopy copy;
        copy.masterTable = QStringLiteral("tblSales");
        copy.masterCondition = QStringLiteral("InvID=%1").arg(key);
        copy.keyColumn = QStringLiteral("InvID");
        copy.detailTable = QStringLiteral("tblSalesItem");
        copy.detailSource = QStringLiteral("tblSalesItem");
        copy.skippedColumn = QStringLiteral("SyncStat");
        const replication::VoucherOutcome outcome = copier.copy(copy);
        if (outcome.committed != 1) {
            std::fprintf(stderr, "voucher %lld: not committed\n", key);
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: CrashWorker bulk|fullsync|vouchers|replay FOLDER\n");
        return 2;
    }
    const QString which = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    try {
        auto head = open(folder, tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany());
        auto branch = open(folder, tools::DemoBuilder::branchDataSource(), tools::DemoBuilder::branchCompany());
        std::printf("ready\n");
        std::fflush(stdout);
        int result = 0;
        if (which == QLatin1String("bulk") || which == QLatin1String("fullsync")) {
            // Master Synchronisation with "bulk" checked or not.
            const bool bulk = which == QLatin1String("bulk");
            support::VectorListControl list;
            masters::FullSync::Setup setup{QStringLiteral("embedded:HO"), tools::DemoBuilder::mainCompany(), [bulk] { return bulk; }, [] {}, {}};
            masters::FullSync(*branch, *head, reporter, prompter, list, setup).run();
            result = reporter.balloons.empty() ? 0 : 1;
        } else if (which == QLatin1String("vouchers")) {
            result = copyVouchers(*head, *branch, reporter);
        } else if (which == QLatin1String("replay")) {
            const QString loop = QDir(folder).filePath(QStringLiteral("Resources/AppsettingsLoop.ini"));
            const qint32 mark = report::IniSetting::read(loop, QStringLiteral("MaxActivityID"), QStringLiteral("0")).toInt();
            upload::MasterUpload(*head, *branch, reporter, loop).uploadMasters(mark);
        } else {
            std::fprintf(stderr, "unknown operation\n");
            return 2;
        }
        for (const auto& balloon : reporter.balloons)
            std::fprintf(stderr, "notice: %s\n", qPrintable(balloon));
        std::printf("done\n");
        return result;
    } catch (const db::DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
