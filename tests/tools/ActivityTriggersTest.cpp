#include "TempServers.h"

#include "tools/demo/ActivityTriggers.h"

#include "text/DateText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using support::TempServers;

// The head office's change capture: one tblActivity row per changing statement, as the ERP writes it.
// The demo is shared; every case changes rows of its own and looks only at the rows it caused.
class ActivityTriggersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { demo = new TempServers(); }
    static void TearDownTestSuite()
    {
        delete demo;
        demo = nullptr;
    }

    void SetUp() override { m_lastId = maxId(); }

    static int maxId() { return TempServers::scalar(demo->headOffice(), QStringLiteral("select isnull(max(ID), 0) from tblActivity")).toInt(); }
    int newRows() const
    {
        return TempServers::scalar(demo->headOffice(), QStringLiteral("select count(*) from tblActivity where ID > %1").arg(m_lastId)).toInt();
    }
    // ID|TableName|tblUniqueID|Action|Active|ParentId|VchTypeid|tblUniqueRefID of the rows this case caused.
    QString newActivity() const
    {
        return TempServers::rows(demo->headOffice(),
                                 QStringLiteral("select ID - %1, TableName, tblUniqueID, Action, Active, ParentId, VchTypeid, tblUniqueRefID "
                                                "from tblActivity where ID > %1 order by ID")
                                     .arg(m_lastId));
    }
    static db::Connection& head() { return demo->headOffice(); }

    static TempServers* demo;
    int m_lastId = 0;
};

TempServers* ActivityTriggersTest::demo = nullptr;

TEST_F(ActivityTriggersTest, InsertWritesOneRowWithTheKeyTodayAndTheServersTimeText)
{
    // The triggers read the server's clock: the day is the one before or after the insert.
    const QDate before = QDate::currentDate();
    head().execute(QStringLiteral("insert into tblArea (AreaID, Area) values (501, 'Vadakara')"));
    const QDate after = QDate::currentDate();
    EXPECT_EQ(newActivity().toStdString(), "1|tblArea|501|Insert|1|0|0|NULL");
    db::Recordset row = head().openRecordset(QStringLiteral("select DateofAction, ActionTime from tblActivity where ID = %1").arg(m_lastId + 1));
    ASSERT_FALSE(row.eof());
    const QDate day = row.field(0).value().toDateTime().date();
    EXPECT_TRUE(day == before || day == after) << row.field(0).text().toStdString();
    EXPECT_EQ(row.field(0).value().toDateTime().time(), QTime(0, 0));
    // convert(char(50), getdate()): "Dec  5 2026 10:30AM" padded to 50 characters.
    const QString actionTime = row.field(1).text();
    EXPECT_EQ(actionTime.size(), 50);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [ 1][0-9]:[0-5][0-9][AP]M +$")).match(actionTime).hasMatch())
        << actionTime.toStdString();
    EXPECT_TRUE(actionTime.startsWith(text::DateText::monthAbbreviation(day)));
}

TEST_F(ActivityTriggersTest, StatementChangingManyRowsWritesOneRowAndTheBranchNone)
{
    EXPECT_EQ(head().execute(QStringLiteral("update tblItemMaster set ReorderLevel = 5 where ItemID between 4 and 9")), 6);
    ASSERT_EQ(newRows(), 1);
    const int key = TempServers::scalar(head(), QStringLiteral("select tblUniqueID from tblActivity where ID = %1").arg(m_lastId + 1)).toInt();
    EXPECT_GE(key, 4);
    EXPECT_LE(key, 9);
    EXPECT_EQ(TempServers::rows(head(), QStringLiteral("select TableName, Action from tblActivity where ID > %1").arg(m_lastId)).toStdString(),
              "tblItemMaster|Update");

    head().execute(QStringLiteral("insert into tblArea (AreaID, Area) select AreaID + 600, Area from tblArea where AreaID <= 3"));
    EXPECT_EQ(newRows(), 2);

    // The branch records nothing.
    db::Connection& branch = demo->branch();
    branch.execute(QStringLiteral("update tblLedger set CreditDays = 10 where LID = 1"));
    branch.execute(QStringLiteral("insert into tblArea (AreaID, Area) values (530, 'Branch Only')"));
    EXPECT_EQ(TempServers::scalar(branch, QStringLiteral("select count(*) from tblActivity")).toInt(), 0);
    EXPECT_EQ(newRows(), 2);
}

// Statements of one case and the activity rows they leave: ID|TableName|tblUniqueID|Action|Active|ParentId|VchTypeid|tblUniqueRefID.
TEST_F(ActivityTriggersTest, EachChangeRecordsItsKeyActionAndReference)
{
    struct Case {
        const char* what;
        QStringList statements;
        const char* activity;
    };
    const Case cases[] = {
        {"statements changing no row write nothing",
         {"update tblLedger set CreditDays = 45 where LID = -1", "delete from tblSales where InvID = -1"}, ""},
        {"a deleted master row carries reference 0",
         {"insert into tblAgent (AgentID, AgentName) values (520, 'Short Lived')", "delete from tblAgent where AgentID = 520"},
         "1|tblAgent|520|Insert|1|0|0|NULL\n2|tblAgent|520|Deleted|1|0|0|0"},
        {"a deleted transaction carries its ServInvID and its voucher type's parent",
         {"insert into tblSales (InvID, InvNo, InvDate, VchTypeID, Party, BillAmt, cancelled) values (9001, 'P1/9001', '2026-03-01', 181, 'Cash', 120.50, 0)",
          "update tblSales set SyncStat = 1, ServInvID = 777 where InvID = 9001", "delete from tblSales where InvID = 9001"},
         "1|tblSales|9001|Insert|1|18|181|NULL\n2|tblSales|9001|Update|1|18|181|NULL\n3|tblSales|9001|Deleted|1|18|181|777"},
        {"a deleted transaction never sent has no reference",
         {"insert into tblPurchase (InvID, InvNo, InvDate, VchTypeID, Party, BillAmt) values (9002, 'LP/9002', '2026-03-01', 201, 'Supplier', 10)",
          "delete from tblPurchase where InvID = 9002"},
         "1|tblPurchase|9002|Insert|1|2|201|NULL\n2|tblPurchase|9002|Deleted|1|2|201|NULL"},
        {"ids rise by one per statement of a captured table; other tables write nothing",
         {"update tblTaxClass set CessPer = 0 where TaxClassID = 1", "update tblUnit set DecimalPlaces = 0 where UnitID = 1",
          "update tblNotes set Narration = 'Checked' where VchID = 1"},
         "1|tblTaxClass|1|Update|1|0|0|NULL\n2|tblNotes|1|Update|1|6|6|NULL"},
        {"an update records the new key, a delete the deleted one",
         {"insert into tblArea (AreaID, Area) values (540, 'Renumbered')", "update tblArea set AreaID = 541 where AreaID = 540",
          "delete from tblArea where AreaID = 541"},
         "1|tblArea|540|Insert|1|0|0|NULL\n2|tblArea|541|Update|1|0|0|NULL\n3|tblArea|541|Deleted|1|0|0|0"},
    };
    for (const Case& c : cases) {
        m_lastId = maxId();
        for (const QString& statement : c.statements)
            head().execute(statement);
        EXPECT_EQ(newActivity().toStdString(), c.activity) << c.what;
    }
}
