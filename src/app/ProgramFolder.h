#pragma once

#include <QString>

namespace app {

/// Where the program keeps Resources/, the log folders and the embedded servers.
class ProgramFolder {
public:
    /// The program's own folder `executableFolder` where it may write there and it is not an
    /// installed copy (bin/ beside share/applications/mirtane.desktop, or beside the Windows
    /// installer's Uninstall.exe); otherwise `userDataFolder` (%APPDATA%\Mirtane on Windows),
    /// which is created when missing. An installed program is shared by every user of the machine,
    /// so even one who could write beside it keeps their files in their own data folder.
    /// When the data folder is chosen, `why` (when given) receives which folder and the reason.
    static QString choose(const QString& executableFolder, const QString& userDataFolder, QString* why = nullptr);
};

} // namespace app
