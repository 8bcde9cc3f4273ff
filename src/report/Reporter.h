#pragma once

// How a failure reaches the operator. Below an operation, a failure is an exception that says what
// failed: db::DbError for whatever a server or the embedded engine refused (its message, SQLSTATE
// and native code), report::FileError for a file that cannot be read or written, std::runtime_error
// with a plain message for the program's own refusals. Such code opens no box, raises no
// notification and returns no error text beside its result; the row, voucher and bulk copies throw
// what ends them and only report, as they must, each single row they could not write. An operation
// (a class the window's controllers or the timer call: StartUp, Connect, FullSync, SettingsSync,
// TransformationRun, MasterUpload, the filters, the counts and the mismatch search; also the linked
// server, the server clock and the user log, whose question or box is part of what they do) catches
// them at one place and decides, as its behaviour demands, what the operator sees: a box through
// the Prompter when the operator started it and must answer or acknowledge, a notification through
// Reporter::balloon when the work goes on, an entry in the daily log always. The operation never
// knows who is watching: its caller hands it the reporter and prompter that fit, and work the timer
// starts gets report::Unattended, which turns boxes into notices, answers questions with the answer
// that changes nothing and notifies a repeated message once. The controllers in src/app catch only
// what escapes an operation, and show it as a notification.

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

    /// Shows `text` as balloon() does, for work nobody may be watching: nothing that showing it
    /// meets (a notifier program that cannot start) waits for an answer.
    void unattendedBalloon(const QString& text)
    {
        if (text.trimmed().isEmpty())
            return;
        showUnattendedBalloon(text);
    }

protected:
    /// Shows a notification whose text is not blank (notifier program, tray balloon or notice strip).
    virtual void showBalloon(const QString& text) = 0;
    /// Shows a notification of unattended work; the same as showBalloon unless that could wait.
    virtual void showUnattendedBalloon(const QString& text) { showBalloon(text); }
};

} // namespace report
