#include "report/IniSetting.h"

#include "report/Prompter.h"
#include "report/TextFile.h"

#include <QFileInfo>
#include <QStringList>

namespace report {

namespace {
const QString crLf = QStringLiteral("\r\n");

// Lines end in CR LF; a bare LF is taken as a line end too, so that a file edited on this
// machine does not merge its lines into one value. Trimming removes the CR of CR LF.
QStringList splitLines(const QString& text)
{
    return text.split(QLatin1Char('\n'));
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

bool IniSetting::write(const QString& path, const QString& key, const QString& value)
{
    QString copy = value;
    bool failed = false;
    access(path, key, copy, Mode::Write, &failed);
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

    QString text = TextFile::read(path, &error);
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
        if (!TextFile::write(path, text, &error))
            return fail(error, failed);
    }
    return mode == Mode::Write ? QString() : result;
}

QString IniSetting::firstLine(const QString& text)
{
    QString line = text.left(text.indexOf(QLatin1Char('\r')));
    line.remove(QLatin1Char('\r'));
    line.remove(QLatin1Char('\n'));
    return line;
}

QString IniSetting::fail(const QString& message, bool* failed)
{
    if (failed)
        *failed = true;
    m_prompter.tell(PromptIcon::Warning, message);
    return QString();
}

} // namespace report
