// The Debian package: built with cpack, unpacked into a temporary root, and the installed
// program started offscreen with a temporary home.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
bool run(const QString& program, const QStringList& arguments, const QString& folder, QString* output, int timeoutMs)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
} // namespace

TEST(PackageTest, InstalledProgramStartsAndKeepsItsFilesInTheUsersDataFolder)
{
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    const QString cpack = QStandardPaths::findExecutable("cpack");
    if (dpkgDeb.isEmpty() || cpack.isEmpty())
        GTEST_SKIP() << "dpkg-deb or cpack is missing";

    QTemporaryDir work;
    QString output;
    ASSERT_TRUE(run(cpack, {"-G", "DEB", "-B", work.filePath("out"), "--config", MIRTANE_BINARY_DIR "/CPackConfig.cmake"}, work.path(),
                    &output, 120000))
        << output.toStdString();
    const QStringList packages = QDir(work.filePath("out")).entryList({"mirtane_*.deb"}, QDir::Files);
    ASSERT_EQ(packages.size(), 1) << output.toStdString();
    const QString package = work.filePath("out/" + packages[0]);

    ASSERT_TRUE(run(dpkgDeb, {"-f", package, "Depends"}, work.path(), &output, 10000));
    for (const char* runtime : {"libqt6widgets6", "libsqlite3-0", "unixodbc"})
        EXPECT_TRUE(output.contains(runtime)) << output.toStdString();

    const QString root = work.filePath("root");
    ASSERT_TRUE(run(dpkgDeb, {"-x", package, root}, work.path(), &output, 30000)) << output.toStdString();
    for (const char* file : {"usr/bin/mirtane", "usr/bin/mirtane-sql", "usr/bin/mirtane-demo", "usr/share/applications/mirtane.desktop"})
        EXPECT_TRUE(QFileInfo::exists(root + "/" + file)) << file;

    const QString home = work.filePath("home");
    ASSERT_TRUE(QDir().mkpath(home));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.remove("XDG_DATA_HOME");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home);
    program.start(root + "/usr/bin/mirtane", {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // It has no options and waits for the operator: any end before it is ended here, with an error
    // or without, is a failed start.
    const bool endedEarly = program.waitForFinished(2500);
    EXPECT_FALSE(endedEarly) << "exit code " << program.exitCode() << ": " << program.readAll().toStdString();
    if (!endedEarly) {
        program.kill();
        program.waitForFinished(5000);
    }

    EXPECT_TRUE(QDir(home + "/.local/share/Mirtane").exists());
    const QStringList installedBin = QDir(root + "/usr/bin").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    EXPECT_EQ(installedBin, (QStringList{"mirtane", "mirtane-demo", "mirtane-sql"}));
}
