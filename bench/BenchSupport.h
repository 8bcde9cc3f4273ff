#pragma once
// What the benchmarks share: boxes answered without a person, a reporter that says only what
// failed, a network that is always there, and the figures' arithmetic.
#include "db/Backend.h"
#include "report/Prompter.h"
#include "tools/demo/DemoBuilder.h"
#include "report/Reporter.h"
#include "upload/Connectivity.h"

#include <QDate>
#include <QElapsedTimer>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

/// Round trips to head office and to the branch, so far or between two moments.
struct Trips {
    long long headOffice = 0;
    long long branch = 0;
    /// Statements the branch ran on head office's tables through the linked server.
    long long branchLinked = 0;
    Trips operator-(const Trips& o) const { return {headOffice - o.headOffice, branch - o.branch, branchLinked - o.branchLinked}; }
};

/// One statement a connection sent, as the observer saw it.
struct SentStatement {
    bool headOffice = false;
    db::RoundTrip kind = db::RoundTrip::Statement;
    QString sql;
};

/// Counts each connection's round trips (logins, statements, begin, commit and rollback), keeps
/// what was sent while asked to, and can put head office `headOfficeDelayMs` away: it waits that
/// long before each round trip on a head-office connection, as an internet link would.
class RoundTrips : public db::RoundTripObserver {
public:
    void beforeRoundTrip(const db::ConnectionInfo& info, db::RoundTrip kind, const QString& sql) override
    {
        const bool head = info.dataSource.compare(tools::DemoBuilder::headOfficeDataSource(), Qt::CaseInsensitive) == 0;
        if (head) {
            ++m_trips.headOffice;
            if (headOfficeDelayMs > 0)
                QThread::msleep(headOfficeDelayMs);
        } else {
            ++m_trips.branch;
            if (sql.contains(QLatin1Char('[') + tools::DemoBuilder::headOfficeDataSource() + QStringLiteral("].")))
                ++m_trips.branchLinked;
        }
        if (recording)
            sent.push_back({head, kind, sql});
    }
    Trips now() const { return m_trips; }
    unsigned long headOfficeDelayMs = 0;
    bool recording = false;
    std::vector<SentStatement> sent;

private:
    Trips m_trips;
};

/// The round trips of `t` per `per` of something (a voucher, a row), to three significant digits.
inline QString perUnit(const Trips& t, double per)
{
    return QStringLiteral("%1 to head office, %2 to the branch (%3 of them reading head office through the linked server)")
        .arg(double(t.headOffice) / per, 0, 'g', 3)
        .arg(double(t.branch) / per, 0, 'g', 3)
        .arg(double(t.branchLinked) / per, 0, 'g', 3);
}

/// Remembers each figure that was not measured, so that the benchmark exits non-zero.
class Verdict {
public:
    /// Records `what` as not measured unless `measured` holds; returns `measured`.
    bool require(bool measured, const char* what)
    {
        if (!measured) {
            std::printf("NOT MEASURED: %s\n", what);
            ++m_missing;
        }
        return measured;
    }
    /// Records a figure that is NaN, infinite or not above zero as not measured.
    bool requireFigure(double value, const char* what) { return require(std::isfinite(value) && value > 0, what); }
    /// 3 when a figure was not measured, else 2 when a target was missed, else 0.
    int exitCode(bool targetsMet) const { return m_missing ? 3 : (targetsMet ? 0 : 2); }

private:
    int m_missing = 0;
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
