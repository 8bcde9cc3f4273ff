#pragma once

#include <QByteArray>
#include <QString>

namespace report {

/// Whole-file text access: read, write, and append a log block. Failures never raise a message.
class TextFile {
public:
    /// The line between two log blocks: an asterisk, 100 equals signs, an asterisk.
    static QString separator();

    /// The bytes of one log block: CR LF, the separator, CR LF, then `text` (no final line break).
    static QByteArray logBlock(const QString& text);

    /// Returns the whole file as text; "" when it cannot be read, with the reason in `error` when given.
    static QString read(const QString& path, QString* error = nullptr);

    /// Creates or overwrites the file with exactly `text`; false (reason in `error`) when it cannot.
    static bool write(const QString& path, const QString& text, QString* error = nullptr);

    /// Creates the file when missing and appends one log block holding `text`; false when it cannot.
    static bool appendBlock(const QString& path, const QString& text, QString* error = nullptr);

    /// Decodes file bytes: UTF-8 when they are valid UTF-8, else Latin-1.
    static QString decode(const QByteArray& bytes);
};

} // namespace report
