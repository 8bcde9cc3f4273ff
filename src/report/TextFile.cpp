#include "report/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace report {

namespace {
FileError cannotRead(const QString& path, const QFile& file)
{
    return FileError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
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

QString TextFile::decode(const QByteArray& bytes, Encoding* encoding)
{
    auto found = [encoding](Encoding e) {
        if (encoding)
            *encoding = e;
    };
    // A file saved as "Unicode" by a Windows editor is UTF-16 after its byte-order mark; read as
    // 8-bit text it would come back as mojibake with a NUL after every letter.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        found(little ? Encoding::Utf16LE : Encoding::Utf16BE);
        QStringDecoder utf16(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        return utf16(bytes.mid(2));
    }
    // What this program writes is UTF-8; files written by hand on an older machine may be
    // 8-bit text, read as Latin-1, which never fails to decode.
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    // Stateless: a file that ends in the first byte of a sequence (é in 8-bit text) is not UTF-8,
    // and a stateful decoder would keep that byte back as awaiting the rest instead of failing.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bom ? bytes.mid(3) : bytes);
    if (!utf8.hasError()) {
        found(bom ? Encoding::Utf8Bom : Encoding::Utf8);
        return text;
    }
    found(Encoding::Latin1);
    return QString::fromLatin1(bytes);
}

QByteArray TextFile::encode(const QString& text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8Bom:
        return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool little = encoding == Encoding::Utf16LE;
        QStringEncoder utf16(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        return (little ? QByteArrayLiteral("\xFF\xFE") : QByteArrayLiteral("\xFE\xFF")) + QByteArray(utf16(text));
    }
    case Encoding::Latin1: {
        // A value that 8-bit text cannot hold is kept by writing the file as UTF-8, which the
        // next read recognises, rather than turning its letters into question marks.
        for (const QChar c : text)
            if (c.unicode() > 0xff)
                return text.toUtf8();
        return text.toLatin1();
    }
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

QString TextFile::read(const QString& path, Encoding* encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotRead(path, file);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw cannotRead(path, file);
    return decode(bytes, encoding);
}

void TextFile::write(const QString& path, const QString& text, Encoding encoding)
{
    const QByteArray bytes = encode(text, encoding);
#ifdef Q_OS_WIN
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw FileError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
#else
    // Written beside the old file, synced and renamed over it. Every write, the sync and the close
    // are checked: a full disk can fail any of them, and a rename after such a failure would put
    // an empty or cut file in place of a whole one. On any error the old file is left as it was.
    // A settings file reached through a link is replaced where it lies, the link kept.
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.isSymLink() && info.exists() ? info.canonicalFilePath() : path);
    QByteArray temporary = target + ".XXXXXX";
    auto failWith = [&](const char* step, int code) {
        return FileError(QStringLiteral("Cannot write %1 (%2): %3; the file was left as it was.")
                             .arg(path, QLatin1String(step), QString::fromLocal8Bit(std::strerror(code))));
    };
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throw failWith("create", errno);
    auto abandon = [&](const char* step, int code) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failWith(step, code);
    };
    // The new file keeps the old one's permissions; a new one gets the usual ones.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(target.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        throw abandon("set permissions", errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw abandon("write", n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd) != 0)
        throw abandon("sync", errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        throw failWith("close", code);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        throw failWith("rename", code);
    }
    // The rename itself lasts once the folder is synced; a failure here leaves a whole file either way.
    const int folder = ::open(QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#endif
}

} // namespace report
