#include "report/IniSetting.h"

#include "report/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace report {

namespace {
const QString crLf = QStringLiteral("\r\n");

// Lines end in CR LF; a bare LF (a file edited on this machine) or a bare CR (an old Mac editor)
// ends a line too, so that no file merges its lines into one value.
QStringList splitLines(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineEnd);
}
} // namespace

QString IniSetting::read(const QString& path, const QString& key, const QString& defaultValue)
{
    QString value = defaultValue;
    return access(path, key, value, Mode::Read);
}

void IniSetting::write(const QString& path, const QString& key, const QString& value)
{
    QString copy = value;
    access(path, key, copy, Mode::Write);
}

QString IniSetting::access(const QString& path, const QString& key, QString& value, Mode mode)
{
    if (!QFileInfo::exists(path))
        TextFile::write(path, key + QLatin1Char('=') + value);

    TextFile::Encoding encoding = TextFile::Encoding::Utf8;
    QString text = TextFile::read(path, &encoding);

    const QString trimmedKey = key.trimmed();
    if (trimmedKey.isEmpty())
        return QString();

    bool writing = mode == Mode::Write;
    QString result;
    QStringList lines = text.trimmed().isEmpty() ? QStringList() : splitLines(text);
    bool matched = false;
    for (QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QStringList pieces = line.split(QLatin1Char('='));
        if (pieces.at(0).trimmed() != trimmedKey)
            continue;
        if (writing) {
            line = key + QLatin1Char('=') + value;
        } else {
            if (pieces.size() < 2)
                throw FileError(QStringLiteral("The line \"%1\" of %2 has no \"=\".").arg(line.trimmed(), path));
            result = pieces.at(1).trimmed();
            value = result;
        }
        matched = true;
        break;
    }
    if (!matched) {
        // A missing key (an empty file included) is added with the value given, which is the
        // default on a read.
        if (!writing) {
            writing = true;
            result = value;
        }
        lines.append(key + QLatin1Char('=') + value);
    }

    QStringList kept;
    for (const QString& line : std::as_const(lines)) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            kept.append(trimmed);
    }
    text = kept.join(crLf);

    if (writing && !text.isEmpty())
        TextFile::write(path, text, encoding);
    return mode == Mode::Write ? QString() : result;
}

QString IniSetting::firstLine(const QString& text)
{
    // The first line that holds anything, whichever line end the file uses: names on two lines
    // joined together would name a server that does not exist.
    for (const QString& line : splitLines(text))
        if (!line.isEmpty())
            return line;
    return QString();
}

} // namespace report
