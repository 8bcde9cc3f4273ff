#include "tools/demo/DemoBuilder.h"
#include "tools/simulator/ActivitySimulator.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/embedded/EmbeddedServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <exception>

// mirtane-simulator PROGRAM_FOLDER [--rate N] [--seconds S] [--changes C]
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString usage = QStringLiteral(
        "Usage: mirtane-simulator PROGRAM_FOLDER [--rate N] [--seconds S] [--changes C]\n"
        "Makes ERP-like changes in the demo head office (HO, MAIN01) under PROGRAM_FOLDER while it runs:\n"
        "new and edited ledgers and items, new and deleted categories, new sales vouchers with items.\n"
        "  --rate N     changes per second, 1 to 100 (default 2)\n"
        "  --seconds S  stop after S seconds, 1 to 86400 (default 60)\n"
        "  --changes C  stop sooner, after C changes, 1 to 1000000 (default: no limit)\n");

    QString folder;
    int rate = 2;
    int seconds = 60;
    int limit = 0;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const auto whole = [&](int low, int high, int& into) {
            bool ok = false;
            const int value = i + 1 < args.size() ? args.at(++i).toInt(&ok) : 0;
            if (!ok || value < low || value > high)
                return false;
            into = value;
            return true;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << usage;
            return 0;
        } else if (arg == QLatin1String("--rate")) {
            if (!whole(1, 100, rate)) {
                err << "The rate must be a whole number from 1 to 100.\n" << usage;
                return 2;
            }
        } else if (arg == QLatin1String("--seconds")) {
            if (!whole(1, 86400, seconds)) {
                err << "The seconds must be a whole number from 1 to 86400.\n" << usage;
                return 2;
            }
        } else if (arg == QLatin1String("--changes")) {
            if (!whole(1, 1000000, limit)) {
                err << "The changes must be a whole number from 1 to 1000000.\n" << usage;
                return 2;
            }
        } else if (!arg.startsWith(QLatin1String("--")) && folder.isEmpty()) {
            folder = arg;
        } else {
            err << "Unknown argument: " << arg << "\n" << usage;
            return 2;
        }
    }
    if (folder.isEmpty()) {
        err << usage;
        return 2;
    }

    const QString programFolder = QDir(folder).absolutePath();
    // Opening a missing embedded server would make an empty one; say what is missing instead.
    const QString serverFolder =
        db::embedded::EmbeddedServer::folderFor(tools::DemoBuilder::headOfficeDataSource(), programFolder);
    if (!QFileInfo(serverFolder).isDir()) {
        err << "mirtane-simulator: no demo head office in " << QDir::toNativeSeparators(programFolder)
            << " (run mirtane-demo first).\n";
        return 1;
    }
    try {
        db::Connection headOffice(db::ConnectionContext{programFolder});
        headOffice.open(tools::DemoBuilder::connectionText(tools::DemoBuilder::headOfficeDataSource(), tools::DemoBuilder::mainCompany()));
        tools::ActivitySimulator simulator(headOffice, QDate::currentDate(), std::uint32_t(QDateTime::currentMSecsSinceEpoch()));
        out << "Simulating the head office for " << seconds << " s at " << rate << " changes per second.\n";
        out.flush();

        QElapsedTimer clock;
        clock.start();
        const qint64 end = qint64(seconds) * 1000;
        int changes = 0;
        for (qint64 next = 0; clock.elapsed() < end && (limit == 0 || changes < limit); next += 1000 / rate) {
            if (next > clock.elapsed())
                QThread::msleep(static_cast<unsigned long>(std::min(next, end) - clock.elapsed()));
            if (clock.elapsed() >= end)
                break;
            out << text::DateText::timeAmPm(QTime::currentTime()) << "  " << simulator.step() << "\n";
            out.flush();
            ++changes;
        }
        out << changes << " changes made.\n";
    } catch (const std::exception& e) {
        err << "mirtane-simulator: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
