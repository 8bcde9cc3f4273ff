// Recordsets: walking, fields by name and position, whole result as text, closed state.
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/TypeCode.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace db;

namespace {
Recordset twoRows()
{
    ResultData data;
    data.columns = {{"InvID", TypeCode::Integer}, {"Party", TypeCode::VarChar}, {"InvDate", TypeCode::DBTimeStamp}};
    data.values = {qlonglong(57), QStringLiteral("O'Brien"), QDateTime(QDate(2026, 12, 5), QTime(10, 30), Qt::UTC),
                   qlonglong(58), QVariant(), QVariant()};
    return Recordset(QStringLiteral("select * from tblSales"), std::move(data));
}
} // namespace

TEST(RecordsetTest, WalksRowsAndReadsFieldsByNameOrPosition)
{
    Recordset rs = twoRows();
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.fieldCount(), 3);
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.field("invid").value().toLongLong(), 57);
    EXPECT_EQ(rs.field(1).text(), "O'Brien");
    EXPECT_EQ(rs.field("InvDate").text(), "2026-12-05 10:30:00");
    EXPECT_EQ(rs.field("InvDate").typeCode(), TypeCode::DBTimeStamp);
    rs.moveNext();
    EXPECT_TRUE(rs.field("Party").isNull());
    EXPECT_EQ(rs.field("Party").text(), "");
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.moveNext(), DbError);
    EXPECT_THROW(rs.field(0), DbError);
    EXPECT_THROW(rs.field("NoSuchColumn"), DbError);
}

TEST(RecordsetTest, GetStringJoinsTheRemainingRowsAndAClosedRecordsetRefusesEveryRead)
{
    Recordset rs = twoRows();
    rs.moveNext();
    EXPECT_EQ(rs.getString(QStringLiteral("|"), QStringLiteral(","), QStringLiteral("-")), "58|-|-,");
    EXPECT_TRUE(rs.eof());
    // A closed recordset refuses every read.
    rs.close();
    EXPECT_FALSE(rs.isOpen());
    EXPECT_THROW(rs.eof(), DbError);
    EXPECT_THROW(rs.recordCount(), DbError);
    EXPECT_THROW(rs.field(0), DbError);
    EXPECT_EQ(Recordset().state(), 0);
}

TEST(RecordsetTest, EmptyResultIsAtEofAtOnce)
{
    ResultData data;
    data.columns = {{"ID", TypeCode::Integer}};
    Recordset rs(QStringLiteral("select ID from t"), std::move(data));
    EXPECT_TRUE(rs.eof());
    EXPECT_TRUE(rs.bof());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_EQ(rs.getString(), "");
    // Declared types reach their codes in EmbeddedEngineTest; a type the program does not know has none.
    EXPECT_EQ(typeCodeForTypeName("geography"), 0);
}
