#include "support/RecordingReporter.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {

using report::Prompt;
using report::PromptAnswer;
using report::PromptButtons;
using report::PromptIcon;

// Balloons: a text of only blanks shows nothing, anything else is shown as given.
TEST(ReporterBalloon, BlankTextShowsNothing)
{
    support::RecordingReporter reporter;
    reporter.balloon(QString());
    reporter.balloon(QStringLiteral("    "));
    reporter.balloon(QStringLiteral(" Connection failure "));
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_EQ(reporter.balloons[0], QStringLiteral(" Connection failure "));
}

// The scripted prompter answers from its script, then with the fallback or the box's default.
TEST(ScriptedPrompterAnswers, ScriptFirstThenFallbackOrDefaultButton)
{
    support::ScriptedPrompter prompter;
    const Prompt question{PromptIcon::Question, QStringLiteral("Exit"), QStringLiteral("Quit?"),
                          PromptButtons::YesNoCancel, PromptAnswer::No};
    prompter.script(PromptAnswer::Yes);
    EXPECT_EQ(prompter.ask(question), PromptAnswer::Yes);
    EXPECT_EQ(prompter.ask(question), PromptAnswer::No);
    prompter.setFallback(PromptAnswer::Cancel);
    EXPECT_EQ(prompter.ask(question), PromptAnswer::Cancel);
    prompter.tell(PromptIcon::Critical, QStringLiteral("Please check  Server Name. "));
    ASSERT_EQ(prompter.shown.size(), 4u);
    EXPECT_EQ(prompter.shown[3].icon, PromptIcon::Critical);
    EXPECT_EQ(prompter.shown[3].text, QStringLiteral("Please check  Server Name. "));
    EXPECT_EQ(prompter.shown[3].buttons, PromptButtons::Ok);
}

} // namespace
