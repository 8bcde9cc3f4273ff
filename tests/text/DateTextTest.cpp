// Date texts: the forms written into SQL, logs and file names, and the forms read back.
#include "text/DateText.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace text;

TEST(DateTextTest, WritesEveryFormWithEnglishMonths)
{
    QLocale::setDefault(QLocale(QLocale::German));
    const QDateTime t(QDate(2026, 3, 1), QTime(23, 59, 59), Qt::UTC);
    EXPECT_EQ(DateText::sqlDate(t.date()), "20260301");
    EXPECT_EQ(DateText::sqlDateTime(t.addMSecs(7)), "2026-03-01T23:59:59.007");
    EXPECT_EQ(DateText::storedDateTime(t), "2026-03-01 23:59:59");
    EXPECT_EQ(DateText::storedDateTime(t.addMSecs(7)), "2026-03-01 23:59:59.007");
    EXPECT_EQ(DateText::parse(DateText::sqlDateTime(t.addMSecs(7))), t.addMSecs(7));
    EXPECT_EQ(DateText::parse(DateText::sqlDate(t.date())), QDateTime(t.date(), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(DateText::dayMonthYear(t.date()), "01/Mar/2026");
    EXPECT_EQ(DateText::timeAmPm(t.time()), "11:59:59 PM");
    EXPECT_EQ(DateText::timeAmPm(QTime(0, 5, 0)), "12:05:00 AM");
    EXPECT_EQ(DateText::logFileStem(t.date()), "01032026");
    EXPECT_EQ(DateText::monthAbbreviation(QDate(2026, 12, 6)), "Dec");
    QLocale::setDefault(QLocale::c());
}

TEST(DateTextTest, ParsesTheDateFormsTheProgramWritesAndRefusesOthers)
{
    const QDateTime expected(QDate(2026, 12, 5), QTime(10, 30, 0), Qt::UTC);
    EXPECT_EQ(DateText::parse("2026-12-05 10:30:00"), expected);
    EXPECT_EQ(DateText::parse("2026-12-05T10:30:00"), expected);
    EXPECT_EQ(DateText::parse("05/Dec/2026 10:30:00"), expected);
    EXPECT_EQ(DateText::parse("05/DEC/2026 10:30:00 AM"), expected);
    EXPECT_EQ(DateText::parse("2026-12-05"), QDateTime(QDate(2026, 12, 5), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(DateText::parse("2028-02-29 23:59:59").date(), QDate(2028, 2, 29));
    // What is not a date is refused.
    EXPECT_FALSE(DateText::parse("2026-02-30").isValid());
    EXPECT_FALSE(DateText::parse("O'Brien").isValid());
    EXPECT_FALSE(DateText::parse("12345").isValid());
    EXPECT_FALSE(DateText::parse("05/Foo/2026").isValid());
}
