#include "tools/demo/SchemaScript.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <QFile>

namespace tools {

namespace {

QString resourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("The schema script %1 is missing from the program.").arg(path));
    return QString::fromUtf8(file.readAll());
}

bool holdsStatement(const QString& batch)
{
    for (const QString& line : batch.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1String("--")))
            return true;
    }
    return false;
}

} // namespace

QString SchemaScript::startup()
{
    return resourceText(QStringLiteral(":/mirtane/demo/startup.sql"));
}

QString SchemaScript::company()
{
    return resourceText(QStringLiteral(":/mirtane/demo/company.sql"));
}

QStringList SchemaScript::batches(const QString& script)
{
    QStringList result;
    QStringList current;
    const auto flush = [&] {
        const QString batch = current.join(QLatin1Char('\n'));
        if (holdsStatement(batch))
            result << batch.trimmed();
        current.clear();
    };
    QString text = script;
    text.remove(QLatin1Char('\r'));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0)
            flush();
        else
            current << line;
    }
    flush();
    return result;
}

void SchemaScript::run(db::Connection& connection, const QString& script)
{
    for (const QString& batch : batches(script))
        connection.execute(batch);
}

} // namespace tools
