#include "app/MainWindow.h"
#include "app/ProgramFolder.h"
#include "app/Session.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QDir>
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
    // A second start on the same folder (a double click, a second shortcut) would copy the same
    // vouchers and write the same settings and logs: it brings the first window forward instead.
    app::SingleInstance instance(programFolder);
    switch (instance.start()) {
    case app::SingleInstance::Start::First:
        break;
    case app::SingleInstance::Start::OtherCameForward:
        return 0;
    case app::SingleInstance::Start::OtherSilent:
        QMessageBox::information(nullptr, QStringLiteral("Mirtane"),
                                 QStringLiteral("Mirtane already runs on the program folder %1. Use its window (or its icon in the "
                                                "notification area); this second start ends.")
                                     .arg(QDir::toNativeSeparators(programFolder)));
        return 0;
    }
    app::MainWindow window(programFolder);
    QObject::connect(&instance, &app::SingleInstance::comeForward, &window, [&window] {
        if (window.isMinimized())
            window.showNormal();
        else
            window.show();
        window.raise();
        window.activateWindow();
    });
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
