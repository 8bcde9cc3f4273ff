#pragma once

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/embedded/EmbeddedServer.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (const QString& text : list)
        *out << " \"" << text.toStdString() << '"';
    *out << " }";
}

namespace test {

// A program folder in a temporary directory with embedded servers below servers/.
class EmbeddedTestServers {
public:
    EmbeddedTestServers() { EXPECT_TRUE(m_dir.isValid()); }

    QString programFolder() const { return m_dir.path(); }

    db::embedded::EmbeddedServer server(const QString& name) const
    {
        return db::embedded::EmbeddedServer(programFolder() + QStringLiteral("/servers/") + name);
    }

    // Makes the server and, through its master catalog, the given databases.
    void createServer(const QString& name, const QStringList& catalogs = {})
    {
        server(name).createServer();
        if (catalogs.isEmpty())
            return;
        auto master = open(name, QStringLiteral("master"));
        for (const QString& catalog : catalogs)
            master->execute(QStringLiteral("CREATE DATABASE ") + catalog);
    }

    static QString connectionText(const QString& server, const QString& catalog)
    {
        return QStringLiteral("Provider=SQLOLEDB.1;Password=KESTREL264$;Persist Security Info=True;User ID=sa;Initial Catalog=")
            + catalog + QStringLiteral(";Data Source=embedded:") + server;
    }

    std::unique_ptr<db::Connection> open(const QString& server, const QString& catalog) const
    {
        auto connection = std::make_unique<db::Connection>(db::ConnectionContext{programFolder()});
        connection->open(connectionText(server, catalog));
        return connection;
    }

private:
    QTemporaryDir m_dir;
};

// The first field of the first row, as text.
inline QString scalarText(db::Connection& connection, const QString& sql)
{
    db::Recordset rs = connection.openRecordset(sql);
    return rs.eof() ? QStringLiteral("<no row>") : rs.field(0).text();
}

// Every row of a query, fields joined by "|".
inline QStringList rows(db::Connection& connection, const QString& sql)
{
    db::Recordset rs = connection.openRecordset(sql);
    QStringList out;
    while (!rs.eof()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << (rs.field(i).isNull() ? QStringLiteral("NULL") : rs.field(i).text());
        out << fields.join(QLatin1Char('|'));
        rs.moveNext();
    }
    return out;
}

// The message of the DbError that `action` throws; "<no error>" when it throws none.
template <typename Action>
db::DbError errorOf(Action action)
{
    try {
        action();
    } catch (const db::DbError& error) {
        return error;
    }
    return db::DbError(QStringLiteral("<no error>"), QStringLiteral("00000"), 0);
}

// The ERP tables that the program's statements name, as T-SQL.
inline const QStringList& companySchema()
{
    static const QStringList schema = {
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
    return schema;
}

inline void createCompanySchema(db::Connection& connection)
{
    for (const QString& statement : companySchema())
        connection.execute(statement);
}

} // namespace test
