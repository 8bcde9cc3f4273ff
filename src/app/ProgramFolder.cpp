#include "app/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

namespace {

bool isInstalledCopy(const QString& executableFolder)
{
    return QFileInfo::exists(QDir(executableFolder).filePath(QStringLiteral("../share/applications/mirtane.desktop")));
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
