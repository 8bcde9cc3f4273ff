#pragma once

#include <QString>

namespace report {

/// The optional notification program beside the program ("baloon" or "baloon.exe").
class Notifier {
public:
    /// Looks for the notification program in `programFolder`.
    explicit Notifier(QString programFolder);

    /// The notification program that would be started; "" when there is none (or it is not executable).
    QString program() const;

    /// Starts the notification program detached with `message` as its one argument, never
    /// through a session. False when there is no such program; throws std::runtime_error, naming
    /// the program and the reason, when it is there but does not start.
    bool notify(const QString& message) const;

private:
    QString m_programFolder;
};

} // namespace report
