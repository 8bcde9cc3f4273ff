#pragma once

#include <QByteArray>
#include <QString>

namespace report {

/// Whole-file text access: read, write, and append a log block. Failures never raise a message.
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

    /// Returns the whole file as text; "" when it cannot be read, with the reason in `error` when given
    /// and the encoding found in `encoding` when given.
    static QString read(const QString& path, QString* error = nullptr, Encoding* encoding = nullptr);

    /// Replaces the file with exactly `text` in `encoding`: written beside it, synced and renamed
    /// over it, so that on any failure (a full disk included) the old file stays whole. False, with
    /// the reason in `error`, when it cannot.
    static bool write(const QString& path, const QString& text, QString* error = nullptr, Encoding encoding = Encoding::Utf8);

    /// Creates the file when missing and appends one log block holding `text`; false when it cannot.
    static bool appendBlock(const QString& path, const QString& text, QString* error = nullptr);

    /// Decodes file bytes: UTF-16 after its byte-order mark, UTF-8 (with or without its mark) when
    /// they are valid UTF-8, else Latin-1; the encoding found goes to `encoding` when given.
    static QString decode(const QByteArray& bytes, Encoding* encoding = nullptr);
    /// The bytes of `text` in `encoding`, byte-order mark included.
    static QByteArray encode(const QString& text, Encoding encoding);
};

} // namespace report
