#pragma once

#include "report/Prompter.h"

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

namespace app {

/// Puts the program's message boxes and questions to the operator with QMessageBox.
class QtPrompter : public report::Prompter {
public:
    /// Boxes are centred on `parent` (may be null); a prompt without a title shows `programTitle`.
    explicit QtPrompter(QWidget* parent, QString programTitle = QStringLiteral("Mirtane"));

    /// Shows the box modally and returns the button pressed; a box closed without a choice answers Cancel.
    report::PromptAnswer ask(const report::Prompt& prompt) override;

private:
    QPointer<QWidget> m_parent;
    QString m_programTitle;
};

} // namespace app
