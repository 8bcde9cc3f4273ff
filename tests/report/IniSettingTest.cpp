#include "report/IniSetting.h"
#include "report/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

using report::IniSetting;

// The message of the FileError that `step` throws; "" when it throws none.
template <typename Step>
QString failure(Step step)
{
    try {
        step();
    } catch (const report::FileError& e) {
        return e.message();
    }
    return QString();
}

// Settings files: reading with defaults, rewriting, and the file errors they throw.
class IniSettingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Appsettings.ini"));

    void put(const QByteArray& bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }
    QByteArray content() const
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return QByteArrayLiteral("<missing>");
        return in.readAll();
    }
};

// One read or write on a file holding `before` (nullptr: no file): what it returns and leaves.
struct IniCase {
    const char* what;
    const char* before;
    bool write;
    const char* key;
    const char* value; // the default of a read, the value of a write
    const char* returned; // a read's value
    const char* after;
};

const IniCase iniCases[] = {
    {"missing file is created with the default", nullptr, false, "MaxActivityID", "0", "0", "MaxActivityID=0"},
    {"absent key is appended with its default", "LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01", false, "ENABLEAUTOMirtane", "False", "False",
     "LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01\r\nENABLEAUTOMirtane=False"},
    {"blanks around key and value are ignored, the file left alone", "\r\n   LOCALDBCODE   =   SUB01   \r\n\r\nWEBDBCODE=MAIN01\r\n", false,
     " LOCALDBCODE ", "x", "SUB01", "\r\n   LOCALDBCODE   =   SUB01   \r\n\r\nWEBDBCODE=MAIN01\r\n"},
    {"keys are case sensitive", "localdbcode=SUB01", false, "LOCALDBCODE", "", "", "localdbcode=SUB01\r\nLOCALDBCODE="},
    {"the value ends at the next equals sign", "SYNCHCATEGORYIDS=1;2;=3;", false, "SYNCHCATEGORYIDS", "", "1;2;", "SYNCHCATEGORYIDS=1;2;=3;"},
    {"an empty file gains the key", "\r\n  \r\n", false, "MaxActivityID", "0", "0", "MaxActivityID=0"},
    {"LF alone ends a line", "LOCALDBCODE=SUB01\nWEBDBCODE=MAIN01\n", false, "WEBDBCODE", "", "MAIN01", "LOCALDBCODE=SUB01\nWEBDBCODE=MAIN01\n"},
    {"write replaces the line, trims, drops empty lines", "A=1\r\n\r\n   MaxActivityID = 7  \r\n  C=3  \r\n\r\n", true, "MaxActivityID", "42",
     nullptr, "A=1\r\nMaxActivityID=42\r\nC=3"},
    {"write creates the file", nullptr, true, "WEBDBCODE", "MAIN01", nullptr, "WEBDBCODE=MAIN01"},
    {"write appends a missing key", "WEBDBCODE=MAIN01", true, "LOCALDBCODE", "SUB01", nullptr, "WEBDBCODE=MAIN01\r\nLOCALDBCODE=SUB01"},
    {"write of an empty value", "WEBDBCODE=MAIN01\r\nLOCALDBCODE=SUB01", true, "WEBDBCODE", "", nullptr, "WEBDBCODE=\r\nLOCALDBCODE=SUB01"},
    {"write to LF lines", "LOCALDBCODE=SUB01\nWEBDBCODE=MAIN01\n", true, "WEBDBCODE", "MAIN02", nullptr, "LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN02"},
};

TEST_F(IniSettingTest, ReadsAndWritesKeepTheFileInItsForm)
{
    for (const IniCase& c : iniCases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        if (c.before)
            put(c.before);
        if (c.write)
            IniSetting::write(file, QString::fromLatin1(c.key), QString::fromLatin1(c.value));
        else
            EXPECT_EQ(IniSetting::read(file, QString::fromLatin1(c.key), QString::fromLatin1(c.value)), QString::fromLatin1(c.returned));
        EXPECT_EQ(content(), QByteArray(c.after));
    }
    // A second read finds the line the first one added; read mode stores the value into the argument.
    put("MaxActivityID=1234");
    QString value = QStringLiteral("0");
    EXPECT_EQ(IniSetting::access(file, QStringLiteral("MaxActivityID"), value, IniSetting::Mode::Read), QStringLiteral("1234"));
    EXPECT_EQ(value, QStringLiteral("1234"));
    EXPECT_EQ(IniSetting::read(file, QStringLiteral("New"), QStringLiteral("1")), QStringLiteral("1"));
    EXPECT_EQ(IniSetting::read(file, QStringLiteral("New"), QStringLiteral("2")), QStringLiteral("1"));
    // ServerName.ini: the server name is its first non-empty line, whatever ends it.
    for (const char* text : {"SRV01\r\nSRV02\r\n", "SRV01", "SRV01\nSRV02\n", "SRV01\rSRV02\r", "\nSRV01\r\nSRV02"})
        EXPECT_EQ(IniSetting::firstLine(QString::fromLatin1(text)), QStringLiteral("SRV01")) << text;
    EXPECT_EQ(IniSetting::firstLine(QString()), QString());
}

TEST_F(IniSettingTest, FilesInOtherEncodingsAndLineEndsAreReadAndRewrittenAsTheyCame)
{
    struct Case {
        const char* name;
        QByteArray before;
        QByteArray after;
    };
    const QString cafe = QStringLiteral(u"caf\u00e9");
    auto utf16 = [](const QString& text, bool little) {
        QByteArray out = little ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff");
        for (const QChar c : text) {
            const char low = char(c.unicode() & 0xff);
            const char high = char(c.unicode() >> 8);
            out += little ? QByteArray(&low, 1) + QByteArray(&high, 1) : QByteArray(&high, 1) + QByteArray(&low, 1);
        }
        return out;
    };
    const std::vector<Case> cases{
        {"UTF-16 LE", utf16(QStringLiteral("LOCALDBCODE=SUB01\r\nWEBDBCODE=") + cafe, true),
         utf16(QStringLiteral("LOCALDBCODE=SUB02\r\nWEBDBCODE=") + cafe, true)},
        {"UTF-16 BE", utf16(QStringLiteral("LOCALDBCODE=SUB01\r\nWEBDBCODE=") + cafe, false),
         utf16(QStringLiteral("LOCALDBCODE=SUB02\r\nWEBDBCODE=") + cafe, false)},
        {"UTF-8 with BOM", "\xef\xbb\xbfLOCALDBCODE=SUB01\r\nWEBDBCODE=caf\xc3\xa9", "\xef\xbb\xbfLOCALDBCODE=SUB02\r\nWEBDBCODE=caf\xc3\xa9"},
        {"8-bit, CR alone", "LOCALDBCODE=SUB01\rWEBDBCODE=caf\xe9\r", "LOCALDBCODE=SUB02\r\nWEBDBCODE=caf\xe9"},
        {"UTF-8, LF alone", "LOCALDBCODE=SUB01\nWEBDBCODE=caf\xc3\xa9\n", "LOCALDBCODE=SUB02\r\nWEBDBCODE=caf\xc3\xa9"},
    };
    for (const Case& c : cases) {
        put(c.before);
        EXPECT_EQ(IniSetting::read(file, QStringLiteral("LOCALDBCODE"), QString()), QStringLiteral("SUB01")) << c.name;
        EXPECT_EQ(IniSetting::read(file, QStringLiteral("WEBDBCODE"), QString()), cafe) << c.name;
        IniSetting::write(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB02"));
        EXPECT_EQ(content().toHex().toStdString(), c.after.toHex().toStdString()) << c.name;
    }
    // A value 8-bit text cannot hold turns the file into UTF-8 rather than into question marks.
    put("WEBDBCODE=caf\xe9");
    IniSetting::write(file, QStringLiteral("LOCALDBCODE"), QStringLiteral(u"\u20b9"));
    EXPECT_EQ(content(), QByteArray("WEBDBCODE=caf\xc3\xa9\r\nLOCALDBCODE=\xe2\x82\xb9"));
}

// A disk that fills up, made as CrashTest makes it: no file may grow beyond a few bytes.
TEST_F(IniSettingTest, FailedRewriteOnAFullDiskLeavesTheOldFileWholeAndSaysSo)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "the full disk is a file-size limit (setrlimit), which Windows does not have";
#else
    IniSetting::write(file, QStringLiteral("WEBDBCODE"), QStringLiteral("MAIN01"));
    const QByteArray before = content();
    rlimit unlimited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const rlimit full{4, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const QString error = failure([&] { IniSetting::write(file, QStringLiteral("WEBDBCODE"), QStringLiteral("MAIN02")); });
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot write ") + file)) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error.toStdString();
    // The old file is whole, no half-written file was left beside it, and with room the write goes through.
    EXPECT_EQ(content(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList({QStringLiteral("Appsettings.ini")}));
    IniSetting::write(file, QStringLiteral("WEBDBCODE"), QStringLiteral("MAIN02"));
    EXPECT_EQ(IniSetting::read(file, QStringLiteral("WEBDBCODE"), QString()), QStringLiteral("MAIN02"));
#endif
}

TEST_F(IniSettingTest, KeyLineWithoutEqualsOrAnUnwritableFileFailsAndChangesNothing)
{
    put("LOCALDBCODE\r\nWEBDBCODE=MAIN01");
    EXPECT_EQ(failure([&] { IniSetting::read(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("dflt")); }),
              QStringLiteral("The line \"LOCALDBCODE\" of %1 has no \"=\".").arg(file));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE\r\nWEBDBCODE=MAIN01"));
    // Writing the key repairs the line.
    IniSetting::write(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB01"));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01"));

    // A folder below a regular file can never exist, whoever runs the test.
    put("not a folder");
    const QString impossible = file + QStringLiteral("/Appsettings.ini");
    const QString cannotWrite = QStringLiteral("Cannot write ") + impossible;
    EXPECT_TRUE(failure([&] { IniSetting::read(impossible, QStringLiteral("LOCALDBCODE"), QStringLiteral("dflt")); }).startsWith(cannotWrite));
    EXPECT_TRUE(failure([&] { IniSetting::write(impossible, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB01")); }).startsWith(cannotWrite));
    EXPECT_TRUE(failure([&] { report::TextFile::read(impossible); }).startsWith(QStringLiteral("Cannot read ") + impossible));
    EXPECT_FALSE(QFileInfo::exists(impossible));
    EXPECT_EQ(content(), QByteArray("not a folder"));
}

} // namespace
