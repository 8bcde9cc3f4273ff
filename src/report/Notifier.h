#pragma once

#include <QString>

namespace report {

/// The optional notification program beside the program ("baloon" or "baloon.exe").
class Notifier {
public:
    /// What became of a notification.
    enum class Outcome { Started, NoProgram, StartFailed };

    /// Looks for the notification program in `programFolder`.
    explicit Notifier(QString programFolder);

    /// The notification program that would be started; "" when there is none (or it is not executable).
    QString program() const;

    /// Starts the notification program detached with `message` as its one argument, never
    /// through a session; NoProgram or StartFailed tell the caller to show the text another way.
    Outcome notify(const QString& message, QString* error = nullptr) const;

private:
    QString m_programFolder;
};

} // namespace report
