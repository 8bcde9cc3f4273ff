#include "report/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

void putBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Failures come back to the caller, never as a box. What is read and written, in which encoding, is
// checked through the settings files (IniSettingTest) and the daily log (DailyLogTest).
class TextFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(TextFileTest, FilesThatCannotBeReadOrWrittenGiveEmptyTextAndAReason)
{
    QString error;
    EXPECT_EQ(report::TextFile::read(path(QStringLiteral("missing.txt")), &error), QString());
    EXPECT_FALSE(error.isEmpty());

    // A folder below a regular file can never exist, whoever runs the test.
    putBytes(path(QStringLiteral("plain")), "x");
    const QString impossible = path(QStringLiteral("plain/log.txt"));
    error.clear();
    EXPECT_FALSE(report::TextFile::write(impossible, QStringLiteral("x"), &error));
    EXPECT_TRUE(error.contains(impossible)) << error.toStdString();
    error.clear();
    EXPECT_FALSE(report::TextFile::appendBlock(impossible, QStringLiteral("x"), &error));
    EXPECT_TRUE(error.contains(impossible)) << error.toStdString();
    EXPECT_EQ(bytesOf(path(QStringLiteral("plain"))), QByteArray("x"));
}

} // namespace
