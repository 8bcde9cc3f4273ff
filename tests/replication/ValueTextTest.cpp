// How number, bit, date, binary and guid values are written inside a generated INSERT statement
// (texts, NULLs and bits from the database: ValuesTest).
#include "replication/ValueText.h"

#include "db/Field.h"
#include "db/TypeCode.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace replication;

namespace {
QString text(int typeCode, const QVariant& value)
{
    return ValueText::of(db::Field(db::Column{QStringLiteral("C"), typeCode}, value));
}
} // namespace

TEST(ValueTextTest, ExactNumbersKeepEveryDigitWithoutTrailingZeros)
{
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral("12.50")), "12.5");
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral("12345678901234.5678")), "12345678901234.5678");
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral("99999999999999999999999999999999999.123")),
              "99999999999999999999999999999999999.123");
    EXPECT_EQ(text(db::TypeCode::Currency, QStringLiteral("-0012.3400")), "-12.34");
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral("10.00")), "10");
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral("-0.00")), "0");
    EXPECT_EQ(text(db::TypeCode::Numeric, QStringLiteral(".5")), "0.5");
    EXPECT_EQ(text(db::TypeCode::Numeric, 2.25), "2.25");
}

TEST(ValueTextTest, OtherNumbersGoThroughTheirNumericValueAndBitsAreOneOrZero)
{
    EXPECT_EQ(text(db::TypeCode::Integer, qlonglong(57)), "57");
    EXPECT_EQ(text(db::TypeCode::BigInt, qlonglong(9007199254740993LL)), "9007199254740993");
    EXPECT_EQ(text(db::TypeCode::Double, 0.1 + 0.2), "0.3");
    EXPECT_EQ(text(db::TypeCode::Double, 1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(text(db::TypeCode::Double, 1.5e20), "150000000000000000000");
    EXPECT_EQ(text(db::TypeCode::Single, -2.5e-7), "-0.00000025");
    EXPECT_EQ(text(db::TypeCode::Integer, QStringLiteral("330abc")), "330");
    EXPECT_EQ(text(0, QStringLiteral("abc")), "0");
    // Bits are one or zero.
    EXPECT_EQ(text(db::TypeCode::Boolean, true), "1");
    EXPECT_EQ(text(db::TypeCode::Boolean, false), "0");
    EXPECT_EQ(text(db::TypeCode::Boolean, QStringLiteral("True")), "1");
    EXPECT_EQ(text(db::TypeCode::Boolean, QStringLiteral("False")), "0");
    EXPECT_EQ(text(db::TypeCode::Boolean, qlonglong(-1)), "1");
}

TEST(ValueTextTest, DatesBinariesAndGuidsKeepTheirValue)
{
    // A date-time keeps its milliseconds on the way.
    const QDateTime when(QDate(2026, 12, 5), QTime(10, 30, 15, 127), Qt::UTC);
    EXPECT_EQ(text(db::TypeCode::DBTimeStamp, when), "'2026-12-05T10:30:15.127'");
    EXPECT_EQ(text(db::TypeCode::DBTimeStamp, QStringLiteral("05/Dec/2026")), "'2026-12-05T00:00:00.000'");
    EXPECT_EQ(text(db::TypeCode::VarBinary, QByteArray("\x00\xab\x10", 3)), "0x00AB10");
    EXPECT_EQ(text(db::TypeCode::Binary, QByteArray()), "0x");
    EXPECT_EQ(text(db::TypeCode::Guid, QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
              "'6F9619FF-8B86-D011-B42D-00C04FC964FF'");
}
