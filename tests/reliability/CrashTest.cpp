// Kills an operation at random points (SIGKILL) and checks what it leaves behind: whole tables,
// whole vouchers with their items and mark, sound database files, and a second run that ends
// exactly where an uninterrupted run ends.
#include "CrashCases.h"
#include "ReadOnlyFile.h"

#include "ScriptedPrompter.h"
#include "TempServers.h"

#include "connection/LinkedServer.h"
#include "tools/simulator/ActivitySimulator.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>

using reliability::CrashCases;
using reliability::ReadOnlyFile;
using support::TempServers;

namespace {

constexpr int killsPerCase = 18;

// Rows of each table, every value written by sqlite's quote() (blobs as hex, so nothing is
// hidden by a text conversion), sorted so that the order of insertion does not matter.
using Snapshot = std::map<QString, QStringList>;

QString branchFile(const QString& folder) { return folder + QStringLiteral("/servers/BR/SUB01.sqlite"); }
QString headFile(const QString& folder) { return folder + QStringLiteral("/servers/HO/MAIN01.sqlite"); }

// The rows of `tables`, reading only the columns each table had in `columnsFrom` (a schema change
// that adds a column does not make a table look replaced).
Snapshot snapshot(const QString& file, const QStringList& tables, const std::map<QString, QStringList>& columns)
{
    ReadOnlyFile db(file);
    Snapshot shot;
    for (const QString& table : tables) {
        QStringList quoted;
        for (const QString& column : columns.at(table))
            quoted << QStringLiteral("quote(\"%1\")").arg(column);
        QStringList rows = db.rows(QStringLiteral("select %1 from \"%2\"").arg(quoted.join(QLatin1Char(',')), table));
        rows.sort();
        shot[table] = rows;
    }
    return shot;
}

void copyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String("-shm")))
            continue;
        const QString target = to + path.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(path, target);
    }
}

struct WorkerRun {
    bool killed = false;
    int exitCode = -1;
    QString errors;
    qint64 millisAfterReady = 0;
};

// Runs the worker; kills it `killAfterMs` after it said "ready" (never when negative).
WorkerRun runWorker(const QString& operation, const QString& folder, int killAfterMs = -1)
{
    QProcess process;
    process.start(QStringLiteral(CRASH_WORKER), {operation, folder});
    WorkerRun run;
    if (!process.waitForStarted(10000) || !process.waitForReadyRead(20000)) {
        ADD_FAILURE() << "worker did not start: " << process.readAllStandardError().toStdString();
        return run;
    }
    QElapsedTimer clock;
    clock.start();
    if (killAfterMs >= 0 && !process.waitForFinished(killAfterMs)) {
        process.kill();
        process.waitForFinished(10000);
        run.killed = true;
        return run;
    }
    process.waitForFinished(60000);
    run.millisAfterReady = clock.elapsed();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QString integrity(const QString& file)
{
    ReadOnlyFile db(file);
    return db.rows(QStringLiteral("PRAGMA integrity_check")).join(QLatin1Char(' '));
}

class CrashTest : public ::testing::Test {
protected:
    using Check = std::function<void(const QString& folder, const Snapshot&, QStringList& problems)>;
    QTemporaryDir pristine;
    std::map<QString, QStringList> columns;
    Snapshot before;
    Snapshot after;
    QStringList tables;
    int maxBranchInvId = 0;

    // A demo prepared for every operation (linked server, voucher mark columns), copied so that
    // each kill starts from the same files.
    // `headOfficeChanges` more changes are made at the head office first.
    void prepare(const QString& operation, const QStringList& checked, int headOfficeChanges = 0)
    {
        tables = checked;
        {
            TempServers servers;
            support::ScriptedPrompter prompter;
            ASSERT_TRUE(connection::LinkedServer::configure(servers.branch(), QStringLiteral("embedded:HO"), prompter));
            servers.addVoucherMarks();
            tools::ActivitySimulator simulator(servers.headOffice(), QDate::currentDate(), 5);
            for (int i = 0; i < headOfficeChanges; ++i)
                simulator.step();
            servers.branch().close();
            servers.headOffice().close();
            copyFolder(servers.folder(), pristine.path());
        }
        ReadOnlyFile db(branchFile(pristine.path()));
        for (const QString& table : tables)
            columns[table] = db.columns(table);
        maxBranchInvId = db.rows(QStringLiteral("select max(InvID) from tblSales")).value(0).toInt();
        before = snapshot(branchFile(pristine.path()), tables, columns);

        // Two uninterrupted runs: the end state, and the shorter time as the span to kill in.
        m_runMillis = 1000000;
        for (int run = 0; run < 2; ++run) {
            QTemporaryDir reference;
            copyFolder(pristine.path(), reference.path());
            const WorkerRun full = runWorker(operation, reference.path());
            ASSERT_EQ(full.exitCode, 0) << full.errors.toStdString();
            after = snapshot(branchFile(reference.path()), tables, columns);
            m_runMillis = std::max<qint64>(std::min(m_runMillis, full.millisAfterReady), 20);
        }
        ASSERT_NE(before, after) << "the operation changes nothing to check";
        std::printf("[ crash    ] %s: uninterrupted run %lld ms after connecting\n", qPrintable(operation),
                    static_cast<long long>(m_runMillis));
    }

    // Kills the operation at random points; `check` adds what is wrong with each leftover to
    // `problems`. Prints the kills survived.
    void killRepeatedly(const QString& operation, unsigned seed, const Check& check)
    {
        std::mt19937 random(seed);
        int kills = 0;
        int survived = 0;
        for (int attempt = 0; attempt < 2 * killsPerCase && kills < killsPerCase; ++attempt) {
            QTemporaryDir work;
            copyFolder(pristine.path(), work.path());
            // Kill within the shortest run seen so far: a loaded machine makes some runs slower.
            const int wait = std::uniform_int_distribution<int>(0, static_cast<int>(m_runMillis * 9 / 10))(random);
            const WorkerRun run = runWorker(operation, work.path(), wait);
            if (!run.killed) {
                m_runMillis = std::max<qint64>(std::min(m_runMillis, run.millisAfterReady), 10);
                continue;
            }
            ++kills;
            const QStringList problems = leftoverProblems(operation, work.path(), check);
            if (problems.isEmpty())
                ++survived;
            else
                ADD_FAILURE() << "kill after " << wait << " ms: " << problems.join(QStringLiteral("; ")).toStdString();
        }
        std::printf("[ crash    ] %s: %d of %d kills survived (seed %u)\n", qPrintable(operation), survived, kills, seed);
        // Runs that end before their kill only shorten the span the next kill is drawn from; the
        // case says nothing unless some run was killed.
        EXPECT_GT(kills, 0) << "every run ended before its kill";
    }

    // What is wrong with the files an interrupted run left in `folder`: unsound files, what `check`
    // finds, and a second run that fails or ends unlike an uninterrupted one.
    QStringList leftoverProblems(const QString& operation, const QString& folder, const Check& check)
    {
        QStringList problems;
        for (const QString& file : {branchFile(folder), headFile(folder)})
            if (const QString result = integrity(file); result != QLatin1String("ok"))
                problems << file + QStringLiteral(": ") + result;
        check(folder, snapshot(branchFile(folder), tables, columns), problems);
        const WorkerRun again = runWorker(operation, folder);
        if (again.exitCode != 0)
            problems << QStringLiteral("second run failed: ") + again.errors;
        const Snapshot final = snapshot(branchFile(folder), tables, columns);
        for (const QString& table : tables)
            if (final.at(table) != after.at(table))
                problems << QStringLiteral("second run left %1 unlike an uninterrupted run").arg(table);
        return problems;
    }

public: // checks the cases hand on by their address
    // Every copied voucher has its mark and all its items; no item lacks its voucher; no voucher
    // was copied twice.
    void wholeVouchers(const QString& folder, const Snapshot&, QStringList& problems)
    {
        ReadOnlyFile head(headFile(folder));
        std::map<QString, QString> sourceItems;
        for (const QString& row : head.rows(QStringLiteral("select InvID, count(*) from tblSalesItem group by InvID")))
            sourceItems[row.section('|', 0, 0)] = row.section('|', 1, 1);
        ReadOnlyFile branch(branchFile(folder));
        const QString copied = QStringLiteral(" from tblSales where InvID > %1").arg(maxBranchInvId);
        for (const QString& row : branch.rows("select InvID, ifnull(SyncStat, 'none'), cast(ServInvID as integer), "
                                              "(select count(*) from tblSalesItem i where i.InvID = tblSales.InvID)" + copied)) {
            const QStringList v = row.split('|');
            if (v[1] != QLatin1String("1"))
                problems << QStringLiteral("voucher %1 has no mark").arg(v[0]);
            if (v[3] != sourceItems[v[2]])
                problems << QStringLiteral("voucher %1 has %2 of %3 items").arg(v[0], v[3], sourceItems[v[2]]);
        }
        if (branch.rows("select count(*) from tblSalesItem where InvID > " + QString::number(maxBranchInvId)
                        + " and InvID not in (select InvID from tblSales)")
            != QStringList{QStringLiteral("0")})
            problems << QStringLiteral("items without their voucher");
        if (branch.rows("select count(*) - count(distinct ServInvID)" + copied) != QStringList{QStringLiteral("0")})
            problems << QStringLiteral("a voucher copied twice");
    }

    // Each table holds all its old rows or all its new rows.
    void wholeTables(const QString&, const Snapshot& left, QStringList& problems)
    {
        for (const QString& table : tables)
            if (left.at(table) != before.at(table) && left.at(table) != after.at(table))
                problems << table + QStringLiteral(" is half replaced");
    }

private:
    qint64 m_runMillis = 100;
};

} // namespace

TEST_F(CrashTest, KilledBulkFullSyncLeavesEachTableWholeAndASecondRunFinishesIt)
{
    prepare(QStringLiteral("bulk"), CrashCases::masterTables());
    killRepeatedly(QStringLiteral("bulk"), 71, std::bind_front(&CrashTest::wholeTables, this));
}

TEST_F(CrashTest, KilledFullSyncLeavesEachTableWholeAndASecondRunFinishesIt)
{
    prepare(QStringLiteral("fullsync"), CrashCases::masterTables());
    killRepeatedly(QStringLiteral("fullsync"), 72, std::bind_front(&CrashTest::wholeTables, this));
}

TEST_F(CrashTest, KilledVoucherCopyNeverLeavesAVoucherWithoutItemsOrMark)
{
    prepare(QStringLiteral("vouchers"), {QStringLiteral("tblSales"), QStringLiteral("tblSalesItem")});
    killRepeatedly(QStringLiteral("vouchers"), 73, std::bind_front(&CrashTest::wholeVouchers, this));
}

TEST_F(CrashTest, KilledMasterReplayLosesNoRowAndItsMarkStaysReadable)
{
    prepare(QStringLiteral("replay"), CrashCases::masterTables(), 40);
    killRepeatedly(QStringLiteral("replay"), 74, [this](const QString& folder, const Snapshot& left, QStringList& problems) {
        // A row deleted and copied again inside one transaction is never found missing.
        auto keys = [](const QStringList& rows) {
            std::set<QString> out;
            for (const QString& row : rows)
                out.insert(row.section('|', 0, 0));
            return out;
        };
        for (const QString& table : tables) {
            const std::set<QString> now = keys(left.at(table));
            const std::set<QString> last = keys(after.at(table));
            for (const QString& key : keys(before.at(table)))
                if (last.count(key) && !now.count(key))
                    problems << QStringLiteral("%1 lost key %2").arg(table, key);
        }
        QFile loop(folder + QStringLiteral("/Resources/AppsettingsLoop.ini"));
        if (!loop.open(QIODevice::ReadOnly)
            || !QString::fromUtf8(loop.readAll()).contains(QRegularExpression(QStringLiteral("MaxActivityID=\\d+"))))
            problems << QStringLiteral("the mark file lost its mark");
    });
}
