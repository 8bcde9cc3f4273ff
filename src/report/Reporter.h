#pragma once

#include <QString>

namespace report {

/// What every operation reports through: the two status lines, the daily log, notifications.
class Reporter {
public:
    virtual ~Reporter() = default;

    /// Shows the current step on the main status line (lblStatusMain) and lets the window repaint.
    virtual void status(const QString& text) = 0;
    /// Shows the current row or statement on the progress line (lblStatus) and lets the window repaint.
    virtual void progress(const QString& text) = 0;
    /// Appends the entry "[date time]" TAB tag TAB text to the daily log.
    virtual void log(const QString& tag, const QString& text) = 0;
    /// Lets the window repaint and handle pending events between rows of a long operation.
    virtual void processEvents() = 0;
    /// Moves the progress bar of a long piece of work named `name` to `done` of `total`.
    virtual void progressRange(const QString& name, qint64 done, qint64 total) = 0;

    /// Shows `text` to the operator without stopping the operation; a text of only blanks shows nothing.
    void balloon(const QString& text)
    {
        // The blank rule lives here so that no implementation can forget it.
        if (text.trimmed().isEmpty())
            return;
        showBalloon(text);
    }

protected:
    /// Shows a notification whose text is not blank (notifier program, tray balloon or notice strip).
    virtual void showBalloon(const QString& text) = 0;
};

} // namespace report
