// The texts the connect operations send: linked server script, user log row, clock query, connection texts.
#include "connection/LinkedServer.h"
#include "connection/ProgramSettings.h"
#include "connection/ServerClock.h"
#include "connection/UserLog.h"
#include "db/Connection.h"
#include "db/ConnectionText.h"
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace connection;

TEST(LinkedServerTest, SixteenStatementsInOrderWithTheNamePutIn)
{
    const QStringList s = LinkedServer::statements(QStringLiteral("HO"));
    ASSERT_EQ(s.size(), 16);
    EXPECT_EQ(s[0], "IF  EXISTS (SELECT srv.name FROM sys.servers srv WHERE srv.server_id != 0 AND srv.name = N'HO')"
                    "EXEC master.dbo.sp_dropserver @server=N'HO', @droplogins='droplogins'");
    EXPECT_EQ(s[1], "EXEC master.dbo.sp_addlinkedserver @server = N'HO', @srvproduct=N'SQL Server'");
    EXPECT_EQ(s[3], "EXEC master.dbo.sp_addlinkedsrvlogin @rmtsrvname=N'HO',@useself=N'False',@locallogin=N'sa',"
                    "@rmtuser=N'sa',@rmtpassword='KESTREL264$'");
    EXPECT_EQ(s[12], "EXEC master.dbo.sp_serveroption @server=N'HO', @optname=N'collation name', @optvalue=null");
    EXPECT_EQ(s[15], "EXEC master.dbo.sp_serveroption @server=N'HO', @optname=N'use remote collation', @optvalue=N'true'");
}

TEST(UserLogTest, StatementCutsTextsAndDoublesQuotes)
{
    UserLogEntry e;
    e.actionType = 2;
    e.action = QString(150, QLatin1Char('a'));
    e.oldData = QStringLiteral("O'Brien");
    e.refId = 57;
    e.vchTypeId = 14;
    const QDateTime now(QDate(2026, 12, 5), QTime(14, 3, 9));
    EXPECT_EQ(UserLog::statement(e, now),
              " insert into tbluserlog (SystemName,LoginName , DateOf, Action, TimeOF,TypeofAction, OldData, NewData,"
              "ReCreateData , refID, ParentVchTypeID, VchTypeID, UserID,WindowName)  values('','','05/Dec/2026','"
                  + QString(100, QLatin1Char('a')) + "','02:03:09 PM','New','O''Brien','','',57,0,14,0,'')");
    EXPECT_EQ(UserLog::typeText(8), "ErrorGenerated");
    EXPECT_EQ(UserLog::typeText(9), "");
}

TEST(UserLogTest, DestinationClosedAsksAndYesEndsWithoutWriting)
{
    db::Connection destination;
    db::Connection source;
    support::ScriptedPrompter prompter;
    prompter.script(report::PromptAnswer::Yes);
    UserLog log(destination, source, prompter);
    EXPECT_EQ(log.logUserAction(UserLogEntry{}), UserLog::Outcome::EndRequested);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Unable to connect with the database server. Do you want to end the application. ");
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
}

TEST(UserLogTest, NoGoesOnAndReportsEachClosedSide)
{
    db::Connection destination;
    db::Connection source;
    support::ScriptedPrompter prompter;
    prompter.script(report::PromptAnswer::No);
    UserLog log(destination, source, prompter);
    EXPECT_EQ(log.logUserAction(UserLogEntry{}), UserLog::Outcome::SomeSideFailed);
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[1].icon, report::PromptIcon::Warning);
}

TEST(ServerClockTest, OffsetComesFromTheLeadingNumber)
{
    support::ScriptedPrompter prompter;
    auto clock = [] { return QDateTime(QDate(2026, 12, 5), QTime(23, 30)); };
    EXPECT_EQ(ServerClock(QStringLiteral("330"), prompter, clock).offsetMinutes(), 330);
    EXPECT_EQ(ServerClock(QStringLiteral("330\r\n"), prompter, clock).offsetMinutes(), 330);
    EXPECT_EQ(ServerClock(QStringLiteral("abc"), prompter, clock).offsetMinutes(), 0);
    EXPECT_EQ(ServerClock(QStringLiteral("-60 minutes"), prompter, clock).offsetMinutes(), -60);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(ServerClock(QStringLiteral("99999"), prompter, clock).offsetMinutes(), 0);
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST(ServerClockTest, BothConnectionsClosedUsesTheLocalClockWithoutAnyBox)
{
    support::ScriptedPrompter prompter;
    db::Connection source;
    db::Connection destination;
    ServerClock clock(QStringLiteral("330"), prompter, [] { return QDateTime(QDate(2026, 12, 5), QTime(23, 30, 5)); });
    const ServerTime t = clock.serverDateTime(source, destination);
    EXPECT_EQ(t.date, QDate(2026, 12, 5));
    EXPECT_EQ(t.dateText, "05/Dec/2026");
    EXPECT_EQ(t.timeText, "11:30:05 PM");
    EXPECT_TRUE(prompter.shown.empty());
}

