#pragma once

#include "report/Reporter.h"

#include <QString>

namespace report {

/// Moves the progress bar of one long piece of work through `total` steps and finishes it when it
/// goes out of scope, so an early return or an exception never leaves the bar standing.
class ProgressSteps {
public:
    /// Shows `name` at 0 of `total`; a total of 0 or less shows nothing.
    ProgressSteps(Reporter& reporter, QString name, qint64 total)
        : m_reporter(reporter)
        , m_name(std::move(name))
        , m_total(total)
    {
        if (m_total > 0)
            m_reporter.progressRange(m_name, 0, m_total);
    }
    ProgressSteps(const ProgressSteps&) = delete;
    ProgressSteps& operator=(const ProgressSteps&) = delete;
    /// Finishes the bar if the work did not.
    ~ProgressSteps() { finish(); }

    /// Moves to `done` of the total. A row loop may call it for every row: the bar only moves
    /// when the whole percent changes, so a million rows cost a hundred repaints, not a million.
    void moveTo(qint64 done)
    {
        if (m_finished || m_total <= 0)
            return;
        const qint64 percent = done * 100 / m_total;
        if (done != m_total && percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        m_reporter.progressRange(m_name, done, m_total);
        m_finished = done >= m_total;
    }
    /// Shows the work as done (total of total), once.
    void finish()
    {
        if (m_finished || m_total <= 0)
            return;
        m_finished = true;
        m_reporter.progressRange(m_name, m_total, m_total);
    }

private:
    Reporter& m_reporter;
    QString m_name;
    qint64 m_total = 0;
    qint64 m_lastPercent = 0;
    bool m_finished = false;
};

} // namespace report
