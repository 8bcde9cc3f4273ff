#pragma once

#include "report/Prompter.h"

#include <deque>
#include <optional>
#include <vector>

namespace support {

/// A prompter that answers from a script and records every box it was asked to show.
class ScriptedPrompter : public report::Prompter {
public:
    /// Answers with the next scripted answer; when none is left, with the fallback answer if
    /// one is set, else with the box's default button.
    report::PromptAnswer ask(const report::Prompt& prompt) override;

    /// Queues the answer to the next box not yet answered.
    void script(report::PromptAnswer answer);
    /// The answer to every box once the script is used up.
    void setFallback(report::PromptAnswer answer);

    /// Every box shown, in order.
    std::vector<report::Prompt> shown;

private:
    std::deque<report::PromptAnswer> m_script;
    std::optional<report::PromptAnswer> m_fallback;
};

} // namespace support
