// Writes 100,000 entries to one day's log, as a looping query does, and prints how long it took.
#include "report/DailyLog.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main()
{
    constexpr int count = 100000;
    QTemporaryDir dir;
    report::DailyLog log(
        dir.path(), [] { return QDateTime::currentDateTime(); }, [] { return QDate::currentDate(); },
        [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    if (!log.setCompany(QStringLiteral("BENCH")))
        return 1;

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        log.write(QStringLiteral("Looping query "), QStringLiteral("row %1").arg(i));
    const qint64 elapsed = timer.elapsed();

    QFile file(log.currentFile());
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const qint64 bytes = file.size();
    std::printf("%d log entries: %lld ms, %.1f entries/ms, file %lld bytes\n", count, static_cast<long long>(elapsed),
                elapsed > 0 ? double(count) / double(elapsed) : 0.0, static_cast<long long>(bytes));
    // An empty file means nothing was written: the time would measure nothing.
    return bytes > 0 ? 0 : 3;
}
