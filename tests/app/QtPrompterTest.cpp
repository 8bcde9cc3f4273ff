#include "app/QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Message boxes as the operator sees them: icon, title, exact text, buttons, default, answer.
class QtPrompterTest : public ::testing::Test {
protected:
    QWidget owner;
    app::QtPrompter prompter{&owner};

    // Runs `look` on the box once it is open, then presses `press` (or Escape when NoButton).
    report::PromptAnswer askAndPress(const report::Prompt& prompt, QMessageBox::StandardButton press,
                                     const std::function<void(QMessageBox&)>& look = {})
    {
        bool seen = false;
        std::function<void()> poll;
        poll = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(5, poll);
                return;
            }
            seen = true;
            if (look)
                look(*box);
            if (press == QMessageBox::NoButton)
                box->reject();
            else
                box->button(press)->click();
        };
        QTimer::singleShot(0, poll);
        const report::PromptAnswer answer = prompter.ask(prompt);
        EXPECT_TRUE(seen);
        return answer;
    }
};

TEST_F(QtPrompterTest, WarningShowsItsTextExactlyAndAnEmptyTitleShowsTheProgramName)
{
    const QString text = QStringLiteral("Tax mode <None> is not in use\nselect * from tblSales where a<b");
    askAndPress({report::PromptIcon::Warning, QStringLiteral("Mirtane"), text}, QMessageBox::Ok, [&](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.text(), text);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    });
    // An empty title shows the program name.
    askAndPress({report::PromptIcon::Information, QString(), QStringLiteral("MIgration Over")}, QMessageBox::Ok,
                [](QMessageBox& box) {
                    EXPECT_EQ(box.windowTitle(), "Mirtane");
                    EXPECT_EQ(box.icon(), QMessageBox::Information);
                });
    askAndPress({report::PromptIcon::Critical, QStringLiteral("Easy"), QStringLiteral("x")}, QMessageBox::Ok,
                [](QMessageBox& box) { EXPECT_EQ(box.windowTitle(), "Easy"); });
}

TEST_F(QtPrompterTest, QuestionReturnsTheButtonPressedPreselectsTheDefaultAndEscapeCancels)
{
    const report::Prompt question{report::PromptIcon::Question, QString(), QStringLiteral("Do you want to exit?"),
                                  report::PromptButtons::YesNo, report::PromptAnswer::No};
    const auto yes = askAndPress(question, QMessageBox::Yes, [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
    });
    EXPECT_EQ(yes, report::PromptAnswer::Yes);
    EXPECT_EQ(askAndPress(question, QMessageBox::No), report::PromptAnswer::No);

    const report::Prompt save{report::PromptIcon::Exclamation, QString(), QStringLiteral("Save?"),
                                  report::PromptButtons::YesNoCancel, report::PromptAnswer::Cancel};
    EXPECT_EQ(askAndPress(save, QMessageBox::Cancel, [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Warning);
                  EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
              }),
              report::PromptAnswer::Cancel);
    EXPECT_EQ(askAndPress(save, QMessageBox::NoButton), report::PromptAnswer::Cancel);
}

} // namespace
