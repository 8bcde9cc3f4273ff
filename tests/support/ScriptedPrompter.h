#pragma once

#include "report/Prompter.h"

#include <deque>
#include <vector>

namespace support {

/// A prompter that answers from a script and records every box it was asked to show.
class ScriptedPrompter : public report::Prompter {
public:
    /// Answers with the next scripted answer; when none is left, with the box's default button.
    report::PromptAnswer ask(const report::Prompt& prompt) override
    {
        shown.push_back(prompt);
        if (m_script.empty())
            return prompt.defaultAnswer;
        const report::PromptAnswer answer = m_script.front();
        m_script.pop_front();
        return answer;
    }

    /// Queues the answer to the next box not yet answered.
    void script(report::PromptAnswer answer) { m_script.push_back(answer); }

    /// Every box shown, in order.
    std::vector<report::Prompt> shown;

private:
    std::deque<report::PromptAnswer> m_script;
};

} // namespace support
