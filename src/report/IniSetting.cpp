#include "report/IniSetting.h"

#include "report/Prompter.h"
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

IniSetting::IniSetting(Prompter& prompter)
    : m_prompter(prompter)
{
}

QString IniSetting::read(const QString& path, const QString& key, const QString& defaultValue)
{
    QString value = defaultValue;
    return access(path, key, value, Mode::Read);
}

QString IniSetting::read(const QString& path, const QString& key, const QString& defaultValue, QString* error)
{
    QString value = defaultValue;
    m_quietError = error;
    const QString result = access(path, key, value, Mode::Read);
    m_quietError = nullptr;
    return result;
}

bool IniSetting::write(const QString& path, const QString& key, const QString& value, QString* error)
{
    QString copy = value;
    bool failed = false;
    m_quietError = error;
    access(path, key, copy, Mode::Write, &failed);
    m_quietError = nullptr;
    return !failed;
}

QString IniSetting::access(const QString& path, const QString& key, QString& value, Mode mode, bool* failed)
{
    if (failed)
        *failed = false;
    QString error;
    if (!QFileInfo::exists(path)) {
        if (!TextFile::write(path, key + QLatin1Char('=') + value, &error))
            return fail(error, failed);
    }

    TextFile::Encoding encoding = TextFile::Encoding::Utf8;
    QString text = TextFile::read(path, &error, &encoding);
    if (!error.isEmpty())
        return fail(error, failed);

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
                return fail(QStringLiteral("The line \"%1\" of %2 has no \"=\".").arg(line.trimmed(), path), failed);
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

    if (writing && !text.isEmpty()) {
        if (!TextFile::write(path, text, &error, encoding))
            return fail(error, failed);
    }
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

QString IniSetting::fail(const QString& message, bool* failed)
{
    if (failed)
        *failed = true;
    if (m_quietError)
        *m_quietError = message;
    else
        m_prompter.tell(PromptIcon::Warning, message);
    return QString();
}

} // namespace report
