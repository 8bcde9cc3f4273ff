#include "QtPrinters.h"

#include "db/DbError.h"
#include "db/embedded/Tokenizer.h"
#include "db/embedded/TsqlTranslator.h"

#include <gtest/gtest.h>

using db::embedded::Statement;
using db::embedded::TableColumn;
using db::embedded::Tokenizer;
using db::embedded::TsqlTranslator;

namespace {

// One database with two tables: T (an identity key) and Plain (none).
class OneDatabase : public db::embedded::NameResolver {
public:
    QString schemaFor(const QString& server, const QString& catalog) override
    {
        return server.isEmpty() && catalog.compare("SUB01", Qt::CaseInsensitive) == 0 ? QStringLiteral("main") : "db_" + catalog;
    }
    QString masterSchema() override { return QStringLiteral("master"); }
    QString declaredType(const QString& schema, const QString& table, const QString& column) override
    {
        for (const TableColumn& c : columns(schema, table))
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return c.type;
        return QString();
    }
    std::vector<TableColumn> columns(const QString&, const QString& table) override
    {
        if (table.compare("T", Qt::CaseInsensitive) == 0)
            return {{"ID", "INTEGER", true, true}, {"Name", "varchar(20)", false, false}, {"Day", "datetime", false, false},
                    {"Amount", "numeric real(18,2)", false, false}};
        if (table.compare("Plain", Qt::CaseInsensitive) == 0)
            return {{"Code", "int", true, false}};
        return {};
    }
    QString objectName(const QString&, const QString& table) override { return "SUB01.dbo." + table; }
    int resultColumnCount(const QString&) override { return 1; }
};

struct Translation {
    const char* tsql;
    const char* sqlite;
};

class TsqlTranslatorTest : public ::testing::Test {
protected:
    Statement translate(const QString& tsql) { return translator.translate(Tokenizer::tokenize(tsql)); }
    std::string sql(const QString& tsql) { return translate(tsql).sql.toStdString(); }
    int nativeCode(const QString& tsql)
    {
        try {
            translate(tsql);
        } catch (const db::DbError& e) {
            return e.nativeCode();
        }
        return 0;
    }
    void expectTranslations(std::initializer_list<Translation> cases)
    {
        for (const Translation& c : cases)
            EXPECT_EQ(sql(c.tsql), c.sqlite) << c.tsql;
    }

    OneDatabase database;
    TsqlTranslator translator{database};
};

} // namespace

TEST_F(TsqlTranslatorTest, CreateTableDeclaresWhatSqliteNeedsToBehaveLikeSqlServer)
{
    expectTranslations({
        // an identity key is SQLite's row number; text ignores case; scaled numbers and money are REAL
        {"create table dbo.A (ID int IDENTITY(1,1) NOT NULL PRIMARY KEY CLUSTERED, Name nvarchar(max), Rate numeric(18,2), Pay money)",
         "CREATE TABLE \"A\" (\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT, \"Name\" nvarchar COLLATE NOCASE, \"Rate\" numeric real(18,2), "
         "\"Pay\" money real)"},
        // a table-level key makes its columns NOT NULL; a case-sensitive collation is kept; a default is an expression
        {"create table B (K int, Code varchar(5) COLLATE Latin1_General_CS_AS, Made datetime DEFAULT getdate(), "
         "CONSTRAINT PK_B PRIMARY KEY NONCLUSTERED (K) WITH (FILLFACTOR = 90) ON [PRIMARY])",
         "CREATE TABLE \"B\" (\"K\" int NOT NULL, \"Code\" varchar(5) COLLATE BINARY, \"Made\" datetime DEFAULT(mssql_getdate()), "
         "CONSTRAINT PK_B PRIMARY KEY(K))"},
    });
    EXPECT_THROW(translate("create table C (ID)"), db::DbError);
}

TEST_F(TsqlTranslatorTest, AlterTableAndSelectIntoBecomeTheirOwnActions)
{
    const Statement added = translate("alter table T add SyncStat numeric, COLUMN Note varchar(10) NOT NULL DEFAULT ''");
    EXPECT_EQ(added.kind, Statement::Kind::AddColumns);
    ASSERT_EQ(added.columns.size(), 2u);
    EXPECT_EQ(added.columns[1].definition, "\"Note\" varchar(10) COLLATE NOCASE NOT NULL DEFAULT ''");

    const Statement altered = translate("alter table dbo.T alter column Amount numeric(18,3) NULL");
    EXPECT_EQ(altered.kind, Statement::Kind::AlterColumn);
    EXPECT_EQ(altered.name, "T");
    ASSERT_EQ(altered.columns.size(), 1u);
    // The stored column keeps its default; the new type and nullability replace the old, and the
    // engine's own "real" affinity word is read as part of the old type.
    EXPECT_EQ(TsqlTranslator::changedColumn(Tokenizer::tokenize("\"Amount\" numeric real(18,2) NOT NULL DEFAULT 0"), altered.columns[0]),
              "\"Amount\" numeric real(18,3) DEFAULT 0");
    EXPECT_EQ(TsqlTranslator::changedColumn(Tokenizer::tokenize("\"ID\" int PRIMARY KEY NOT NULL"),
                                            translate("alter table T alter column ID varchar(9) NOT NULL").columns[0]),
              "\"ID\" varchar(9) COLLATE NOCASE NOT NULL PRIMARY KEY");
    EXPECT_THROW(translate("alter table T drop column Name"), db::DbError);

    // SELECT INTO copies a table or makes one from the query.
    const Statement copy = translate("select * into #stage from dbo.T where 1=0");
    EXPECT_EQ(copy.kind, Statement::Kind::CopyTable);
    EXPECT_TRUE(copy.temporary);
    EXPECT_EQ(copy.table, "T");
    EXPECT_EQ(copy.schema, "main");
    EXPECT_EQ(copy.sql.toStdString(), " where 1 = 0");

    const Statement made = translate("select top 2 ID, Name into Copy from T order by ID");
    EXPECT_EQ(made.kind, Statement::Kind::Sql);
    EXPECT_EQ(made.sql.toStdString(), "CREATE TABLE \"Copy\" AS select ID, Name from T order by ID LIMIT 2");
}

TEST_F(TsqlTranslatorTest, QueriesAndChangesAreRewrittenAndIdentityChecked)
{
    expectTranslations({
        {"select top 1 Name + 'x' from T with (nolock) where Day = '05/Dec/2026'",
         "select mssql_add(Name, 'x') from T where Day = '2026-12-05 00:00:00' LIMIT 1"},
        {"update T set Day = '20261205', Name = N'it''s' where ID = 1",
         "update T set Day = (mssql_store('2026-12-05 00:00:00', 'datetime', 'SUB01.dbo.T', 'Day')), "
         "Name = (mssql_store('it''s', 'varchar(20)', 'SUB01.dbo.T', 'Name')) where ID = 1"},
        {"select count(*) from SUB01.dbo.T", "select count(*) from \"main\".\"T\""},
    });
    EXPECT_TRUE(translate("delete from T where ID = 2").changesRows);
    EXPECT_FALSE(translate("select 1").changesRows);

    // An insert checks the identity column as SQL Server does.
    // Each value is stored through its column's type check, dates in the engine's one form.
    EXPECT_EQ(sql("insert into T (Name, Day) values ('a', '2026-12-05T10:30:00')"),
              "insert into T(Name, Day) values((mssql_store('a', 'varchar(20)', 'SUB01.dbo.T', 'Name')), "
              "(mssql_store('2026-12-05 10:30:00', 'datetime', 'SUB01.dbo.T', 'Day')))");
    EXPECT_TRUE(translate("insert into T (Name) values ('a')").changesRows);
    EXPECT_EQ(nativeCode("insert into T (ID, Name) values (5, 'a')"), 544);
    EXPECT_EQ(nativeCode("set identity_insert Plain on"), 8106);
    EXPECT_EQ(translate("set identity_insert dbo.T on").kind, Statement::Kind::NoOp);
    EXPECT_NO_THROW(translate("insert into T (ID, Name) values (5, 'a')"));
    EXPECT_EQ(nativeCode("set identity_insert Other on"), 1088);
    translate("set identity_insert T off");
    EXPECT_EQ(nativeCode("insert into T (ID, Name) values (6, 'a')"), 544);
}

TEST_F(TsqlTranslatorTest, ControlStatementsBecomeEngineActions)
{
    EXPECT_EQ(translate("set nocount on").kind, Statement::Kind::NoOp);
    EXPECT_THROW(translate("set rowcount 5"), db::DbError);
    EXPECT_EQ(translate("begin tran").kind, Statement::Kind::Begin);
    EXPECT_EQ(translate("commit transaction").kind, Statement::Kind::Commit);
    EXPECT_EQ(translate("rollback").kind, Statement::Kind::Rollback);

    const Statement condition = translate("IF NOT EXISTS (select * from T where Name = 'a') delete from T");
    EXPECT_EQ(condition.kind, Statement::Kind::IfExists);
    EXPECT_TRUE(condition.negated);
    EXPECT_EQ(condition.sql, "select * from T where Name = 'a'");
    EXPECT_EQ(condition.then.size(), 3u);
    EXPECT_THROW(translate("IF 1 = 1 select 1"), db::DbError);

    const Statement exec = translate("EXEC master.dbo.sp_dropserver @server=N'HO', 'droplogins', -1");
    EXPECT_EQ(exec.kind, Statement::Kind::Exec);
    EXPECT_EQ(exec.name, "sp_dropserver");
    ASSERT_EQ(exec.arguments.size(), 3u);
    EXPECT_EQ(exec.arguments[0].name, "server");
    EXPECT_EQ(exec.arguments[0].value.toString(), "HO");
    EXPECT_EQ(exec.arguments[2].value.toLongLong(), -1);

    const Statement create = translate("CREATE DATABASE [SUB02]");
    EXPECT_EQ(create.kind, Statement::Kind::CreateDatabase);
    EXPECT_EQ(create.name, "SUB02");
    EXPECT_EQ(translate("drop database SUB02").kind, Statement::Kind::DropDatabase);
    EXPECT_THROW(translate("create database SUB03 collate Latin1_General_CI_AS"), db::DbError);
}
