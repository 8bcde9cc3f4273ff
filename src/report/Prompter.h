#pragma once

#include <QString>

namespace report {

/// The icon a message box shows.
enum class PromptIcon { None, Information, Warning, Critical, Question, Exclamation };

/// The buttons a message box offers.
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };

/// The button the operator pressed (Cancel also when the box was closed without a choice).
enum class PromptAnswer { Ok, Cancel, Yes, No };

/// One message box: what it shows and which button is preselected.
struct Prompt {
    PromptIcon icon = PromptIcon::None;
    /// Shown exactly; an empty title lets the implementation show the program's name.
    QString title;
    /// Shown exactly, line breaks included.
    QString text;
    PromptButtons buttons = PromptButtons::Ok;
    /// The preselected button; must be one of `buttons`.
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

/// Message boxes and questions put to the operator; the window implements it, tests script it.
class Prompter {
public:
    virtual ~Prompter() = default;

    /// Shows the box, waits for the operator and returns the button pressed.
    virtual PromptAnswer ask(const Prompt& prompt) = 0;

    /// Shows a box with an OK button and the given icon, and waits until it is closed.
    void tell(PromptIcon icon, const QString& text, const QString& title = QString())
    {
        ask(Prompt{icon, title, text, PromptButtons::Ok, PromptAnswer::Ok});
    }
};

} // namespace report
