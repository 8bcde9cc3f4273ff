#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace report {

/// A file that could not be read or written; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

/// Whole-file text access: read and write. A failure is a FileError; nothing here shows a message.
class TextFile {
public:
    /// How a file's bytes hold its text: read from the file, and used again to rewrite it.
    enum class Encoding {
        Utf8,       ///< UTF-8 without a byte-order mark (what this program writes by default)
        Utf8Bom,    ///< UTF-8 after EF BB BF
        Utf16LE,    ///< UTF-16 little-endian after FF FE
        Utf16BE,    ///< UTF-16 big-endian after FE FF
        Latin1,     ///< 8-bit text that is not UTF-8
    };

    /// The line between two log blocks: an asterisk, 100 equals signs, an asterisk.
    static QString separator();

    /// The bytes of one log block: CR LF, the separator, CR LF, then `text` (no final line break).
    static QByteArray logBlock(const QString& text);

    /// Returns the whole file as text, and the encoding found in `encoding` when given. Throws
    /// FileError when the file cannot be read (a missing file included).
    static QString read(const QString& path, Encoding* encoding = nullptr);

    /// Replaces the file with exactly `text` in `encoding`: written beside it, synced and renamed
    /// over it, so that on any failure (a full disk included) the old file stays whole. Throws
    /// FileError when it cannot.
    static void write(const QString& path, const QString& text, Encoding encoding = Encoding::Utf8);

    /// Decodes file bytes: UTF-16 after its byte-order mark, UTF-8 (with or without its mark) when
    /// they are valid UTF-8, else Latin-1; the encoding found goes to `encoding` when given.
    static QString decode(const QByteArray& bytes, Encoding* encoding = nullptr);
    /// The bytes of `text` in `encoding`, byte-order mark included.
    static QByteArray encode(const QString& text, Encoding encoding);
};

} // namespace report
