#pragma once

#include <QString>

namespace report {

/// Reads and writes key=value settings files (Appsettings.ini, AppsettingsLoop.ini).
/// Lines end in CR LF (LF or CR alone are read as line ends too); keys are case-sensitive; blanks
/// around key and value are ignored; the value ends at the next "="; the file is created when
/// missing. A file is read as UTF-8, UTF-16 with a byte-order mark or 8-bit text, and rewritten in
/// the encoding it was read in. A file that cannot be read or written throws FileError (TextFile.h),
/// as does a line holding the key without "="; the caller decides who hears of it.
class IniSetting {
public:
    /// Whether `access` reads the key or sets it.
    enum class Mode { Read, Write };

    /// Returns the value of `key`; when the key is missing, adds key=defaultValue to the file
    /// and returns `defaultValue`.
    static QString read(const QString& path, const QString& key, const QString& defaultValue);

    /// Sets `key` to `value`, replacing its line or adding one at the end; a failure leaves the
    /// file as it was.
    static void write(const QString& path, const QString& key, const QString& value);

    /// The whole procedure: in Read mode returns the value and stores it into `value` (which
    /// holds the default on entry); in Write mode sets the key to `value` and returns "".
    static QString access(const QString& path, const QString& key, QString& value, Mode mode);

    /// The first line that is not empty, whether lines end in CR LF, LF or CR (how ServerName.ini is read).
    static QString firstLine(const QString& text);
};

} // namespace report
