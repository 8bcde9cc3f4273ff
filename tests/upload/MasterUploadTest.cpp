// Replaying the head office's master changes into the branch: the key column table, delete and
// copy again in one transaction, deletions, the mark in AppsettingsLoop.ini and in memory.
#include "RecordingReporter.h"
#include "TempServers.h"

#include "db/embedded/EmbeddedServer.h"
#include "report/IniSetting.h"
#include "report/TextFile.h"
#include "report/Unattended.h"
#include "tools/demo/ActivityTriggers.h"
#include "upload/MasterUpload.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

#include <gtest/gtest.h>

using support::TempServers;
using upload::MasterUpload;

namespace {

class MasterUploadTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    QString loopFile = QDir(servers.folder()).filePath(QStringLiteral("Resources/AppsettingsLoop.ini"));
    upload::ReplayMemory memory;
    report::Unattended unattended{reporter};
    QDateTime clock = QDateTime::currentDateTimeUtc();

    db::Connection& head() { return servers.headOffice(); }
    db::Connection& branch() { return servers.branch(); }

    qint32 upload(qint32 mark)
    {
        // One memory and one unattended reporter across runs, as the timer keeps them across its ticks.
        unattended.beginRound();
        MasterUpload run(head(), branch(), unattended, loopFile, &memory);
        run.setClock([this] { return clock; });
        const qint32 reached = run.uploadMasters(mark);
        unattended.endRound();
        return reached;
    }
    std::vector<upload::ActivityGap> gaps() { return MasterUpload(head(), branch(), reporter, loopFile).gaps(); }
    // A real change at the head office whose activity row gets `id`, as a writer that drew `id`
    // and committed after others would have it.
    void lateChange(const QString& sql, int id)
    {
        head().execute(sql);
        head().execute(QStringLiteral("update tblActivity set ID = %1 where ID = (select max(ID) from tblActivity)").arg(id));
    }
    void expectBranchEqual(const QString& query)
    {
        EXPECT_EQ(TempServers::rows(branch(), query).toStdString(), TempServers::rows(head(), query).toStdString()) << query.toStdString();
    }
    int lastActivity() { return TempServers::scalar(head(), QStringLiteral("select isnull(max(ID), 0) from tblActivity")).toInt(); }
    QString markInFile() { return report::IniSetting::read(loopFile, QStringLiteral("MaxActivityID"), QStringLiteral("missing")); }
    // An activity row written by hand, as a trigger of another spelling or table would write it.
    void addActivity(int id, const QString& table, int key, const QString& action, int parentId = 0)
    {
        head().execute(QStringLiteral("insert into tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId, VchTypeid) "
                                      "values (%1, '%2', %3, '%4', 1, '2026-12-05', %5, 0)")
                           .arg(id)
                           .arg(table)
                           .arg(key)
                           .arg(action)
                           .arg(parentId));
    }
    // The columns the demo fills (the row copy writes an empty text for a NULL).
    static QString ledger(db::Connection& c, int lid)
    {
        return TempServers::rows(c, QStringLiteral("select LID, LName, LAliasName, AccountGroupID, CreditDays, CreatedDate "
                                                   "from tblLedger where LID = %1")
                                        .arg(lid));
    }
};

} // namespace

TEST_F(MasterUploadTest, DemoChangesAreCopiedAgainAndTheMarkIsKeptInFileAndMemory)
{
    // The demo's recent changes: three items' prices, a new ledger, a renamed category.
    const int last = lastActivity();
    ASSERT_EQ(last, 3);
    const int newLedger = TempServers::scalar(head(), QStringLiteral("select tblUniqueID from tblActivity where TableName = 'tblLedger'")).toInt();
    ASSERT_TRUE(ledger(branch(), newLedger).isEmpty());

    EXPECT_EQ(upload(0), 3);

    EXPECT_EQ(ledger(branch(), newLedger).toStdString(), ledger(head(), newLedger).toStdString());
    EXPECT_EQ(TempServers::rows(branch(), "select Category from tblCategories where CategoryID = 1").toStdString(), "Groceries & Staples");
    const int item = TempServers::scalar(head(), QStringLiteral("select tblUniqueID from tblActivity where TableName = 'tblItemMaster'")).toInt();
    const QString itemRow = QStringLiteral("select ItemID, ItemName, SRate, MRP from tblItemMaster where ItemID = %1").arg(item);
    EXPECT_EQ(TempServers::rows(branch(), itemRow).toStdString(), TempServers::rows(head(), itemRow).toStdString());
    EXPECT_EQ(markInFile().toStdString(), "3");
    EXPECT_EQ(reporter.progresses.back().toStdString(), "Update Masters Over");

    // Nothing above the mark: nothing is sent and the mark stays.
    reporter.clear();
    EXPECT_EQ(upload(3), 3);
    EXPECT_TRUE(std::none_of(reporter.logs.begin(), reporter.logs.end(), [](const auto& entry) { return entry.text.startsWith("Insert into"); }));
}

// Every captured master table is replayed by its own key: a change at the head office brings
// back the row the branch had lost, a deletion removes it.
TEST_F(MasterUploadTest, EveryReplayedMasterIsCopiedAgainByItsKeyAndADeletedOneIsDeleted)
{
    const int mark = lastActivity();
    std::vector<std::pair<QString, QString>> changed; // table, key condition
    for (const tools::CapturedTable& table : tools::ActivityTriggers::capturedTables()) {
        const auto key = MasterUpload::keyColumn(table.tableName);
        if (table.kind != tools::CapturedTable::Kind::Master || !key || key->passedOver)
            continue;
        const QString where = QStringLiteral("%1 = %2").arg(key->column, TempServers::rows(head(), "select min(" + key->column + ") from " + table.tableName));
        branch().execute("delete from " + table.tableName + " where " + where);
        head().execute(QStringLiteral("update %1 set %2 = %2 where %3").arg(table.tableName, key->column, where));
        changed.emplace_back(table.tableName, where);
    }
    ASSERT_EQ(changed.size(), 12u);
    // An agent inserted and deleted again: the insert finds no row to copy, the delete removes the branch's.
    head().execute("insert into tblAgent (AgentID, AgentName) values (77, 'Gone Soon')");
    head().execute("delete from tblAgent where AgentID = 77");
    branch().execute("insert into tblAgent (AgentID, AgentName) values (77, 'Gone Soon')");
    EXPECT_EQ(upload(mark), mark + 14);
    for (const auto& [table, where] : changed)
        EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from " + table + " where " + where).toInt(), 1) << table.toStdString();
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblAgent where AgentID = 77").toInt(), 0);
}

TEST_F(MasterUploadTest, FailingChangeHoldsTheMarkThenIsSetAsideAndAppliedOnceTheCauseIsGone)
{
    const int mark = lastActivity();
    head().execute("update tblLedger set CreditDays = 12 where LID = 3");   // mark + 1: refused below
    head().execute("update tblArea set Area = 'North' where AreaID = 1"); // mark + 2: goes through
    const QString before = ledger(branch(), 3);
    ASSERT_FALSE(before.isEmpty());
    // A branch that refuses the new ledger row: the copy fails after the delete.
    db::embedded::EmbeddedServer branchServer(db::embedded::EmbeddedServer::folderFor("embedded:BR", servers.folder()));
    branchServer.executeNative("SUB01", "CREATE TRIGGER refuseLedger BEFORE INSERT ON tblLedger BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QString area = QStringLiteral("select Area from tblArea where AreaID = 1");
    report::IniSetting::write(loopFile, "MaxActivityID", QString::number(mark));

    // Two runs: the failing row holds the mark, the area after it is applied all the same.
    for (int run = 1; run <= 2; ++run) {
        EXPECT_EQ(upload(mark), mark) << run;
        EXPECT_EQ(ledger(branch(), 3).toStdString(), before.toStdString());
        EXPECT_EQ(TempServers::rows(branch(), area).toStdString(), "North");
        EXPECT_FALSE(branch().inTransaction());
        EXPECT_EQ(markInFile().toStdString(), std::to_string(mark));
    }
    EXPECT_EQ(report::IniSetting::read(loopFile, "MasterRetries", "").toStdString(), std::to_string(mark + 1) + "|2;");

    // The third failure sets it aside, with table, key and reason, and lets the mark go on.
    EXPECT_EQ(upload(mark), mark + 2);
    EXPECT_EQ(markInFile().toStdString(), std::to_string(mark + 2));
    const std::vector<MasterUpload::SetAsideRow> aside = MasterUpload(head(), branch(), reporter, loopFile).setAside();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].activityId, mark + 1);
    EXPECT_EQ(aside[0].table.toStdString(), "tblLedger");
    EXPECT_EQ(aside[0].key, 3);
    EXPECT_TRUE(aside[0].reason.contains("refused")) << aside[0].reason.toStdString();
    const auto setAsideNotice = std::find_if(reporter.balloons.begin(), reporter.balloons.end(),
                                             [](const QString& b) { return b.contains("set aside"); });
    ASSERT_NE(setAsideNotice, reporter.balloons.end());
    EXPECT_TRUE(setAsideNotice->startsWith(QStringLiteral("Change %1 of tblLedger (key 3) set aside after 3 failed attempts: ").arg(mark + 1)))
        << setAsideNotice->toStdString();
    EXPECT_EQ(ledger(branch(), 3).toStdString(), before.toStdString());
    // The same refusal was shown once however many runs met it, and never as a box.
    EXPECT_EQ(std::count(reporter.balloons.begin(), reporter.balloons.end(), reporter.balloons.front()), 1);

    // Each later run that still fails counts one more try.
    EXPECT_EQ(aside[0].tries, 3);
    EXPECT_EQ(upload(mark + 2), mark + 2);
    EXPECT_EQ(MasterUpload(head(), branch(), reporter, loopFile).setAside().at(0).tries, 4);

    // Once the operator removes the cause, the next run applies it and forgets it.
    branchServer.executeNative("SUB01", "DROP TRIGGER refuseLedger");
    EXPECT_EQ(upload(mark + 2), mark + 2);
    EXPECT_EQ(ledger(branch(), 3).toStdString(), ledger(head(), 3).toStdString());
    EXPECT_TRUE(MasterUpload(head(), branch(), reporter, loopFile).setAside().empty());
}

TEST_F(MasterUploadTest, RefusedDeleteLeavesTheRowAndTheMarkForTheNextRun)
{
    const int mark = lastActivity();
    head().execute("delete from tblArea where AreaID = 1");
    head().execute("update tblLedger set CreditDays = 21 where LID = 2");
    db::embedded::EmbeddedServer branchServer(db::embedded::EmbeddedServer::folderFor("embedded:BR", servers.folder()));
    branchServer.executeNative("SUB01", "CREATE TRIGGER keepArea BEFORE DELETE ON tblArea BEGIN SELECT RAISE(ABORT, 'still used'); END");
    branchServer.executeNative("SUB01", "CREATE TRIGGER keepLedger BEFORE DELETE ON tblLedger BEGIN SELECT RAISE(ABORT, 'locked'); END");

    EXPECT_EQ(upload(mark), mark);
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblArea where AreaID = 1").toInt(), 1);
    // The update's delete was refused too: the old row stays whole, not deleted and not doubled.
    EXPECT_NE(TempServers::rows(branch(), "select CreditDays from tblLedger where LID = 2").toStdString(), "21");
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblLedger where LID = 2").toInt(), 1);
    EXPECT_EQ(markInFile().toStdString(), "0");

    branchServer.executeNative("SUB01", "DROP TRIGGER keepArea");
    branchServer.executeNative("SUB01", "DROP TRIGGER keepLedger");
    EXPECT_EQ(upload(mark), mark + 2);
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblArea where AreaID = 1").toInt(), 0);
    EXPECT_EQ(TempServers::rows(branch(), "select CreditDays from tblLedger where LID = 2").toStdString(), "21");
    EXPECT_TRUE(report::IniSetting::read(loopFile, "MasterRetries", "none").isEmpty());
}

TEST_F(MasterUploadTest, MarkBeyondAnyActivityIdOrAMissingActivityLogReplaysNothing)
{
    head().execute("update tblLedger set CreditDays = 33 where LID = 2");
    report::IniSetting::write(loopFile, "MaxActivityID", "99999999999");
    const QString before = ledger(branch(), 2);
    // Start-up read it as 0; the replay does not take that for a mark.
    EXPECT_EQ(upload(0), 0);
    EXPECT_EQ(ledger(branch(), 2), before);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_EQ(reporter.balloons[0], QStringLiteral("MaxActivityID=99999999999 in %1 is larger than any activity number; the master changes are not "
                                                   "replayed until it is corrected.")
                                        .arg(loopFile));
    EXPECT_EQ(markInFile().toStdString(), "99999999999");

    // A mark beyond the head office's log (restored from a backup): said once, with both numbers.
    report::IniSetting::write(loopFile, "MaxActivityID", "5000");
    reporter.clear();
    EXPECT_EQ(upload(5000), 5000);
    EXPECT_EQ(upload(5000), 5000);
    EXPECT_EQ(ledger(branch(), 2), before);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_EQ(reporter.balloons[0], QStringLiteral("The last head-office change replayed here is 5000 (MaxActivityID in %1), but head office's "
                                                   "activity log ends at %2: no master change is replayed until its log passes 5000. If head "
                                                   "office was restored from a backup or this branch now follows another head office, run "
                                                   "Master Synchronisation, then set MaxActivityID to %2 in %1.")
                                        .arg(loopFile)
                                        .arg(lastActivity()));

    // Without the activity log the run ends with a log entry, whether the table or the connection is gone.
    report::IniSetting::write(loopFile, "MaxActivityID", "0");
    head().execute("drop table tblActivity");
    for (int gone = 0; gone < 2; ++gone) {
        reporter.clear();
        EXPECT_EQ(upload(0), 0);
        ASSERT_EQ(reporter.logs.size(), 1u);
        EXPECT_EQ(reporter.logs[0].tag.toStdString(), "masters uploading Qry Failed");
        EXPECT_EQ(markInFile().toStdString(), "0");
        head().close();
    }
    EXPECT_EQ(ledger(branch(), 2), before);
}

TEST_F(MasterUploadTest, GodownIsPassedOverAndUnknownTablesAreExcludedButMoveTheMark)
{
    const int mark = lastActivity();
    const QString categories = QStringLiteral("select * from tblCategories order by CategoryID");
    const QString branchCategories = TempServers::rows(branch(), categories);
    addActivity(mark + 1, "tblcategories", 1, "Update");
    addActivity(mark + 2, "tblUnit", 1, "Deleted");
    addActivity(mark + 3, "tblGodown", 1, "Deleted");
    report::IniSetting::write(loopFile, "MaxActivityID", "0");

    // The godown row is the last one: the mark stops at the row before it.
    EXPECT_EQ(upload(mark), mark + 2);

    // Shown as notices, never as boxes: the replay runs unattended.
    ASSERT_EQ(reporter.balloons.size(), 2u);
    EXPECT_EQ(reporter.balloons[0].toStdString(), "tblcategories Excluded From Synch");
    EXPECT_EQ(reporter.balloons[1].toStdString(), "tblUnit Excluded From Synch");
    EXPECT_EQ(TempServers::rows(branch(), categories), branchCategories);
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblUnit where UnitID = 1").toInt(), 1);
    EXPECT_EQ(TempServers::scalar(branch(), "select count(*) from tblGodown where GodownID = 1").toInt(), 1);
    EXPECT_EQ(markInFile().toStdString(), std::to_string(mark + 2));
    // The next run reads the godown row again and passes over it again.
    reporter.clear();
    EXPECT_EQ(upload(mark + 2), mark + 2);
    EXPECT_TRUE(reporter.balloons.empty());
}

TEST_F(MasterUploadTest, EachRunReadsOnlyTheActivityThatCameSinceTheRunBefore)
{
    auto activityQueries = [this] {
        QStringList sent;
        for (const auto& entry : reporter.logs)
            if (entry.tag == QLatin1String("masters uploading Qry Opened") && entry.text.contains(QLatin1String("ORDER BY")))
                sent << entry.text;
        return sent;
    };
    const int mark = upload(0);
    for (int id = mark + 1; id <= mark + 40; ++id)
        addActivity(id, "tblSales", id, "Insert", 18);
    head().execute("update tblLedger set CreditDays = 9 where LID = 2");
    const int ledgerChange = lastActivity();
    ASSERT_EQ(ledgerChange, mark + 41);
    for (int id = ledgerChange + 1; id <= ledgerChange + 15; ++id)
        addActivity(id, "tblSales", id, "Insert", 18);

    reporter.clear();
    EXPECT_EQ(upload(mark), ledgerChange);
    EXPECT_EQ(TempServers::rows(branch(), "select CreditDays from tblLedger where LID = 2").toStdString(), "9");
    EXPECT_EQ(activityQueries(), QStringList{MasterUpload::activityQuery(mark)});

    // The mark stays at the ledger's change while the sales rows after it pile up; the next runs
    // start after the last row the run before saw, and still find a new master change.
    reporter.clear();
    EXPECT_EQ(upload(ledgerChange), ledgerChange);
    EXPECT_EQ(activityQueries(), QStringList{MasterUpload::activityQuery(ledgerChange + 15)});
    head().execute("update tblArea set Area = 'East' where AreaID = 1");
    reporter.clear();
    EXPECT_EQ(upload(ledgerChange), ledgerChange + 16);
    EXPECT_EQ(activityQueries(), QStringList{MasterUpload::activityQuery(ledgerChange + 15)});
    EXPECT_EQ(TempServers::rows(branch(), "select Area from tblArea where AreaID = 1").toStdString(), "East");
}


// Head office's writers draw activity ids as they insert but commit in any order, and a range
// read does not wait for a row not yet committed: a change that commits late lands below ids
// already read. Its id is kept as a gap and looked at again on every run until it appears.
TEST_F(MasterUploadTest, ChangeCommittedAfterAHigherOneIsReplayedAndAGapNeverFilledIsGivenUpAfterADay)
{
    const int mark = upload(0);
    lateChange("update tblArea set Area = 'North' where AreaID = 1", mark + 2);
    EXPECT_EQ(upload(mark), mark + 2);
    expectBranchEqual("select * from tblArea where AreaID = 1");
    ASSERT_EQ(gaps().size(), 1u);
    EXPECT_EQ(gaps()[0].first, mark + 1);
    EXPECT_EQ(gaps()[0].last, mark + 1);

    // The change that drew mark + 1 commits now; an id that never appears (rolled back) stays a gap.
    lateChange("update tblLedger set CreditDays = 44 where LID = 2", mark + 1);
    lateChange("update tblAgent set AgentName = 'Ravi K' where AgentID = 1", mark + 4);
    EXPECT_EQ(upload(mark + 2), mark + 4);
    EXPECT_EQ(ledger(branch(), 2).toStdString(), ledger(head(), 2).toStdString());
    expectBranchEqual("select * from tblAgent where AgentID = 1");
    ASSERT_EQ(gaps().size(), 1u);
    EXPECT_EQ(gaps()[0].first, mark + 3);

    // Looked at on every run for a day, then given up.
    clock = clock.addSecs(MasterUpload::gapLifetimeSeconds - 60);
    upload(mark + 4);
    EXPECT_EQ(gaps().size(), 1u);
    clock = clock.addSecs(120);
    upload(mark + 4);
    EXPECT_TRUE(gaps().empty());
}

TEST_F(MasterUploadTest, ChangeCommittedBelowTransactionRowsIsReplayedInTheSameSession)
{
    const int mark = upload(0);
    for (int id = mark + 2; id <= mark + 6; ++id)
        addActivity(id, "tblSales", id, "Insert", 18);
    EXPECT_EQ(upload(mark), mark);
    lateChange("update tblLedger set CreditDays = 17 where LID = 3", mark + 1);
    upload(mark);
    EXPECT_EQ(ledger(branch(), 3).toStdString(), ledger(head(), 3).toStdString());
    EXPECT_TRUE(gaps().empty());
}

TEST_F(MasterUploadTest, ChangeCommittedLateIsReplayedAfterALaterChangeAndARestart)
{
    const int mark = upload(0);
    for (int id = mark + 2; id <= mark + 6; ++id)
        addActivity(id, "tblSales", id, "Insert", 18);
    EXPECT_EQ(upload(mark), mark);
    head().execute("update tblArea set Area = 'East' where AreaID = 1");
    EXPECT_EQ(upload(mark), mark + 7);
    EXPECT_EQ(markInFile().toStdString(), std::to_string(mark + 7));

    // The program starts again: the mark is read from the file, the gap below it too.
    memory = upload::ReplayMemory();
    const int agent = TempServers::scalar(branch(), "select min(AgentID) from tblAgent").toInt();
    lateChange(QStringLiteral("delete from tblAgent where AgentID = %1").arg(agent), mark + 1);
    EXPECT_EQ(upload(mark + 7), mark + 7);
    EXPECT_EQ(TempServers::scalar(branch(), QStringLiteral("select count(*) from tblAgent where AgentID = %1").arg(agent)).toInt(), 0);
    expectBranchEqual("select * from tblArea where AreaID = 1");
    EXPECT_TRUE(gaps().empty());
}

// A change whose value the branch cannot store fails only that change, named with its table, key
// and column; the branch keeps its row, and an ordinary new item is replayed as any change.
TEST_F(MasterUploadTest, ValueTheBranchCannotStoreFailsOnlyItsChangeNamedWithTableKeyAndColumn)
{
    const int mark = upload(0);
    // The branch keeps fewer digits than head office: 6 before the point against 15.
    branch().execute("alter table tblItemMaster alter column ReorderLevel numeric(9,3)");
    const int item = TempServers::scalar(head(), "select min(ItemID) from tblItemMaster").toInt();
    const QString itemRow = QStringLiteral("select * from tblItemMaster where ItemID = %1").arg(item);
    const QString before = TempServers::rows(branch(), itemRow);
    head().execute(QStringLiteral("update tblItemMaster set ReorderLevel = 99999999 where ItemID = %1").arg(item));
    head().execute("insert into tblItemMaster (ItemID, ItemName) values (990001, 'Green Tea 250g')");

    upload(mark);
    EXPECT_EQ(TempServers::rows(branch(), itemRow), before);
    expectBranchEqual("select * from tblItemMaster where ItemID = 990001");
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].startsWith(QStringLiteral("tblItemMaster ItemID %1, column ReorderLevel (").arg(item)))
        << reporter.balloons[0].toStdString();
    EXPECT_FALSE(branch().inTransaction());
}
