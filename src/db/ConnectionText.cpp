#include "db/ConnectionText.h"

#include "db/DbError.h"

namespace db {

namespace {
const QString formatError = QStringLiteral(
    "The connection text is malformed");

const QLatin1String embeddedPrefix("embedded:");

QString normalisedKey(const QString& key)
{
    return key.simplified().toLower();
}
} // namespace

bool ConnectionInfo::isEmbedded() const
{
    return ConnectionText::isEmbeddedSource(dataSource);
}

namespace ConnectionText {

ConnectionInfo parse(const QString& text)
{
    ConnectionInfo info;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Key: up to "=".
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A piece without "=": only blanks are allowed there.
            const qsizetype end = semi < 0 ? n : semi;
            if (!text.mid(i, end - i).trimmed().isEmpty())
                throw DbError(formatError + QStringLiteral(": \"") + text.mid(i, end - i).trimmed()
                                  + QStringLiteral("\" has no value."),
                              QStringLiteral("IM002"), 0);
            i = end + 1;
            continue;
        }
        const QString key = normalisedKey(text.mid(i, eq - i));
        if (key.isEmpty())
            throw DbError(formatError + QStringLiteral(": a value has no key."), QStringLiteral("IM002"), 0);
        i = eq + 1;
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                throw DbError(formatError + QStringLiteral(": the value of \"") + key
                                  + QStringLiteral("\" has no closing quote."),
                              QStringLiteral("IM002"), 0);
            while (i < n && text[i].isSpace())
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                throw DbError(formatError + QStringLiteral(": text after the quoted value of \"") + key
                                  + QStringLiteral("\"."),
                              QStringLiteral("IM002"), 0);
            ++i;
        } else {
            const qsizetype end = semi < 0 ? n : semi;
            value = text.mid(i, end - i).trimmed();
            i = end + 1;
        }
        info.attributes.insert(key, value);
    }
    auto pick = [&info](std::initializer_list<const char*> keys) {
        for (const char* k : keys) {
            const auto it = info.attributes.constFind(QLatin1String(k));
            if (it != info.attributes.constEnd())
                return it.value();
        }
        return QString();
    };
    info.provider = pick({"provider"});
    info.dataSource = pick({"data source", "server", "address", "addr"});
    info.catalog = pick({"initial catalog", "database"});
    info.user = pick({"user id", "uid", "user"});
    info.password = pick({"password", "pwd"});
    return info;
}

QString quoteValue(const QString& value)
{
    const bool needs = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\'')) || value != value.trimmed();
    if (!needs)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool isEmbeddedSource(const QString& dataSource)
{
    return dataSource.startsWith(embeddedPrefix, Qt::CaseInsensitive);
}

QString embeddedServer(const QString& dataSource)
{
    const QString name = dataSource.trimmed();
    return isEmbeddedSource(name) ? name.mid(embeddedPrefix.size()).trimmed() : name;
}

} // namespace ConnectionText
} // namespace db
