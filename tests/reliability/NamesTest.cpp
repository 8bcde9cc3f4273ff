// Server names, company codes and settings that hold quotes, ";", "]", very long text or nothing:
// they stay names, and the operator is told what is wrong with them.
#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include "connection/CompanyConnections.h"
#include "connection/LinkedServer.h"
#include "connection/ProgramSettings.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "masters/FullSync.h"

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
    support::ScriptedPrompter prompter;
    // Master Synchronisation by bulk transfer from a head office of that name: no such server is
    // read, and the name reaches the operator whole.
    const QString all = QStringLiteral("select * from tblLedger order by LID");
    const QString branchLedgers = TempServers::rows(servers.branch(), all);
    const QString branchAreas = TempServers::rows(servers.branch(), QStringLiteral("select * from tblArea order by AreaID"));
    const QString headLedgers = TempServers::rows(servers.headOffice(), all);
    support::VectorListControl list;
    masters::FullSync::Setup setup{hostileNames[0], QStringLiteral("MAIN01"), [] { return true; }, {}, {}};
    masters::FullSync(servers.branch(), servers.headOffice(), reporter, prompter, list, setup).run();

    ASSERT_FALSE(reporter.balloons.empty());
    EXPECT_TRUE(reporter.balloons[0].contains(QLatin1String("HO]; DROP TABLE tblLedger;--"))) << reporter.balloons[0].toStdString();
    EXPECT_EQ(TempServers::rows(servers.branch(), all), branchLedgers);
    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select * from tblArea order by AreaID")), branchAreas);
    EXPECT_EQ(TempServers::rows(servers.headOffice(), all), headLedgers);

    // A linked server named with quotes and brackets is created under that name.
    const QString name = QStringLiteral("it's]; DROP TABLE tblLedger;--");
    const QString ledgers = TempServers::rows(servers.branch(), QStringLiteral("select count(*) from tblLedger"));

    EXPECT_TRUE(connection::LinkedServer::configure(servers.branch(), name, prompter));

    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select count(*) from sys.servers where name = N'it''s]; DROP TABLE tblLedger;--'")),
              "1");
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select count(*) from tblLedger")), ledgers);
}
