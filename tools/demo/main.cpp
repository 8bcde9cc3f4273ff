#include "tools/demo/DemoBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <exception>

// mirtane-demo PROGRAM_FOLDER [--seed N] [--force] [--small]
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString usage = QStringLiteral(
        "Usage: mirtane-demo PROGRAM_FOLDER [--seed N] [--force] [--small]\n"
        "Creates the demo servers BR (branch, SUB01) and HO (head office, MAIN01) under\n"
        "PROGRAM_FOLDER/servers and the settings files in PROGRAM_FOLDER/Resources.\n"
        "  --seed N   the same seed gives the same data (default 1)\n"
        "  --force    replace demo servers that already exist\n"
        "  --small    a few of everything instead of thousands of vouchers\n");

    tools::DemoOptions options;
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << usage;
            return 0;
        } else if (arg == QLatin1String("--force")) {
            options.replaceExisting = true;
        } else if (arg == QLatin1String("--small")) {
            options.size = tools::DemoSize::small();
        } else if (arg == QLatin1String("--seed") && i + 1 < args.size()) {
            bool ok = false;
            options.seed = args.at(++i).toUInt(&ok);
            if (!ok) {
                err << "The seed must be a whole number from 0 to 4294967295.\n" << usage;
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

    try {
        tools::DemoBuilder builder(QDir(folder).absolutePath(), options);
        for (const QString& line : builder.build())
            out << line << "\n";
        out << "Demo ready (seed " << options.seed << ").\n";
    } catch (const std::exception& e) {
        err << "mirtane-demo: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
