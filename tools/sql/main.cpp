#include "tools/sql/SqlRunner.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

// mirtane-sql [--program-folder DIR] "CONNECTION TEXT" ["STATEMENT"]
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The rows are a format for programs: every line ends in "\n" alone on every system, as the
    // header line and the escaped values say, not in the CR LF that Windows' text mode would make.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString usage = QStringLiteral(
        "Usage: mirtane-sql [--program-folder DIR] \"CONNECTION TEXT\" [\"STATEMENT\"]\n"
        "Runs one statement, or without STATEMENT the statements read from standard input (one per\n"
        "line, or batches separated by lines holding only GO; the first failure stops the run).\n"
        "A query prints a header line of name:typecode pairs and its rows, tab-separated (NULL for\n"
        "nulls; backslash, tab, CR and LF escaped as \\\\, \\t, \\r, \\n); other statements print\n"
        "\"(N rows affected)\". Failures go to standard error and the exit code is 1.\n"
        "  --program-folder DIR   where embedded:NAME servers live (DIR/servers/NAME);\n"
        "                         default: the folder of this program\n");

    QString programFolder = QCoreApplication::applicationDirPath();
    QStringList positional;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << usage;
            return 0;
        } else if (arg == QLatin1String("--program-folder") && i + 1 < args.size()) {
            programFolder = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "Unknown option: " << arg << "\n" << usage;
            return 2;
        } else {
            positional << arg;
        }
    }
    if (positional.isEmpty() || positional.size() > 2) {
        err << usage;
        return 2;
    }

    db::Connection connection(db::ConnectionContext{programFolder});
    try {
        connection.open(positional.at(0));
    } catch (const db::DbError& e) {
        err << e.message() << "\n";
        return 1;
    }

    tools::SqlRunner runner(connection, out, err);
    if (positional.size() == 2)
        return runner.run(positional.at(1)) ? 0 : 1;

    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        err << "Cannot read standard input.\n";
        return 1;
    }
    for (const QString& statement : tools::SqlRunner::splitScript(QString::fromUtf8(input.readAll())))
        if (!runner.run(statement))
            return 1;
    return 0;
}
