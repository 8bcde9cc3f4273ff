#include "ErrorOf.h"
#include "QtPrinters.h"
#include "TempServers.h"

#include "connection/LinkedServer.h"
#include "db/TypeCode.h"

#include <QDateTime>
#include <gtest/gtest.h>

using support::errorOf;
using support::TempServers;

// The program's own statements (the linked server's from the program itself, the others verbatim), on a branch (BR/SUB01) and a head office (HO/MAIN01).
class ProgramStatementsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        servers.createServer(QStringLiteral("embedded:HO"), {QStringLiteral("MAIN01")});
        servers.createServer(QStringLiteral("embedded:BR"), {QStringLiteral("SUB01")});
        source = servers.open(QStringLiteral("embedded:HO"), QStringLiteral("MAIN01"));
        destination = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("SUB01"));
        createCompanySchema(*source);
        createCompanySchema(*destination);
    }

    /// Makes the ERP tables that the program's statements name.
    static void createCompanySchema(db::Connection& connection)
    {
        static const char* const schema[] = {
            "CREATE TABLE [dbo].[tblSales] ([InvID] [int] NOT NULL PRIMARY KEY, [InvNo] [varchar](20) NULL, "
            "[Party] [varchar](100) NULL, [InvDate] [datetime] NULL, [BillAmt] [numeric](18, 2) NULL, [cancelled] [int] NULL, "
            "[VchtypeID] [int] NULL, [SortNumber] [int] NULL, [TaxType] varchar(20) NULL, [CCID] int NULL)",
            "CREATE TABLE tblSalesItem (ID int IDENTITY(1,1) PRIMARY KEY, InvID int NOT NULL, ItemID int, Qty numeric(18,3), "
            "rate numeric(18,2), Prate numeric(18,2), MRP numeric(18,2))",
            "CREATE TABLE tblPurchase (InvID int NOT NULL PRIMARY KEY, InvNo varchar(20), InvDate datetime, BillAmt numeric(18,2), "
            "VchtypeID int, TaxType varchar(20))",
            "CREATE TABLE tblPurchaseItem (InvID int NOT NULL, ItemID int, Prate numeric(18,2), Srate numeric(18,2), MRP numeric(18,2))",
            "CREATE TABLE tblItemMaster (ItemID int NOT NULL PRIMARY KEY, ItemName nvarchar(100), CategoryID int, PRoducttypeid int)",
            "CREATE TABLE tblCategories (CategoryID int NOT NULL PRIMARY KEY, category varchar(50))",
            "CREATE TABLE tblAgent (AgentID int NOT NULL PRIMARY KEY, AgentName varchar(50))",
            "CREATE TABLE tblArea (AreaID int NOT NULL PRIMARY KEY, Area varchar(50))",
            "CREATE TABLE tblAccountGroup (AccountGroupID int NOT NULL PRIMARY KEY, GroupName varchar(50))",
            "CREATE TABLE tblEmployee (EmpID int NOT NULL PRIMARY KEY, EmpName varchar(50))",
            "CREATE TABLE tblLedger (LID int NOT NULL, LName varchar(100), CONSTRAINT PK_tblLedger PRIMARY KEY CLUSTERED (LID ASC))",
            "CREATE TABLE tblTaxClass (TaxClassID int NOT NULL PRIMARY KEY, TaxClass varchar(50))",
            "CREATE TABLE tblUserGroupMaster (ID int NOT NULL PRIMARY KEY, GroupName varchar(50), Accesslevel varchar(500))",
            "CREATE TABLE tblUserMaster (UserID int NOT NULL PRIMARY KEY, UserName varchar(50))",
            "CREATE TABLE tblSettings (ID int NOT NULL PRIMARY KEY, KeyName varchar(50))",
            "CREATE TABLE tblVchType (VchTypeID int NOT NULL PRIMARY KEY, VchType varchar(50), ParentID int, ActiveStatus int)",
            "CREATE TABLE tbluserlog (ID int IDENTITY(1,1) PRIMARY KEY, SystemName varchar(50), LoginName varchar(50), DateOf datetime, "
            "Action varchar(100), TimeOF datetime, TypeofAction varchar(50), OldData varchar(500), NewData varchar(500), "
            "ReCreateData varchar(500), refID int, ParentVchTypeID smallint, VchTypeID smallint, UserID smallint, WindowName varchar(50))",
        };
        for (const char* statement : schema)
            connection.execute(QString::fromLatin1(statement));
    }

    void configureLinkedServer(const QString& name)
    {
        for (const QString& statement : connection::LinkedServer::statements(name))
            destination->execute(statement);
    }

    void addSale(db::Connection& connection, int id, const QString& no, const QString& party, const QString& date, const QString& amount)
    {
        connection.execute(QStringLiteral("insert into tblSales (InvID, InvNo, Party, InvDate, BillAmt, cancelled, VchtypeID, SortNumber) "
                                          "values (%1, '%2', '%3', '%4', %5, 0, 5, %1)")
                               .arg(id)
                               .arg(no, party, date, amount));
    }

    TempServers servers{TempServers::EmptyFolder{}};
    std::unique_ptr<db::Connection> source;
    std::unique_ptr<db::Connection> destination;
};

TEST_F(ProgramStatementsTest, LinkedServerScriptRunsTwiceLeavesOneEntryAndReadsTheCatalog)
{
    const QString name = QStringLiteral("embedded:HO");
    configureLinkedServer(name);
    configureLinkedServer(name);

    auto master = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("master"));
    EXPECT_EQ(TempServers::rows(*master, "select server_id, name, product, data_source, is_linked from sys.servers order by server_id"),
              "0|BR|SQL Server|BR|0\n"
              "1|embedded:HO|SQL Server|embedded:HO|1");
    EXPECT_EQ(TempServers::scalar(*master, "select count(*) from linked_logins").toString(), "2");
    EXPECT_EQ(TempServers::scalar(*master, "select count(*) from server_options").toString(), "12");
    EXPECT_EQ(TempServers::scalar(*master, "select value from server_options where name = 'query timeout'").toString(),
              QString::number(connection::LinkedServer::queryTimeoutSeconds));
    EXPECT_EQ(TempServers::scalar(*master, "select count(*) from server_options where name = 'collation name' and value is null").toString(), "1");

    // Four-part names read the linked server's catalog.
    addSale(*source, 57, "S-57", "Ravi Traders", "2026-12-05", "1250.50");
    addSale(*source, 58, "S-58", "Anil & Sons", "2026-12-06", "10");

    EXPECT_EQ(TempServers::scalar(*destination, "select count(*) from [embedded:HO].MAIN01.dbo.tblSales").toString(), "2");
    EXPECT_EQ(TempServers::scalar(*destination, "select InvNo from [embedded:HO].MAIN01.dbo.tblSales where InvID=58").toString(), "S-58");
    // A later statement reuses the attachment; the same-server three-part form reaches the own catalog.
    EXPECT_EQ(TempServers::scalar(*destination, "select count(*) from [embedded:HO].main01.dbo.tblSales M where M.InvDate='05/Dec/2026'").toString(), "1");
    EXPECT_EQ(TempServers::scalar(*destination, "select count(*) from SUB01.dbo.tblSales").toString(), "0");
    EXPECT_EQ(TempServers::scalar(*destination, "select count(*) from SUB01..tblSales").toString(), "0");

    // A plain linked server name is the sibling server folder of the same name.
    destination->execute("EXEC master.dbo.sp_addlinkedserver @server = N'HO', @srvproduct=N'SQL Server'");
    EXPECT_EQ(TempServers::scalar(*destination, "select count(*) from [HO].MAIN01.dbo.tblSales").toString(), "2");
}

TEST_F(ProgramStatementsTest, ServerClockAndVoucherCopyStatements)
{
    source->execute("insert into tblSettings (ID, KeyName) values (1, 'X')");
    db::Recordset shifted = source->openRecordset("Select top 1 dateadd(Minute,330,getutcdate()) as ServDate from tblSettings");
    ASSERT_EQ(shifted.recordCount(), 1);
    EXPECT_EQ(shifted.field("ServDate").typeCode(), db::TypeCode::DBTimeStamp);
    const QDateTime expected = QDateTime::currentDateTimeUtc().addSecs(330 * 60);
    const QDateTime got = shifted.field("ServDate").value().toDateTime();
    EXPECT_LE(std::abs(QDateTime(expected.date(), expected.time(), Qt::UTC).secsTo(got)), 5);

    db::Recordset local = source->openRecordset("Select top 1 Getdate() as ServDate from tblSettings");
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_LE(std::abs(QDateTime(now.date(), now.time(), Qt::UTC).secsTo(local.field("ServDate").value().toDateTime())), 5);

    // No settings row: no row comes back.
    source->execute("delete from tblSettings");
    EXPECT_TRUE(source->openRecordset("Select top 1 Getdate() as ServDate from tblSettings").eof());

    // The voucher copy's statements find the voucher by day and key.
    addSale(*source, 57, "S-57", "Ravi", "2026-12-05", "100");
    source->execute("insert into tblItemMaster (ItemID, ItemName, CategoryID, PRoducttypeid) values (1, 'Soap', 3, 1)");
    source->execute("insert into tblSalesItem (InvID, ItemID, Qty, rate, Prate, MRP) values (57, 1, 2, 50, 40, 60)");

    EXPECT_EQ(TempServers::rows(*source, "Select * from tblSales where  invDate='05/Dec/2026' and INvID=57"), "57|S-57|Ravi|2026-12-05 00:00:00|100.00|0|5|57|NULL|NULL");
    EXPECT_EQ(TempServers::rows(*source, "Select tblSalesItem.* from tblSalesItem,tblItemMaster Where InvID=57 and tblSalesItem.ItemID=tblItemMaster.ItemID "
                                         " and CategoryID in(3 ) and PRoducttypeid in(1 )"),
              "1|57|1|2.000|50.00|40.00|60.00");

    destination->execute("insert into tblSalesItem (InvID, ItemID, Qty, rate, Prate, MRP) values (121, 1, 2, 50, 40, 60)");
    destination->execute("Update tblSalesItem set Prate=(Prate-(Prate * 10/100)) where InvID=121");
    destination->execute("Update tblSalesItem set rate=(rate-(rate * 5/100)) where InvID=121");
    EXPECT_EQ(TempServers::rows(*destination, "select Prate, rate from tblSalesItem"), "36.00|47.50");
    addSale(*destination, 121, "S-57", "Ravi", "2026-12-05", "100");
    destination->execute("Update tblSales set TaxType='<None>' where InvID=121");
    destination->execute("Update tblSales set VchtypeID=9 where InvID=121");
    EXPECT_EQ(TempServers::rows(*destination, "select TaxType, VchtypeID from tblSales"), "<None>|9");
}

TEST_F(ProgramStatementsTest, TransactionListQueriesConcatenateWithPlus)
{
    addSale(*source, 57, "S-57", "Ravi Traders", "05/Dec/2026", "1250.50");
    addSale(*source, 58, "S-58", "A very long party name that is cut", "2026-12-05", "99");
    addSale(*source, 60, "S-60", "Later that day", "2026-12-05 10:30:00", "5");
    addSale(*source, 59, "S-59", "Other day", "2026-12-06", "1");
    source->execute("insert into tblPurchase (InvID, InvNo, InvDate, BillAmt, VchtypeID) values (7, 'P-7', '05/Dec/2026', 12.5, 2)");

    const QString dateClause = QStringLiteral(" invdate between  '05/Dec/2026' and '05/Dec/2026'");
    const QString sales = "Select InvID,InvNo + ' - ' + left(Party,20)    + '-   ' + cast(INvDate as varchar(12))  + '-                       ' "
                          "+ cast(BillAmt as varchar(20))  from tblSales where cancelled=0 and VchtypeID=5 and "
        + dateClause + "and InvID in(57,58,0)" + " Order by SortNumber";
    EXPECT_EQ(TempServers::rows(*source, sales),
              "57|S-57 - Ravi Traders-   Dec  5 2026 -                       1250.50\n"
              "58|S-58 - A very long party na-   Dec  5 2026 -                       99.00");
    db::Recordset list = source->openRecordset(sales);
    EXPECT_EQ(list.field(0).typeCode(), db::TypeCode::Integer);
    EXPECT_EQ(list.field(1).typeCode(), db::TypeCode::VarChar);

    const QString purchases = "Select InvID,InvNo + ' - '  + cast(INvDate as varchar(12)) + '-//-                       ' + "
                              "cast(BillAmt as varchar(20))  from tblPurchase where VchtypeID=2 and  invdate ='05/Dec/2026' Order by InvID";
    EXPECT_EQ(TempServers::rows(*source, purchases), "7|P-7 - Dec  5 2026 -//-                       12.50");

    // The id queries of the item filters.
    source->execute("insert into tblItemMaster (ItemID, ItemName, CategoryID, PRoducttypeid) values (1, 'Soap', 3, 1)");
    source->execute("insert into tblSalesItem (InvID, ItemID, Qty) values (57, 1, 2)");
    source->execute("insert into tblPurchaseItem (InvID, ItemID) values (7, 1)");
    EXPECT_EQ(TempServers::rows(*source, " SELECT DISTINCT tblSalesItem.InvID  FROM  tblSalesItem INNER JOIN tblItemMaster ON tblSalesItem.ItemId = "
                                         "tblItemMaster.ItemID INNER JOIN tblSales ON tblSalesItem.InvID = tblSales.InvId WHERE   1=1  and CategoryID in(3 )"
                                         " and cancelled=0 and VchtypeID=5 and " + dateClause),
              "57");
    EXPECT_EQ(TempServers::rows(*source, "Select Distinct InvID from tblPurchaseItem,tblItemMaster where tblPurchaseItem.itemID= tblItemMaster.itemID "
                                         " and PRoducttypeid in(1 )"),
              "7");
}

TEST_F(ProgramStatementsTest, SchemaUpdatesFailTheSecondTimeAndTheUserLogStoresDates)
{
    const QStringList statements = {"Alter table TblSales Add SyncStat Numeric", "Alter table TblPurchase Add SyncStat Numeric",
                                    "Alter table TblSales Add ServInvID Numeric", "Alter table TblPurchase Add ServInvID Numeric"};
    for (const QString& statement : statements)
        destination->execute(statement);
    EXPECT_EQ(errorOf([&] { destination->execute(statements[0]); }).message(),
              "Column names in each table must be unique. Column name 'SyncStat' in table 'TblSales' is specified more than once.");
    EXPECT_EQ(errorOf([&] { destination->execute(statements[3]); }).nativeCode(), 2705);

    addSale(*destination, 121, "S-121", "P", "2026-12-05", "1");
    EXPECT_TRUE(destination->openRecordset("select SyncStat from tblSales").field(0).isNull());
    EXPECT_EQ(destination->execute("update tblSales set SyncStat=1, ServInvID=121 where InvID=121"), 1);
    EXPECT_EQ(destination->execute("Update tblSales set SyncStat=0  where InvID=121"), 1);
    EXPECT_EQ(TempServers::rows(*destination, "select SyncStat, ServInvID from tblSales"), "0|121");

    // The user group column widens on every run, and a wider value then fits the declared type.
    for (int run = 0; run < 2; ++run)
        destination->execute("alter table tblUserGroupMaster alter column Accesslevel  VarChar (6000)");
    EXPECT_EQ(TempServers::scalar(*destination, "select sql from sqlite_schema where name = 'tblUserGroupMaster'").toString(),
              "CREATE TABLE \"tblUserGroupMaster\" (\"ID\" int PRIMARY KEY NOT NULL, \"GroupName\" varchar(50) COLLATE NOCASE, "
              "\"Accesslevel\" VarChar(6000) COLLATE NOCASE)");
    destination->execute("insert into tblUserGroupMaster (ID, GroupName, Accesslevel) values (1, 'admin', '" + QString(6000, 'Y') + "')");
    EXPECT_EQ(TempServers::scalar(*destination, "select len(Accesslevel) from tblUserGroupMaster").toString(), "6000");
    EXPECT_EQ(errorOf([&] { destination->execute("alter table tblUserGroupMaster alter column Nothing varchar(5)"); }).message(),
              "ALTER TABLE ALTER COLUMN Nothing failed because column 'Nothing' does not exist in table 'tblUserGroupMaster'.");

    // The user log's insert stores the day and the time as dates.
    const QString insert = " insert into tbluserlog (SystemName,LoginName , DateOf, Action, TimeOF,TypeofAction, OldData, NewData,ReCreateData , "
                           "refID, ParentVchTypeID, VchTypeID, UserID,WindowName)  values('','','05/Dec/2026','Connection Established from "
                           "MAIN01 to SUB01','10:30:00 AM','New','','','',0,0,0,0,'')";
    EXPECT_EQ(destination->execute(insert), 1);
    EXPECT_EQ(TempServers::rows(*destination, "select DateOf, TimeOF, TypeofAction, Action from tbluserlog"),
              "2026-12-05 00:00:00|1900-01-01 10:30:00|New|Connection Established from MAIN01 to SUB01");
}

TEST_F(ProgramStatementsTest, FilterListMasterCountAndCompanyListQueries)
{
    source->execute("insert into tblVchType (VchTypeID, VchType, ParentID, ActiveStatus) values (5, 'Sales B2C', 1, 1)");
    source->execute("insert into tblVchType (VchTypeID, VchType, ParentID, ActiveStatus) values (6, 'Sales B2B', 1, 1)");
    source->execute("insert into tblVchType (VchTypeID, VchType, ParentID, ActiveStatus) values (7, 'Purchase', 2, 1)");
    source->execute("insert into tblVchType (VchTypeID, VchType, ParentID, ActiveStatus) values (8, 'Journal', 9, 1)");
    EXPECT_EQ(TempServers::rows(*source, "SELECT   VchTypeID, VchType From tblVchType WHERE  activestatus=1 and VchtypeID in (Select VchtypeID from "
                                         "tblVchtype where ParentID in(1,3,12,18,44,2,4))    Order by VchType "),
              "7|Purchase\n"
              "6|Sales B2B\n"
              "5|Sales B2C");
    EXPECT_EQ(TempServers::rows(*source, "SELECT     VchTypeID, VchType From tblVchType WHERE     (ActiveStatus = 1) AND (VchTypeID IN  (SELECT     "
                                         "VchTypeID FROM  tblVchType AS tblVchType_1 WHERE      (ParentID IN  (SELECT     ParentID   FROM          "
                                         "tblVchType AS tblVchType_2  WHERE      (VchTypeID = 5))))) ORDER BY VchType"),
              "6|Sales B2B\n"
              "5|Sales B2C");
    EXPECT_EQ(TempServers::rows(*source, "Select ParentID from tblvchtype where VchtypeID=7"), "2");

    // The master count union is ordered by property.
    source->execute("insert into tblLedger (LID, LName) values (1, 'Cash')");
    source->execute("insert into tblLedger (LID, LName) values (2, 'Bank')");
    source->execute("insert into tblAgent (AgentID, AgentName) values (1, 'Anil')");
    const QString query = " SELECT     'Category' AS Property, COUNT(CategoryID) AS Nos From tblCategories "
                          " Union SELECT     'Items' AS Property, COUNT(ItemID) AS Nos From tblItemMaster "
                          " Union SELECT     'Agent' AS Property, COUNT(AgentID) AS Nos From tblAgent "
                          " Union SELECT     'Area' AS Property, COUNT(AreaID) AS Nos From tblArea "
                          " Union SELECT     'AccountGroup' AS Property, COUNT(AccountGroupID) AS Nos From tblAccountGroup "
                          " Union SELECT     'Employee' AS Property, COUNT(EmpID) AS Nos From tblEmployee "
                          " Union SELECT     'Ledger' AS Property, COUNT(LID) AS Nos FROM         tblLedger AS tblEmployee_1 "
                          " Union SELECT     'TaxClass' AS Property, COUNT(TaxClassID) AS Nos From tblTaxClass "
                          " Union SELECT     'Usergroup' AS Property, COUNT(ID) AS Nos From tblUserGroupMaster "
                          " Union SELECT     'User' AS Property, COUNT(UserID) AS Nos From tblUserMaster ORDER BY Property ";
    EXPECT_EQ(TempServers::rows(*source, query),
              "AccountGroup|0\nAgent|1\nArea|0\nCategory|0\nEmployee|0\nItems|0\nLedger|2\nTaxClass|0\nUser|0\nUsergroup|0");

    servers.createServer(QStringLiteral("embedded:LOCAL"), {QStringLiteral("QRNStartup")});
    auto startup = servers.open(QStringLiteral("embedded:LOCAL"), QStringLiteral("QRNStartup"));
    startup->execute("CREATE TABLE tblcompany (companyID int PRIMARY KEY, CompanyCode varchar(20), CompanyName varchar(100), "
                     "ApplicationID int, active bit)");
    startup->execute("insert into tblcompany values (1, 'SUB01', 'Zeta', 33, 1)");
    startup->execute("insert into tblcompany values (2, 'OLD', 'Alpha', 33, 0)");
    startup->execute("insert into tblcompany values (33, 'MAIN01', 'Beta', 12, 0)");
    EXPECT_EQ(TempServers::rows(*startup, "Select * from tblcompany where (ApplicationID IN (33) and active=1) or companyID=33 order by CompanyName "),
              "33|MAIN01|Beta|12|0\n"
              "1|SUB01|Zeta|33|1");
}
