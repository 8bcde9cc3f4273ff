#include "report/IniSetting.h"

#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using report::IniSetting;
using report::PromptIcon;

// Settings files: reading with defaults, rewriting, and the file errors that end in a warning box.
class IniSettingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    support::ScriptedPrompter prompter;
    IniSetting ini{prompter};
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

TEST_F(IniSettingTest, MissingFileIsCreatedHoldingTheKeyWithItsDefault)
{
    EXPECT_EQ(ini.read(file, QStringLiteral("LOCALDBCODE"), QString()), QString());
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE="));

    const QString loop = dir.filePath(QStringLiteral("AppsettingsLoop.ini"));
    EXPECT_EQ(ini.read(loop, QStringLiteral("MaxActivityID"), QStringLiteral("0")), QStringLiteral("0"));
    QFile in(loop);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), QByteArray("MaxActivityID=0"));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(IniSettingTest, AbsentKeyIsAppendedAndItsDefaultReturned)
{
    put("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01");
    EXPECT_EQ(ini.read(file, QStringLiteral("ENABLEAUTOMirtane"), QStringLiteral("False")), QStringLiteral("False"));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01\r\nENABLEAUTOMirtane=False"));
    // The second read finds the line the first one added.
    EXPECT_EQ(ini.read(file, QStringLiteral("ENABLEAUTOMirtane"), QStringLiteral("other")), QStringLiteral("False"));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01\r\nENABLEAUTOMirtane=False"));
}

TEST_F(IniSettingTest, BlanksAroundKeyAndValueAreIgnoredAndAReadLeavesTheFileAlone)
{
    const QByteArray original = "\r\n   LOCALDBCODE   =   SUB01   \r\n\r\nWEBDBCODE=MAIN01\r\n";
    put(original);
    EXPECT_EQ(ini.read(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("x")), QStringLiteral("SUB01"));
    EXPECT_EQ(ini.read(file, QStringLiteral(" WEBDBCODE "), QStringLiteral("x")), QStringLiteral("MAIN01"));
    EXPECT_EQ(content(), original);
}

TEST_F(IniSettingTest, KeysAreCaseSensitive)
{
    put("localdbcode=SUB01");
    EXPECT_EQ(ini.read(file, QStringLiteral("LOCALDBCODE"), QString()), QString());
    EXPECT_EQ(content(), QByteArray("localdbcode=SUB01\r\nLOCALDBCODE="));
}

TEST_F(IniSettingTest, ValueEndsAtTheNextEqualsSign)
{
    put("SYNCHCATEGORYIDS=1;2;=3;");
    EXPECT_EQ(ini.read(file, QStringLiteral("SYNCHCATEGORYIDS"), QString()), QStringLiteral("1;2;"));
}

TEST_F(IniSettingTest, ReadStoresTheValueIntoTheArgument)
{
    put("MaxActivityID=1234");
    QString value = QStringLiteral("0");
    EXPECT_EQ(ini.access(file, QStringLiteral("MaxActivityID"), value, IniSetting::Mode::Read), QStringLiteral("1234"));
    EXPECT_EQ(value, QStringLiteral("1234"));
}

TEST_F(IniSettingTest, WriteReplacesTheLineTrimsAndDropsEmptyLinesWithoutFinalBreak)
{
    put("A=1\r\n\r\n   MaxActivityID = 7  \r\n  C=3  \r\n\r\n");
    EXPECT_TRUE(ini.write(file, QStringLiteral("MaxActivityID"), QStringLiteral("42")));
    EXPECT_EQ(content(), QByteArray("A=1\r\nMaxActivityID=42\r\nC=3"));
}

TEST_F(IniSettingTest, WriteAddsAMissingKeyAtTheEndOrCreatesTheFile)
{
    EXPECT_TRUE(ini.write(file, QStringLiteral("WEBDBCODE"), QStringLiteral("MAIN01")));
    EXPECT_EQ(content(), QByteArray("WEBDBCODE=MAIN01"));
    EXPECT_TRUE(ini.write(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB01")));
    EXPECT_EQ(content(), QByteArray("WEBDBCODE=MAIN01\r\nLOCALDBCODE=SUB01"));
    EXPECT_TRUE(ini.write(file, QStringLiteral("WEBDBCODE"), QString()));
    EXPECT_EQ(content(), QByteArray("WEBDBCODE=\r\nLOCALDBCODE=SUB01"));
}

TEST_F(IniSettingTest, AnEmptyFileGivesTheDefaultAndGainsTheKey)
{
    put("\r\n  \r\n");
    EXPECT_EQ(ini.read(file, QStringLiteral("MaxActivityID"), QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(content(), QByteArray("MaxActivityID=0"));
}

TEST_F(IniSettingTest, LinesEndingInLfAloneAreStillSeparateSettings)
{
    put("LOCALDBCODE=SUB01\nWEBDBCODE=MAIN01\n");
    EXPECT_EQ(ini.read(file, QStringLiteral("LOCALDBCODE"), QString()), QStringLiteral("SUB01"));
    EXPECT_EQ(ini.read(file, QStringLiteral("WEBDBCODE"), QString()), QStringLiteral("MAIN01"));
    EXPECT_TRUE(ini.write(file, QStringLiteral("WEBDBCODE"), QStringLiteral("MAIN02")));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN02"));
}

TEST_F(IniSettingTest, KeyLineWithoutEqualsFailsTheReadWithAWarning)
{
    put("LOCALDBCODE\r\nWEBDBCODE=MAIN01");
    EXPECT_EQ(ini.read(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("dflt")), QString());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompter.shown[0].buttons, report::PromptButtons::Ok);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("The line \"LOCALDBCODE\" of %1 has no \"=\".").arg(file));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE\r\nWEBDBCODE=MAIN01"));
    // Writing the key repairs the line.
    EXPECT_TRUE(ini.write(file, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB01")));
    EXPECT_EQ(content(), QByteArray("LOCALDBCODE=SUB01\r\nWEBDBCODE=MAIN01"));
}

TEST_F(IniSettingTest, FileThatCannotBeWrittenShowsTheErrorAndReturnsEmpty)
{
    put("not a folder");
    const QString impossible = file + QStringLiteral("/Appsettings.ini");
    EXPECT_EQ(ini.read(impossible, QStringLiteral("LOCALDBCODE"), QStringLiteral("dflt")), QString());
    EXPECT_FALSE(ini.write(impossible, QStringLiteral("LOCALDBCODE"), QStringLiteral("SUB01")));
    ASSERT_EQ(prompter.shown.size(), 2u);
    for (const report::Prompt& box : prompter.shown) {
        EXPECT_EQ(box.icon, PromptIcon::Warning);
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("Cannot write ") + impossible)) << box.text.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(impossible));
}

// ServerName.ini: the server name is its first line.
TEST(IniSettingFirstLine, TakesTheTextUpToTheFirstCarriageReturn)
{
    EXPECT_EQ(IniSetting::firstLine(QStringLiteral("SRV01\r\nSRV02\r\n")), QStringLiteral("SRV01"));
    EXPECT_EQ(IniSetting::firstLine(QStringLiteral("SRV01")), QStringLiteral("SRV01"));
    EXPECT_EQ(IniSetting::firstLine(QString()), QString());
}

TEST(IniSettingFirstLine, LinesEndingInLfAloneAreJoinedWithoutSeparator)
{
    EXPECT_EQ(IniSetting::firstLine(QStringLiteral("SRV01\nSRV02\n")), QStringLiteral("SRV01SRV02"));
    EXPECT_EQ(IniSetting::firstLine(QStringLiteral("\nSRV01\r\nSRV02")), QStringLiteral("SRV01"));
}

} // namespace
