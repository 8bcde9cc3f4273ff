#include "tools/sql/SqlRunner.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <QTextStream>

namespace tools {

namespace {

// The first words of the statement, upper-cased, with comments, blanks and "(" skipped.
QStringList leadingWords(const QString& statement, int count)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = statement.size();
    while (i < n && words.size() < count) {
        const QChar c = statement.at(i);
        if (c.isSpace() || c == QLatin1Char('(') || c == QLatin1Char(';')) {
            ++i;
        } else if (statement.mid(i, 2) == QLatin1String("--")) {
            while (i < n && statement.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (statement.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = statement.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            qsizetype start = i;
            while (i < n && !statement.at(i).isSpace() && statement.at(i) != QLatin1Char('(') && statement.at(i) != QLatin1Char(';'))
                ++i;
            words << statement.mid(start, i - start).toUpper();
        }
    }
    return words;
}

} // namespace

SqlRunner::SqlRunner(db::Connection& connection, QTextStream& out, QTextStream& err)
    : m_connection(connection)
    , m_out(out)
    , m_err(err)
{
}

QStringList SqlRunner::splitScript(const QString& script)
{
    QString text = script;
    text.remove(QLatin1Char('\r'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    const auto isGo = [](const QString& line) { return line.trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0; };
    QStringList statements;
    if (std::any_of(lines.begin(), lines.end(), isGo)) {
        QStringList batch;
        const auto flush = [&] {
            const QString joined = batch.join(QLatin1Char('\n')).trimmed();
            if (!joined.isEmpty())
                statements << joined;
            batch.clear();
        };
        for (const QString& line : lines) {
            if (isGo(line))
                flush();
            else
                batch << line;
        }
        flush();
        return statements;
    }
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1String("--")))
            statements << trimmed;
    }
    return statements;
}

bool SqlRunner::returnsRows(const QString& statement)
{
    const QStringList words = leadingWords(statement, 2);
    if (words.isEmpty())
        return false;
    if (words.first() == QLatin1String("SELECT") || words.first() == QLatin1String("WITH"))
        return true;
    if ((words.first() == QLatin1String("EXEC") || words.first() == QLatin1String("EXECUTE")) && words.size() > 1) {
        const QString procedure = words.at(1).section(QLatin1Char('.'), -1).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        static const QStringList reporting = {QStringLiteral("SP_HELP"), QStringLiteral("SP_TABLES"), QStringLiteral("SP_COLUMNS"),
                                              QStringLiteral("SP_WHO"), QStringLiteral("SP_DATABASES"), QStringLiteral("SP_LINKEDSERVERS"),
                                              QStringLiteral("SP_SERVER_INFO")};
        for (const QString& name : reporting)
            if (procedure.startsWith(name))
                return true;
    }
    return false;
}

QString SqlRunner::cellText(const QString& text, bool isNull)
{
    if (isNull)
        return QStringLiteral("NULL");
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool SqlRunner::run(const QString& statement)
{
    try {
        if (returnsRows(statement)) {
            printRows(statement);
        } else {
            const long long affected = m_connection.execute(statement);
            m_out << "(" << (affected < 0 ? 0 : affected) << " rows affected)\n";
        }
        m_out.flush();
        return true;
    } catch (const db::DbError& e) {
        m_out.flush();
        m_err << e.message() << "\n";
        m_err.flush();
        return false;
    }
}

void SqlRunner::printRows(const QString& statement)
{
    db::Recordset rows = m_connection.openRecordset(statement);
    QStringList header;
    for (const db::Column& column : rows.columns())
        header << QStringLiteral("%1:%2").arg(column.name).arg(column.typeCode);
    m_out << header.join(QLatin1Char('\t')) << "\n";
    const int columns = rows.fieldCount();
    while (!rows.eof()) {
        QStringList cells;
        for (int i = 0; i < columns; ++i) {
            const db::Field field = rows.field(i);
            cells << cellText(field.text(), field.isNull());
        }
        m_out << cells.join(QLatin1Char('\t')) << "\n";
        rows.moveNext();
    }
}

} // namespace tools
