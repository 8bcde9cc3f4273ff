// The user log and the server clock when a side is closed or the offset is odd.
#include "connection/ServerClock.h"
#include "connection/UserLog.h"
#include "db/Connection.h"
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace connection;

TEST(UserLogTest, DestinationClosedAsksYesEndsWithoutWritingNoGoesOn)
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

    // No goes on and reports each closed side.
    prompter.script(report::PromptAnswer::No);
    EXPECT_EQ(log.logUserAction(UserLogEntry{}), UserLog::Outcome::SomeSideFailed);
    ASSERT_EQ(prompter.shown.size(), 4u);
    EXPECT_EQ(prompter.shown[2].icon, report::PromptIcon::Warning);
    // The statement's texts reach the database in StartTransformTest; an unknown kind of action has no name.
    EXPECT_EQ(UserLog::typeText(9), "");
}

TEST(ServerClockTest, OffsetComesFromTheLeadingNumberAndClosedSidesUseTheLocalClock)
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
    // Both connections closed: the local clock, without any box.
    db::Connection source;
    db::Connection destination;
    ServerClock serverClock(QStringLiteral("330"), prompter, [] { return QDateTime(QDate(2026, 12, 5), QTime(23, 30, 5)); });
    const ServerTime t = serverClock.serverDateTime(source, destination);
    EXPECT_EQ(t.date, QDate(2026, 12, 5));
    EXPECT_EQ(t.dateText, "05/Dec/2026");
    EXPECT_EQ(t.timeText, "11:30:05 PM");
    EXPECT_EQ(prompter.shown.size(), 1u);
}
