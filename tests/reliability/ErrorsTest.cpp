// A statement that fails at row k (a dropped stage, a removed file, a column the branch lacks):
// the operation says so, undoes what belongs together, and logs nothing undone as done.
#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include "masters/FullSync.h"
#include "replication/RowCopier.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using support::TempServers;

namespace {

// Runs `action` just before the operation sends its k-th statement logged under a tag starting
// with `tagStart`.
class TrippingReporter : public support::RecordingReporter {
public:
    void arm(const QString& tagStart, int k, std::function<void()> action)
    {
        m_tagStart = tagStart;
        m_left = k;
        m_action = std::move(action);
    }
    void log(const QString& tag, const QString& text) override
    {
        RecordingReporter::log(tag, text);
        if (m_action && tag.startsWith(m_tagStart) && text.startsWith(QLatin1String("Insert")) && --m_left == 0) {
            const std::function<void()> action = std::move(m_action);
            m_action = nullptr;
            action();
        }
    }

private:
    QString m_tagStart;
    int m_left = 0;
    std::function<void()> m_action;
};

class ErrorsTest : public ::testing::Test {
protected:
    TempServers servers;
    TrippingReporter reporter;
    support::ScriptedPrompter prompter;

    QString rows(db::Connection& c, const QString& sql) { return TempServers::rows(c, sql); }
};

// The full synchronisation copies row by row inside one transaction per table.
class SyncErrorsTest : public ErrorsTest {
protected:
    support::VectorListControl list;
    const QString ledgers = QStringLiteral("select * from tblLedger order by LID");

    void sync()
    {
        masters::FullSync::Setup setup{QStringLiteral("embedded:HO"), QStringLiteral("MAIN01"), [] { return false; }, [] {}, {}};
        masters::FullSync(servers.branch(), servers.headOffice(), reporter, prompter, list, setup).run();
    }
    // The log entries from the ledger copy on: rows logged as updated are followed by the
    // ledger's rollback.
    void expectLedgerRollbackLogged()
    {
        bool updated = false;
        bool rolledBack = false;
        for (const auto& entry : reporter.logs) {
            updated = updated || entry.text == QLatin1String("Updated Successfully");
            if (entry.tag == QLatin1String("Rolled Back") && entry.text == QLatin1String("tblLedger"))
                rolledBack = updated;
        }
        EXPECT_TRUE(rolledBack);
    }
};

} // namespace

TEST_F(SyncErrorsTest, StageDroppedAtRowFiveKeepsTheOldLedgersAndAMissingColumnIsNamed)
{
    const QString before = rows(servers.branch(), ledgers);
    reporter.arm(QStringLiteral("Insert Query"), 5,
                 [this] { servers.branch().execute(QStringLiteral("DROP TABLE #MirtaneStage_tblLedger")); });
    sync();

    EXPECT_EQ(rows(servers.branch(), ledgers), before);
    ASSERT_FALSE(reporter.balloons.empty());
    EXPECT_TRUE(reporter.balloons.front().contains(QLatin1String("tblLedger"))) << reporter.balloons.front().toStdString();
    expectLedgerRollbackLogged();
    // The other tables still follow the head office.
    EXPECT_EQ(rows(servers.branch(), QStringLiteral("select AreaID, Area from tblArea order by 1")),
              rows(servers.headOffice(), QStringLiteral("select AreaID, Area from tblArea order by 1")));
    // A bare "Invalid column name" would leave the operator guessing which table lacks it.
    servers.headOffice().execute(QStringLiteral("alter table tblArea add ExtraCol int"));
    const QString areas = rows(servers.branch(), QStringLiteral("select * from tblArea order by AreaID"));
    try {
        replication::RowCopier(servers.headOffice(), servers.branch(), reporter).copy(QStringLiteral("tblArea"));
        ADD_FAILURE() << "the copy went through";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.message().toStdString(), "Invalid column name 'ExtraCol'. (table tblArea)");
    }
    EXPECT_EQ(rows(servers.branch(), QStringLiteral("select * from tblArea order by AreaID")), areas);
}

TEST_F(SyncErrorsTest, BranchFileRemovedAtRowFiveStopsTheSyncWithoutSayingItIsOver)
{
    const QString file = servers.folder() + QStringLiteral("/servers/BR/SUB01.sqlite");
    reporter.arm(QStringLiteral("Insert Query"), 5, [&file] { QFile::remove(file); });
    sync();

    // The ledger's rows could not all be gathered once the file was gone: the run stopped there
    // instead of trying every other table after it.
    ASSERT_EQ(reporter.balloons.size(), 1u);
    for (const QString& balloon : reporter.balloons)
        EXPECT_TRUE(balloon.contains(QStringLiteral("Connection failure: the file %1 of database 'SUB01' was removed").arg(file)))
            << balloon.toStdString();
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), QStringLiteral("Upoading Over")), 0);
    EXPECT_TRUE(reporter.statuses.back().startsWith(QStringLiteral("Master Synchronisation stopped: Connection failure")))
        << reporter.statuses.back().toStdString();
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), QStringLiteral("Migrating Area ")), 0);
    try {
        servers.branch().execute(QStringLiteral("select 1"));
        ADD_FAILURE() << "a statement on the removed file went through";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.isConnectionFailure());
    }
}

