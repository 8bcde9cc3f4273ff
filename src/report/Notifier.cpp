#include "report/Notifier.h"

#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

namespace report {

Notifier::Notifier(QString programFolder)
    : m_programFolder(std::move(programFolder))
{
}

QString Notifier::program() const
{
    for (const char* name : {"baloon", "baloon.exe"}) {
        const QFileInfo info(m_programFolder + QLatin1Char('/') + QLatin1String(name));
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QString();
}

bool Notifier::notify(const QString& message) const
{
    const QString path = program();
    if (path.isEmpty())
        return false;
    // The message is one argument of its own: quotes, ";" or "$(...)" in it are plain text.
    QProcess process;
    process.setProgram(path);
    process.setArguments({message});
    process.setWorkingDirectory(m_programFolder);
    if (!process.startDetached())
        throw std::runtime_error(QStringLiteral("Cannot start %1: %2").arg(path, process.errorString()).toStdString());
    return true;
}

} // namespace report
