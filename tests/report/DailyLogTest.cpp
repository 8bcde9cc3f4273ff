#include "report/DailyLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

using report::DailyLog;

const QByteArray separator = "*" + QByteArray(100, '=') + "*";

QByteArray block(const QByteArray& entry)
{
    return "\r\n" + separator + "\r\n" + entry;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

// The daily log: folder and file names, entry layout, days, and files that vanish or cannot be written.
class DailyLogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QDateTime now{QDate(2026, 12, 5), QTime(10, 30, 0)};
    QDate pickerDate{2026, 12, 5};
    std::vector<QString> notices;

    DailyLog makeLog(const QString& programFolder)
    {
        return DailyLog(
            programFolder, [this] { return now; }, [this] { return pickerDate; },
            [this](const QString& text) { notices.push_back(text); });
    }
    QString program() const { return dir.path(); }
    QString folder() const { return dir.filePath(QStringLiteral("SUB01 Dec 2026")); }
};

TEST_F(DailyLogTest, FolderIsFirstFiveCharactersOfTheCompanyMonthAndYearAndThePickerNamesTheFile)
{
    DailyLog log = makeLog(program());
    // Nothing is written before a company is set.
    EXPECT_EQ(log.currentFile(), QString());
    EXPECT_FALSE(log.write(QStringLiteral("A"), QStringLiteral("1")));
    EXPECT_TRUE(QDir(program()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(log.setCompany(QStringLiteral("SUB0123")));
    EXPECT_EQ(log.folder(), folder());
    // The first of March of the picker names the file.
    pickerDate = QDate(2027, 3, 1);
    EXPECT_TRUE(log.write(QStringLiteral("Query Opened"), QStringLiteral("select 1")));
    EXPECT_EQ(log.currentFile(), folder() + QStringLiteral("/01032027.txt"));
    EXPECT_EQ(bytesOf(log.currentFile()), block("[05/Dec/2026 10:30:00 AM]\tQuery Opened\tselect 1"));
    EXPECT_TRUE(notices.empty());

    now = QDateTime(QDate(2027, 3, 9), QTime(8, 0));
    EXPECT_TRUE(log.setCompany(QStringLiteral("AB")));
    EXPECT_EQ(log.folder(), program() + QStringLiteral("/AB Mar 2027"));
    EXPECT_TRUE(QFileInfo(log.folder()).isDir());
    // A slash in the company code stays inside the program folder.
    EXPECT_EQ(DailyLog::folderFor(QStringLiteral("/p"), QStringLiteral("../..x"), QDate(2026, 1, 2)),
              QStringLiteral("/p/.._.. Jan 2026"));
}

TEST_F(DailyLogTest, EntriesFollowThePickerDayAndAVanishedFileIsRecreated)
{
    DailyLog log = makeLog(program());
    ASSERT_TRUE(log.setCompany(QStringLiteral("SUB01")));
    now = QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59));
    ASSERT_TRUE(log.write(QStringLiteral("Tick"), QStringLiteral("before")));
    // Past midnight with the picker unchanged: still the picker's day.
    now = QDateTime(QDate(2026, 12, 6), QTime(0, 0, 1));
    ASSERT_TRUE(log.write(QStringLiteral("Tick"), QStringLiteral("after, same picker")));
    // The picker moves to the new day: the next entry opens the new day's file.
    pickerDate = QDate(2026, 12, 6);
    ASSERT_TRUE(log.write(QStringLiteral("Tick"), QStringLiteral("after, new picker")));
    // And back: the earlier day's file is appended to, not overwritten.
    pickerDate = QDate(2026, 12, 5);
    ASSERT_TRUE(log.write(QStringLiteral("Tick"), QStringLiteral("back")));

    EXPECT_EQ(bytesOf(folder() + QStringLiteral("/05122026.txt")),
              block("[05/Dec/2026 11:59:59 PM]\tTick\tbefore") + block("[06/Dec/2026 12:00:01 AM]\tTick\tafter, same picker")
                  + block("[06/Dec/2026 12:00:01 AM]\tTick\tback"));
    EXPECT_EQ(bytesOf(folder() + QStringLiteral("/06122026.txt")),
              block("[06/Dec/2026 12:00:01 AM]\tTick\tafter, new picker"));
    EXPECT_TRUE(notices.empty());
    // A deleted or moved file, or folder, is recreated without a notice.
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not let the open log file, or its folder, be deleted or moved";
#endif
    now = QDateTime(QDate(2026, 12, 5), QTime(10, 30));
    const QString file = folder() + QStringLiteral("/05122026.txt");
    ASSERT_TRUE(log.write(QStringLiteral("A"), QStringLiteral("1")));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(log.write(QStringLiteral("A"), QStringLiteral("2")));
    EXPECT_EQ(bytesOf(file), block("[05/Dec/2026 10:30:00 AM]\tA\t2"));

    const QString moved = dir.filePath(QStringLiteral("moved.txt"));
    ASSERT_TRUE(QFile::rename(file, moved));
    ASSERT_TRUE(log.write(QStringLiteral("A"), QStringLiteral("3")));
    EXPECT_EQ(bytesOf(file), block("[05/Dec/2026 10:30:00 AM]\tA\t3"));
    EXPECT_EQ(bytesOf(moved), block("[05/Dec/2026 10:30:00 AM]\tA\t2"));

    ASSERT_TRUE(QDir(folder()).removeRecursively());
    ASSERT_TRUE(log.write(QStringLiteral("A"), QStringLiteral("4")));
    EXPECT_EQ(bytesOf(file), block("[05/Dec/2026 10:30:00 AM]\tA\t4"));
    EXPECT_TRUE(notices.empty());
}

TEST_F(DailyLogTest, UnwritableFolderOrFileIsReportedOnceAndNothingThrows)
{
    // A folder below a regular file can never be created, even by root.
    const QString plain = dir.filePath(QStringLiteral("plain"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    DailyLog log = makeLog(plain);
    EXPECT_FALSE(log.setCompany(QStringLiteral("SUB01")));
    EXPECT_FALSE(log.write(QStringLiteral("A"), QStringLiteral("1")));
    EXPECT_FALSE(log.write(QStringLiteral("A"), QStringLiteral("2")));
    pickerDate = pickerDate.addDays(1);
    EXPECT_FALSE(log.write(QStringLiteral("A"), QStringLiteral("3")));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0],
              QStringLiteral("The log folder %1/SUB01 Dec 2026 cannot be created; the program goes on without its log.")
                  .arg(plain));
    EXPECT_EQ(bytesOf(plain), QByteArray("x"));

    // An unwritable file is reported once, then again after it recovered.
    pickerDate = QDate(2026, 12, 5);
    DailyLog writable = makeLog(program());
    ASSERT_TRUE(writable.setCompany(QStringLiteral("SUB01")));
    // A folder where the day's file should be: no user can open it for appending.
    const QString file = folder() + QStringLiteral("/05122026.txt");
    ASSERT_TRUE(QDir().mkpath(file));
    EXPECT_FALSE(writable.write(QStringLiteral("A"), QStringLiteral("1")));
    EXPECT_FALSE(writable.write(QStringLiteral("A"), QStringLiteral("2")));
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[1].startsWith(QStringLiteral("The log file %1 cannot be written (").arg(file)))
        << notices[1].toStdString();

    pickerDate = pickerDate.addDays(1);
    EXPECT_TRUE(writable.write(QStringLiteral("A"), QStringLiteral("3")));
    pickerDate = pickerDate.addDays(-1);
    EXPECT_FALSE(writable.write(QStringLiteral("A"), QStringLiteral("4")));
    EXPECT_EQ(notices.size(), 3u);
}

} // namespace
