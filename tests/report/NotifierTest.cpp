#include "report/Notifier.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using report::Notifier;

// A stand-in notification program that records how many arguments it got and the first one.
const QByteArray recorder = "#!/bin/sh\n"
                            "dir=$(dirname \"$0\")\n"
                            "printf '%s' \"$1\" > \"$dir/argv.txt\"\n"
                            "printf '%s' \"$#\" > \"$dir/argc.tmp\"\n"
                            "mv \"$dir/argc.tmp\" \"$dir/argc.txt\"\n";

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

// The notification program beside the program: found, started detached, fed one argument.
class NotifierTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void install(const QString& name, const QByteArray& script, bool executable = true)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        ASSERT_TRUE(file.setPermissions(permissions));
    }
    bool waitFor(const QString& path)
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFileInfo::exists(path)) {
            if (timer.elapsed() > 5000)
                return false;
            QThread::msleep(10);
        }
        return true;
    }
};

TEST_F(NotifierTest, ProgramIsFoundAndAMessageArrivesAsOneArgumentThatRunsNothing)
{
    EXPECT_FALSE(Notifier(dir.path()).notify(QStringLiteral("hello")));
    install(QStringLiteral("baloon"), recorder, false);
    EXPECT_EQ(Notifier(dir.path()).program(), QString());
    EXPECT_FALSE(Notifier(dir.path()).notify(QStringLiteral("hello")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("argv.txt"))));
    // An .exe name is found too.
    install(QStringLiteral("baloon.exe"), recorder);
    EXPECT_EQ(Notifier(dir.path()).program(), dir.filePath(QStringLiteral("baloon.exe")));
    // A message with shell characters arrives as one argument and runs nothing.
#ifdef Q_OS_WIN
    GTEST_SKIP() << "the stand-in notification program is a shell script, which Windows cannot start";
#endif
    install(QStringLiteral("baloon"), recorder);
    QFile::remove(dir.filePath(QStringLiteral("baloon.exe")));
    const QString marker1 = dir.filePath(QStringLiteral("x"));
    const QString marker2 = dir.filePath(QStringLiteral("y"));
    const QString message = QStringLiteral("\"; touch %1; $(id) & $(touch %2) `touch %2` 'it''s' | > ").arg(marker1, marker2);

    EXPECT_TRUE(Notifier(dir.path()).notify(message));
    ASSERT_TRUE(waitFor(dir.filePath(QStringLiteral("argc.txt"))));
    EXPECT_EQ(bytesOf(dir.filePath(QStringLiteral("argc.txt"))), QByteArray("1"));
    EXPECT_EQ(QString::fromUtf8(bytesOf(dir.filePath(QStringLiteral("argv.txt")))), message);
    EXPECT_FALSE(QFileInfo::exists(marker1));
    EXPECT_FALSE(QFileInfo::exists(marker2));
}

} // namespace
