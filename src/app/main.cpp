#include "app/MainWindow.h"
#include "app/ProgramFolder.h"
#include "app/Session.h"

#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirtane"));

    // The program folder holds Resources/, the log folders and the embedded servers; an installed
    // program keeps them in the user's data folder instead.
    app::Session::Options options;
    const QString programFolder = app::ProgramFolder::choose(
        QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), &options.programFolderNote);
    app::MainWindow window(programFolder);
    // The session owns the settings, connections, log and reporter, and the operations behind
    // each page; tests build it the same way.
    app::Session session(window, options);

    // 1280x760 where the screen has room for it, otherwise the whole screen.
    const QSize preferred(1280, 760);
    const QSize available = window.screen()->availableGeometry().size();
    window.resize(preferred.boundedTo(available));
    if (available.width() < preferred.width() || available.height() < preferred.height())
        window.showMaximized();
    else
        window.show();

    // Start-up runs once the window is on screen, so its status texts can be seen.
    QTimer::singleShot(0, &session, [&session] {
        if (!session.startUp())
            QCoreApplication::exit(1);
    });
    return application.exec();
}
