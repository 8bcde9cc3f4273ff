#include "app/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

namespace {

// The Debian package puts a desktop entry beside bin/; the Windows installer puts its uninstaller
// there (Program Files\Mirtane\Uninstall.exe beside bin\mirtane.exe).
bool isInstalledCopy(const QString& executableFolder)
{
    const QDir folder(executableFolder);
    return QFileInfo::exists(folder.filePath(QStringLiteral("../share/applications/mirtane.desktop")))
        || QFileInfo::exists(folder.filePath(QStringLiteral("../Uninstall.exe")));
}

// QFileInfo::isWritable trusts the permission bits alone; a read-only mount says yes to it.
bool canWriteIn(const QString& folder)
{
    if (!QFileInfo(folder).isWritable())
        return false;
    QFile probe(QDir(folder).filePath(QStringLiteral(".mirtane-write-probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace

QString ProgramFolder::choose(const QString& executableFolder, const QString& userDataFolder, QString* why)
{
    const bool installed = isInstalledCopy(executableFolder);
    if (!installed && canWriteIn(executableFolder))
        return executableFolder;
    QDir().mkpath(userDataFolder);
    const QString chosen = QDir::cleanPath(userDataFolder);
    if (why)
        *why = QStringLiteral("Mirtane keeps its Resources, logs and servers in %1, because %2 %3.")
                   .arg(chosen, QDir::cleanPath(executableFolder),
                        installed ? QStringLiteral("is an installed copy shared by every user") : QStringLiteral("cannot be written"));
    return chosen;
}

} // namespace app
