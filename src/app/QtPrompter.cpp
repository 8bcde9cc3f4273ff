#include "app/QtPrompter.h"

#include "app/MainWindow.h"

#include <QMessageBox>

namespace app {

namespace {

QMessageBox::Icon iconFor(report::PromptIcon icon)
{
    switch (icon) {
    case report::PromptIcon::None: return QMessageBox::NoIcon;
    case report::PromptIcon::Information: return QMessageBox::Information;
    case report::PromptIcon::Warning: return QMessageBox::Warning;
    case report::PromptIcon::Critical: return QMessageBox::Critical;
    case report::PromptIcon::Question: return QMessageBox::Question;
    // The exclamation mark and the warning sign are the same triangle on this desktop.
    case report::PromptIcon::Exclamation: return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(report::PromptButtons buttons)
{
    switch (buttons) {
    case report::PromptButtons::Ok: return QMessageBox::Ok;
    case report::PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case report::PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case report::PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton buttonFor(report::PromptAnswer answer)
{
    switch (answer) {
    case report::PromptAnswer::Ok: return QMessageBox::Ok;
    case report::PromptAnswer::Cancel: return QMessageBox::Cancel;
    case report::PromptAnswer::Yes: return QMessageBox::Yes;
    case report::PromptAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

report::PromptAnswer answerFor(int button)
{
    switch (button) {
    case QMessageBox::Ok: return report::PromptAnswer::Ok;
    case QMessageBox::Yes: return report::PromptAnswer::Yes;
    case QMessageBox::No: return report::PromptAnswer::No;
    default: return report::PromptAnswer::Cancel;
    }
}

} // namespace

QtPrompter::QtPrompter(QWidget* parent, QString programTitle)
    : m_parent(parent)
    , m_programTitle(std::move(programTitle))
{
}

report::PromptAnswer QtPrompter::ask(const report::Prompt& prompt)
{
    // Errors and warnings also go to the notice history, where they outlive the box.
    const bool serious = prompt.icon == report::PromptIcon::Critical || prompt.icon == report::PromptIcon::Warning
        || prompt.icon == report::PromptIcon::Exclamation;
    if (auto* window = qobject_cast<MainWindow*>(m_parent.data()); window && serious)
        window->addNotice(prompt.text);
    QMessageBox box(m_parent);
    box.setObjectName(QStringLiteral("prompt"));
    box.setIcon(iconFor(prompt.icon));
    box.setWindowTitle(prompt.title.isEmpty() ? m_programTitle : prompt.title);
    // Error texts carry SQL and entries such as "<None>": never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt.text);
    box.setStandardButtons(buttonsFor(prompt.buttons));
    if (box.button(buttonFor(prompt.defaultAnswer)))
        box.setDefaultButton(buttonFor(prompt.defaultAnswer));
    return answerFor(box.exec());
}

} // namespace app
