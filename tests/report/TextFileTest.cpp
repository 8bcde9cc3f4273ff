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

// Reading and writing whole files (log blocks are checked with the daily log); failures come back to the caller, never as a box.
class TextFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(TextFileTest, WriteReplacesTheWholeFileWithExactlyTheText)
{
    const QString file = path(QStringLiteral("a.ini"));
    putBytes(file, "a much longer old content\r\nwith two lines\r\n");
    ASSERT_TRUE(report::TextFile::write(file, QStringLiteral("K=V")));
    EXPECT_EQ(bytesOf(file), QByteArray("K=V"));
    ASSERT_TRUE(report::TextFile::write(path(QStringLiteral("new.ini")), QString()));
    EXPECT_EQ(bytesOf(path(QStringLiteral("new.ini"))), QByteArray());
}

TEST_F(TextFileTest, ReadTakesUtf8AndFallsBackToLatin1)
{
    putBytes(path(QStringLiteral("utf8.txt")), "caf\xc3\xa9\r\nx");
    putBytes(path(QStringLiteral("latin1.txt")), "caf\xe9\r\nx");
    EXPECT_EQ(report::TextFile::read(path(QStringLiteral("utf8.txt"))), QStringLiteral(u"caf\u00e9\r\nx"));
    EXPECT_EQ(report::TextFile::read(path(QStringLiteral("latin1.txt"))), QStringLiteral(u"caf\u00e9\r\nx"));
}

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
