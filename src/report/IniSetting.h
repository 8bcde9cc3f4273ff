#pragma once

#include <QString>

namespace report {

class Prompter;

/// Reads and writes key=value settings files (Appsettings.ini, AppsettingsLoop.ini).
/// Lines end in CR LF (LF or CR alone are read as line ends too); keys are case-sensitive; blanks
/// around key and value are ignored; the value ends at the next "="; the file is created when
/// missing. A file is read as UTF-8, UTF-16 with a byte-order mark or 8-bit text, and rewritten in
/// the encoding it was read in.
class IniSetting {
public:
    /// Whether `access` reads the key or sets it.
    enum class Mode { Read, Write };

    /// File errors are shown through `prompter` as a box with a warning icon.
    explicit IniSetting(Prompter& prompter);

    /// Returns the value of `key`; when the key is missing, adds key=defaultValue to the file
    /// and returns `defaultValue`. Returns "" after a file error (already shown to the operator).
    QString read(const QString& path, const QString& key, const QString& defaultValue);
    /// The same read, for work nobody watches: a file error goes to `error` instead of a box.
    QString read(const QString& path, const QString& key, const QString& defaultValue, QString* error);

    /// Sets `key` to `value`, replacing its line or adding one at the end; false after a file error,
    /// which leaves the file as it was. With `error` given the reason goes there and no box is shown.
    bool write(const QString& path, const QString& key, const QString& value, QString* error = nullptr);

    /// The whole procedure: in Read mode returns the value and stores it into `value` (which
    /// holds the default on entry); in Write mode sets the key to `value` and returns "".
    QString access(const QString& path, const QString& key, QString& value, Mode mode, bool* failed = nullptr);

    /// The first line that is not empty, whether lines end in CR LF, LF or CR (how ServerName.ini is read).
    static QString firstLine(const QString& text);

private:
    QString fail(const QString& message, bool* failed);

    Prompter& m_prompter;
    QString* m_quietError = nullptr;
};

} // namespace report
