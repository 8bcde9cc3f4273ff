// Numbers read from text the way settings, text boxes and list entries are read.
#include "text/NumberText.h"

#include <climits>
#include <gtest/gtest.h>

using namespace text;

TEST(NumberTextTest, LeadingNumberOrZeroAndPlainTextWithoutExponent)
{
    EXPECT_EQ(NumberText::leading("330abc"), 330);
    EXPECT_EQ(NumberText::leading(" -12.5"), -12.5);
    EXPECT_EQ(NumberText::leading("True"), 0);
    EXPECT_EQ(NumberText::leading(""), 0);
    EXPECT_EQ(NumberText::leading(".5%"), 0.5);
    EXPECT_EQ(NumberText::leading("1e3x"), 1000);
    EXPECT_EQ(NumberText::leading("7e"), 7);
    // Plain text has no exponent, grouping or trailing zeros.
    EXPECT_EQ(NumberText::plain(12.5), "12.5");
    EXPECT_EQ(NumberText::plain(10), "10");
    EXPECT_EQ(NumberText::plain(-0.25), "-0.25");
    EXPECT_EQ(NumberText::plain(1e20), "100000000000000000000");
    EXPECT_EQ(NumberText::plain(0), "0");
}

TEST(NumberTextTest, WholeNumbersRoundHalfToEvenAndRefuseOverflow)
{
    bool ok = false;
    EXPECT_EQ(NumberText::leadingWhole("2.5", INT_MIN, INT_MAX, &ok), 2);
    EXPECT_TRUE(ok);
    EXPECT_EQ(NumberText::leadingWhole("3.5", INT_MIN, INT_MAX), 4);
    EXPECT_EQ(NumberText::leadingWhole("40000", -32768, 32767, &ok), 0);
    EXPECT_FALSE(ok);
}
