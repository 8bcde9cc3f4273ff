#pragma once

#include "report/Prompter.h"
#include "report/Reporter.h"

#include <QSet>
#include <QString>

namespace report {

/// What unattended work (the sync timer's ticks) reports through: everything goes on to the
/// operator's reporter, but a notification is shown once per distinct text while it keeps coming
/// back, and message boxes never open: their text becomes such a notification and a log entry.
/// A round is one tick; a text that a whole round did not repeat is shown again when it returns.
class Unattended : public Reporter, public Prompter {
public:
    explicit Unattended(Reporter& operatorReporter);

    /// Starts a round: texts shown in the last round stay quiet while they repeat in this one.
    void beginRound();
    /// Ends the round: texts this round did not repeat are forgotten.
    void endRound();

    void status(const QString& text) override { m_reporter.status(text); }
    void progress(const QString& text) override { m_reporter.progress(text); }
    void log(const QString& tag, const QString& text) override { m_reporter.log(tag, text); }
    void processEvents() override { m_reporter.processEvents(); }
    void progressRange(const QString& name, qint64 done, qint64 total) override { m_reporter.progressRange(name, done, total); }

    /// Never waits: logs the box's text and notifies it (once while it repeats), and answers the
    /// choice that changes nothing: OK, Cancel or No.
    PromptAnswer ask(const Prompt& prompt) override;

    /// Log tag of a message box that unattended work did not open.
    static const QString messageTag;

protected:
    void showBalloon(const QString& text) override;

private:
    /// True the first time `text` comes in a run of rounds that all repeat it.
    bool firstOfItsRun(const QString& text);

    Reporter& m_reporter;
    QSet<QString> m_lastRound;
    QSet<QString> m_thisRound;
    bool m_inRound = false;
};

} // namespace report
