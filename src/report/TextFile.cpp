#include "report/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace report {

namespace {
void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString fileError(const QString& what, const QString& path, const QFile& file)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, file.errorString());
}
} // namespace

QString TextFile::separator()
{
    return QLatin1Char('*') + QString(100, QLatin1Char('=')) + QLatin1Char('*');
}

QByteArray TextFile::logBlock(const QString& text)
{
    return QByteArrayLiteral("\r\n") + separator().toLatin1() + QByteArrayLiteral("\r\n") + text.toUtf8();
}

QString TextFile::decode(const QByteArray& bytes)
{
    // The files are 8-bit text. What this program writes is UTF-8; files written by hand
    // on an older machine may be Latin-1, which never fails to decode, so it is the fallback.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString TextFile::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, fileError(QStringLiteral("Cannot read"), path, file));
        return QString();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, fileError(QStringLiteral("Cannot read"), path, file));
        return QString();
    }
    return decode(bytes);
}

bool TextFile::write(const QString& path, const QString& text, QString* error)
{
    // Written beside the old file and renamed over it, so a full disk or a crash never leaves
    // a settings file half written.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool TextFile::appendBlock(const QString& path, const QString& text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        setError(error, fileError(QStringLiteral("Cannot write"), path, file));
        return false;
    }
    const QByteArray bytes = logBlock(text);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        setError(error, fileError(QStringLiteral("Cannot write"), path, file));
        return false;
    }
    return true;
}

} // namespace report
