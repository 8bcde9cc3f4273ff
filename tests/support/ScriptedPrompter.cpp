#include "ScriptedPrompter.h"

namespace support {

report::PromptAnswer ScriptedPrompter::ask(const report::Prompt& prompt)
{
    shown.push_back(prompt);
    if (!m_script.empty()) {
        const report::PromptAnswer answer = m_script.front();
        m_script.pop_front();
        return answer;
    }
    return m_fallback.value_or(prompt.defaultAnswer);
}

void ScriptedPrompter::script(report::PromptAnswer answer)
{
    m_script.push_back(answer);
}

void ScriptedPrompter::setFallback(report::PromptAnswer answer)
{
    m_fallback = answer;
}

} // namespace support
