// Server names, company codes and settings that hold quotes, ";", "]", very long text or nothing:
// they stay names, and the operator is told what is wrong with them.
#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include "connection/CompanyConnections.h"
#include "connection/LinkedServer.h"
#include "connection/ProgramSettings.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "replication/BulkTransfer.h"

#include <gtest/gtest.h>

using support::TempServers;

namespace {

const QStringList hostileNames{
    QStringLiteral("HO]; DROP TABLE tblLedger;--"),
    QStringLiteral("H'O"),
    QStringLiteral("H\"O"),
    QStringLiteral("a;Initial Catalog=master"),
    QStringLiteral("x}y{z"),
    QString(300, QLatin1Char('S')),
    QString(),
};

} // namespace

TEST(NamesTest, ServerNamesStayTheDataSourceOfEveryConnectionText)
{
    for (const QString& name : hostileNames) {
        const db::ConnectionInfo company = db::ConnectionText::parse(connection::ConnectionTexts::company(QStringLiteral("SUB01"), name));
        EXPECT_EQ(company.dataSource, name);
        EXPECT_EQ(company.catalog, "SUB01");
        EXPECT_EQ(company.user, "sa");
        EXPECT_EQ(company.attributes.size(), 6) << name.toStdString();
        const db::ConnectionInfo startup = db::ConnectionText::parse(connection::ConnectionTexts::startup(name, name));
        EXPECT_EQ(startup.dataSource, name);
        EXPECT_EQ(startup.password, name);
        EXPECT_EQ(startup.catalog, "QRNStartup");
    }
}

TEST(NamesTest, CompanyCodesThatCannotBeDatabaseNamesAreRefusedWithAReason)
{
    EXPECT_EQ(connection::companyCodeProblem(QString()), "Please choose a company code.");
    EXPECT_EQ(connection::companyCodeProblem(QString(129, QLatin1Char('C'))),
              "The company code \"CCCCCCCCCCCCCCCCCCCC...\" is longer than a database name can be.");
    EXPECT_EQ(connection::companyCodeProblem(QStringLiteral("SUB01]; DROP DATABASE SUB01;--")),
              "The company code \"SUB01]; DROP DATABASE SUB01;--\" cannot be a database name: use letters, digits and _ @ # $ . - only.");
    for (const char* bad : {"A\"B", "A}B", "A\tB", "A\nB", "SUB01 ", "A;Data Source=X", "A'B", "A]B", "..\\x", " ", "A=B"})
        EXPECT_NE(connection::companyCodeProblem(QString::fromLatin1(bad)), "") << bad;
    for (const char* good : {"SUB01", "Main Co.2026"})
        EXPECT_EQ(connection::companyCodeProblem(QString::fromLatin1(good)), "") << good;
    EXPECT_EQ(connection::companyCodeProblem(QString(128, QLatin1Char('C'))), "");
}

TEST(NamesTest, ServerNamesHoldingQuotesAndBracketsReadNothingDropNothingAndStayNames)
{
    TempServers servers;
    support::RecordingReporter reporter;
    replication::BulkTransfer transfer(servers.branch(), hostileNames[0], QStringLiteral("MAIN01"), reporter);
    EXPECT_EQ(transfer.sourceName(QStringLiteral("tblLedger")), "[HO]]; DROP TABLE tblLedger;--].[MAIN01].dbo.tblLedger");
    const QString before = TempServers::rows(servers.branch(), QStringLiteral("select * from tblLedger order by LID"));

    try {
        transfer.transfer(QStringLiteral("tblArea"));
        ADD_FAILURE() << "a server of that name was read";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("HO]; DROP TABLE tblLedger;--"))) << e.message().toStdString();
    }
    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select * from tblLedger order by LID")), before);

    // A linked server named with quotes and brackets is created under that name.
    support::ScriptedPrompter prompter;
    const QString name = QStringLiteral("it's]; DROP TABLE tblLedger;--");
    const QString ledgers = TempServers::rows(servers.branch(), QStringLiteral("select count(*) from tblLedger"));

    EXPECT_TRUE(connection::LinkedServer::configure(servers.branch(), name, prompter));

    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select count(*) from sys.servers where name = N'it''s]; DROP TABLE tblLedger;--'")),
              "1");
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select count(*) from tblLedger")), ledgers);
}
