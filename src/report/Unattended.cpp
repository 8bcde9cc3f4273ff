#include "report/Unattended.h"

namespace report {

const QString Unattended::messageTag = QStringLiteral("Message");

Unattended::Unattended(Reporter& operatorReporter)
    : m_reporter(operatorReporter)
{
}

void Unattended::beginRound()
{
    m_thisRound.clear();
    m_inRound = true;
}

void Unattended::endRound()
{
    m_lastRound = m_thisRound;
    m_thisRound.clear();
    m_inRound = false;
}

bool Unattended::firstOfItsRun(const QString& text)
{
    ++m_notified;
    const bool seen = m_lastRound.contains(text) || m_thisRound.contains(text);
    m_thisRound.insert(text);
    // Outside a round every text counts as part of the last one, so nothing repeats unbounded.
    if (!m_inRound)
        m_lastRound.insert(text);
    return !seen;
}

void Unattended::showBalloon(const QString& text)
{
    if (firstOfItsRun(text))
        m_reporter.unattendedBalloon(text);
}

PromptAnswer Unattended::ask(const Prompt& prompt)
{
    if (firstOfItsRun(prompt.text)) {
        m_reporter.log(messageTag, prompt.text);
        m_reporter.unattendedBalloon(prompt.text);
    }
    switch (prompt.buttons) {
    case PromptButtons::Ok:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
        return PromptAnswer::No;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
        return PromptAnswer::Cancel;
    }
    return PromptAnswer::Cancel;
}

} // namespace report
