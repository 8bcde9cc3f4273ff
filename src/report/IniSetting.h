#pragma once

#include <QString>

namespace report {

class Prompter;

/// Reads and writes key=value settings files (Appsettings.ini, AppsettingsLoop.ini).
/// Lines end in CR LF; keys are case-sensitive; blanks around key and value are ignored;
/// the value ends at the next "="; the file is created when missing.
class IniSetting {
public:
    /// Whether `access` reads the key or sets it.
    enum class Mode { Read, Write };

    /// File errors are shown through `prompter` as a box with a warning icon.
    explicit IniSetting(Prompter& prompter);

    /// Returns the value of `key`; when the key is missing, adds key=defaultValue to the file
    /// and returns `defaultValue`. Returns "" after a file error (already shown to the operator).
    QString read(const QString& path, const QString& key, const QString& defaultValue);

    /// Sets `key` to `value`, replacing its line or adding one at the end; false after a file error.
    bool write(const QString& path, const QString& key, const QString& value);

    /// The whole procedure: in Read mode returns the value and stores it into `value` (which
    /// holds the default on entry); in Write mode sets the key to `value` and returns "".
    QString access(const QString& path, const QString& key, QString& value, Mode mode, bool* failed = nullptr);

    /// The text up to the first CR, with every CR and LF removed (how ServerName.ini is read).
    static QString firstLine(const QString& text);

private:
    QString fail(const QString& message, bool* failed);

    Prompter& m_prompter;
};

} // namespace report
