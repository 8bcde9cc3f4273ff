#pragma once
// What the benchmarks share: boxes answered without a person, a reporter that says only what
// failed, a network that is always there, and the figures' arithmetic.
#include "report/Prompter.h"
#include "tools/demo/DemoBuilder.h"
#include "report/Reporter.h"
#include "upload/Connectivity.h"

#include <QDate>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

/// Benchmarks run without a display unless a platform is asked for.
inline void runOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

/// The small demo servers in `folder`, with vouchers up to `today`.
inline void buildSmallDemo(const QString& folder, const QDate& today)
{
    tools::DemoOptions options;
    options.size = tools::DemoSize::small();
    options.today = today;
    tools::DemoBuilder(folder, options).build();
}

/// Answers every box with its default button, prints it and counts them.
class SilentPrompter : public report::Prompter {
public:
    report::PromptAnswer ask(const report::Prompt& prompt) override
    {
        ++boxes;
        std::printf("  box: %s\n", qPrintable(prompt.text.left(200)));
        return prompt.defaultAnswer;
    }
    int boxes = 0;
};

/// Shows nothing and logs nothing; prints a notification, which only a failure raises.
class QuietReporter : public report::Reporter {
public:
    void status(const QString&) override {}
    void progress(const QString&) override {}
    void log(const QString&, const QString&) override {}
    void processEvents() override {}
    void progressRange(const QString&, qint64, qint64) override {}

protected:
    void showBalloon(const QString& text) override { std::printf("  notice: %s\n", qPrintable(text.left(200))); }
};

class AlwaysConnected : public upload::Connectivity {
public:
    bool isWebConnected() override { return true; }
};

inline double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/// The process's peak resident memory so far.
inline long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace bench
