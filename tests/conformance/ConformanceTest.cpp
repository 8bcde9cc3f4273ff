// Behaviours where the embedded engine must answer as SQL Server does: one table of cases, each run
// on a fresh embedded database and, when MIRTANE_TEST_MSSQL gives a connection text, on that server.
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/embedded/EmbeddedServer.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

struct Case {
    const char* name;
    const char* setup;     ///< statements, one per line, that must succeed
    const char* statement; ///< the statement under test (may be empty)
    const char* check;     ///< a query whose rows are compared (fields "|", rows ";"), empty when an error is expected
    const char* expected;  ///< the rows of `check`
    int error;             ///< the error number `statement` must fail with (2628 also accepts 8152); 0 for none
    const char* note;      ///< what SQL Server does
};

// Setups that several cases share.
#define CF_IDENT "create table cf_ident (ID int IDENTITY(1,1) PRIMARY KEY, Name varchar(10))"
#define CF_STAGE CF_IDENT "\ncreate table cf_src (ID int, Name varchar(10))\ninsert into cf_src (ID, Name) values (7, 'x')\nselect * into #cf_stage from cf_src"
#define CF_TEXT "create table cf_text (Code varchar(5), Name nvarchar(3))"
#define CF_NUM "create table cf_num (Amount numeric(5,2))"
#define CF_CODES "create table cf_codes (Code varchar(10))\ninsert into cf_codes (Code) values ('05')"
#define CF_SALES "create table cf_sales (Party varchar(20), Amt int)"
#define CF_DATES "create table cf_dates (At datetime)"
#define CF_NN "create table cf_nn (ID int NOT NULL, Name varchar(5) NOT NULL)"

const Case cases[] = {
    // Identity columns
    {"IdentityExplicitValueRefused", CF_IDENT, "insert into cf_ident (ID, Name) values (5, 'a')", "", "", 544,
     "an explicit identity value needs IDENTITY_INSERT ON in the session"},
    {"IdentityWithoutColumnList", CF_IDENT, "insert into cf_ident values (5, 'a')", "", "", 8101,
     "a value for every column, identity included, needs a column list"},
    {"IdentityInsertOnTakesTheValue", CF_IDENT "\nSET IDENTITY_INSERT cf_ident ON", "insert into cf_ident (ID, Name) values (5, 'a')",
     "select ID, Name from cf_ident", "5|a", 0, "with IDENTITY_INSERT ON the given value is stored"},
    {"IdentityInsertOnNeedsTheValue", CF_IDENT "\nSET IDENTITY_INSERT cf_ident ON", "insert into cf_ident (Name) values ('a')", "", "", 545,
     "with IDENTITY_INSERT ON the identity value must be given"},
    {"IdentityNumbersTheRestOfTheValues", CF_IDENT, "insert into cf_ident values ('b')", "select ID, Name from cf_ident", "1|b", 0,
     "values without the identity column fill the other columns; the server numbers the row"},
    {"IdentityInsertOnATableWithoutIdentity", "create table cf_plain (ID int NOT NULL PRIMARY KEY)", "SET IDENTITY_INSERT cf_plain ON", "",
     "", 8106, "SET IDENTITY_INSERT is refused for a table without an identity column"},
    {"IdentityFoundInTheCatalog", CF_IDENT, "",
     "select COLUMNPROPERTY(OBJECT_ID('cf_ident'), 'ID', 'IsIdentity'), COLUMNPROPERTY(OBJECT_ID('cf_ident'), 'Name', 'IsIdentity')",
     "1|0", 0, "COLUMNPROPERTY(..., 'IsIdentity') tells identity columns apart"},
    {"IdentityBulkInsertFromStage", CF_STAGE, "Insert into cf_ident select * from #cf_stage", "", "", 8101,
     "the bulk transfer's insert from the stage needs a column list"},
    {"IdentityBulkInsertWithListAndSwitch", CF_STAGE "\nSET IDENTITY_INSERT cf_ident ON",
     "Insert into cf_ident (ID,Name) select ID,Name from #cf_stage", "select ID, Name from cf_ident", "7|x", 0,
     "with a column list and IDENTITY_INSERT ON the stage's keys are kept"},

    {"IdentityStartsAtItsSeed", "create table cf_seed (ID int IDENTITY(7,1) PRIMARY KEY, Name varchar(10))\n"
     "insert into cf_seed (Name) values ('a')\ninsert into cf_seed (Name) values ('b')",
     "", "select ID from cf_seed order by ID", "7;8", 0, "the first row gets the seed"},
    {"IdentityNotReusedAfterDelete", CF_IDENT "\ninsert into cf_ident (Name) values ('a')\ninsert into cf_ident (Name) values ('b')\n"
     "delete from cf_ident", "insert into cf_ident (Name) values ('c')", "select ID, Name from cf_ident", "3|c", 0,
     "a number once drawn is not drawn again after its row is deleted"},
    {"IdentityFollowsALargerExplicitKey", CF_IDENT "\nSET IDENTITY_INSERT cf_ident ON\ninsert into cf_ident (ID, Name) values (40, 'h')\n"
     "SET IDENTITY_INSERT cf_ident OFF\ndelete from cf_ident", "insert into cf_ident (Name) values ('own')", "select ID from cf_ident", "41", 0,
     "an explicit key above the counter moves it, even once its row is gone"},

    {"IdentityStepsByItsIncrement", "create table cf_step (ID int IDENTITY(5,3) PRIMARY KEY, Name varchar(10))\n"
     "insert into cf_step (Name) values ('a')\ninsert into cf_step (Name) values ('b')",
     "", "select ID from cf_step order by ID", "5;8", 0, "each row adds the increment to the last number drawn"},
    {"IdentityOnAColumnThatIsNotTheKey", "create table cf_loose (Code varchar(3) PRIMARY KEY, ID int IDENTITY(1,1) NOT NULL)\n"
     "insert into cf_loose (Code) values ('x')\nSET IDENTITY_INSERT cf_loose ON\ninsert into cf_loose (Code, ID) values ('z', 40)\n"
     "SET IDENTITY_INSERT cf_loose OFF",
     "insert into cf_loose (Code) values ('y')", "select Code, ID from cf_loose order by Code", "x|1;y|41;z|40", 0,
     "any integer column can be the identity; an explicit larger value moves the counter"},
    {"IdentityPastItsTypeFails", "create table cf_tiny (ID tinyint IDENTITY(255,1) PRIMARY KEY, Name varchar(10))\n"
     "insert into cf_tiny (Name) values ('a')", "insert into cf_tiny (Name) values ('b')", "", "", 8115,
     "the next number beyond the type's range is refused"},

    // Text that does not fit
    {"TruncationOnInsert", CF_TEXT, "insert into cf_text (Code) values ('abcdef')", "", "", 2628,
     "String or binary data would be truncated; nothing is stored"},
    {"TruncationOnUpdate", CF_TEXT "\ninsert into cf_text (Code) values ('a')", "update cf_text set Name = N'abcd'", "", "", 2628,
     "an UPDATE is checked as an INSERT is"},
    {"TruncationFromAQuery", CF_TEXT, "insert into cf_text (Code) select 'abcdef'", "", "", 2628, "rows from a query are checked too"},
    {"TruncationFromAWiderTable",
     CF_TEXT "\ncreate table cf_wide (Code varchar(10), Name nvarchar(3))\ninsert into cf_wide (Code, Name) values ('abcdef', 'x')",
     "insert into cf_text select * from cf_wide", "", "", 2628, "a table's rows are checked against the narrower column"},
    {"TrailingBlanksBeyondTheLengthAreDropped", CF_TEXT, "insert into cf_text (Code) values ('abc      ')", "select len(Code) from cf_text",
     "3", 0, "blanks past the length are cut without an error"},

    // Numbers
    {"NumericOverflow", CF_NUM, "insert into cf_num (Amount) values (1234.5)", "", "", 8115,
     "more integer digits than p-s is an arithmetic overflow"},
    {"NumericOverflowAfterRounding", CF_NUM, "insert into cf_num (Amount) values (999.995)", "", "", 8115,
     "rounding up to 1000.00 does not fit numeric(5,2)"},
    {"NumericRoundsToItsScale", CF_NUM, "insert into cf_num (Amount) values (1.005)", "select cast(Amount as varchar(20)) from cf_num", "1.01",
     0, "more decimals are rounded half away from zero"},
    {"NumericRoundsAfterACut", CF_NUM "\ninsert into cf_num (Amount) values (1.005)", "update cf_num set Amount = Amount * 0.875",
     "select cast(Amount as varchar(20)) from cf_num", "0.88", 0, "an update's result is rounded as it is stored"},
    {"IntegerOverflow", "create table cf_int (Qty smallint)", "insert into cf_int (Qty) values (40000)", "", "", 8115,
     "a smallint holds -32768 to 32767"},
    {"DecimalArithmeticIsExact", "create table cf_total (Total numeric(18,2))", "insert into cf_total (Total) values (0.1 * 3)",
     "select count(*) from cf_total where Total = 0.3", "1", 0, "0.1 * 3 is 0.3 exactly"},
    {"SumOfDecimalsIsExact", "create table cf_total (Total numeric(18,2))\ninsert into cf_total (Total) values (0.1)\n"
     "insert into cf_total (Total) values (0.1)\ninsert into cf_total (Total) values (0.1)",
     "", "select count(*) from (select sum(Total) as s from cf_total) x where s = 0.3", "1", 0, "SUM of numeric values is exact"},
    {"NumericCastToTextKeepsTheScale",
     "create table cf_num (Amount numeric(18,2), Price money)\ninsert into cf_num (Amount, Price) values (5926, 5926)", "",
     "select cast(Amount as varchar(20)), cast(Price as varchar(20)), cast(cast(12 as numeric(18,3)) as varchar(20)) from cf_num",
     "5926.00|5926.00|12.000", 0, "numeric and money written as text keep their decimals"},
    {"TextToIntConversionFails", "create table cf_num (Qty int)", "insert into cf_num (Qty) values ('12a')", "", "", 245,
     "text that is no number is refused by an int column"},

    {"NumericReadsBackWithItsScale", "create table cf_num (Amount numeric(18,2), Price money)\n"
     "insert into cf_num (Amount, Price) values (1250.5, 3)", "", "select Amount, Price from cf_num", "1250.50|3.0000", 0,
     "numeric and money values come back with every decimal of their scale"},
    {"NumericKeepsFifteenDigits", "create table cf_num (Amount numeric(18,2))", "insert into cf_num (Amount) values (9999999999999.99)",
     "select Amount from cf_num", "9999999999999.99", 0, "every digit of the value is kept"},
    {"ProductOfDecimalsIsExact", "create table cf_num (Rate numeric(18,2))\ninsert into cf_num (Rate) values (0.10)", "",
     "select count(*) from cf_num where Rate * 3 = 0.3", "1", 0, "0.10 * 3 is 0.30, not a binary fraction near it"},
    {"RateReductionIsExact", "create table cf_num (Rate numeric(18,2))\ninsert into cf_num (Rate) values (1.50)", "",
     "select count(*) from cf_num where Rate - Rate * 5 / 100 = 1.425", "1", 0, "1.50 less 5% is 1.425000 exactly"},
    {"SumOfColumnsAsTextIsExact", "create table cf_num (A numeric(18,2), B numeric(18,2))\ninsert into cf_num (A, B) values (0.11, 0.22)", "",
     "select cast(A + B as varchar(20)) from cf_num", "0.33", 0, "the sum of two decimals is exact"},
    {"AverageOfDecimalsIsExact", "create table cf_num (A numeric(18,2))\ninsert into cf_num (A) values (0.11)\ninsert into cf_num (A) values (0.22)",
     "", "select count(*) from (select avg(A) as a from cf_num) x where a = 0.165", "1", 0, "AVG of decimals is exact"},
    {"IntegerDivideByZero", "create table cf_num (Qty int)\ninsert into cf_num (Qty) values (0)", "select 10 / Qty from cf_num", "", "", 8134,
     "Divide by zero error encountered"},
    {"DecimalDivideByZero", "create table cf_num (Qty numeric(18,2))\ninsert into cf_num (Qty) values (0)", "select 1.5 / Qty from cf_num", "", "",
     8134, "a decimal divided by zero fails as well"},

    // Ranges and lengths
    {"DatetimeBefore1753", CF_DATES, "insert into cf_dates (At) values ('1752-12-31')", "", "", 242, "datetime starts at 1753-01-01"},
    {"SmalldatetimeOutOfRange", "create table cf_dates (Small smalldatetime)", "insert into cf_dates (Small) values ('2079-06-07')", "", "", 242,
     "smalldatetime ends at 2079-06-06 23:59"},
    {"VarcharWithoutLengthHoldsOne", "create table cf_one (Code varchar)", "insert into cf_one (Code) values ('ab')", "", "", 2628,
     "varchar without a length in a column is varchar(1)"},
    {"VarcharWithoutLengthInCastIsThirty", "", "", "select cast('123456789012345678901234567890123' as varchar)",
     "123456789012345678901234567890", 0, "varchar without a length in CAST is varchar(30)"},
    {"DateaddPastTheRange", "", "select dateadd(year, 1, cast('9999-06-01' as datetime))", "", "", 517,
     "adding past 9999-12-31 overflows"},
    {"DecimalCastToShortText", "", "select cast(123.45 as varchar(3))", "", "", 8115, "a decimal that does not fit the text fails"},
    {"IntegerCastToShortTextIsAStar", "", "", "select cast(12345 as varchar(3))", "*", 0, "a whole number that does not fit shows as *"},
    {"SmalldatetimeCastRoundsToTheMinute", "", "", "select cast('2026-12-02T10:30:40' as smalldatetime)", "2026-12-02 10:31:00", 0,
     "a cast to smalldatetime rounds to the minute"},

    // Refusals
    {"MoreColumnsThanValues", CF_SALES, "insert into cf_sales (Party, Amt) values ('a')", "", "", 109,
     "more columns in the INSERT than values"},
    {"SelectListShorterThanInsertList", CF_SALES, "insert into cf_sales (Party, Amt) select 'a'", "", "", 120,
     "the select list has fewer items than the insert list"},
    {"AmbiguousColumn", CF_SALES "\ncreate table cf_codes (Party varchar(10))", "select Party from cf_sales, cf_codes", "", "", 209,
     "a column two tables have must be qualified"},
    {"NotNullColumnAddedToAFilledTable", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('a', 1)",
     "alter table cf_sales add Extra int NOT NULL", "", "", 4901, "a NOT NULL column without a default needs an empty table"},

    // Comparisons
    {"TextColumnComparedWithANumber", CF_CODES, "", "select Code from cf_codes where Code = 5", "05", 0,
     "the text column is converted to int, so '05' equals 5"},
    {"TextColumnWithNoNumberComparedWithANumber", CF_CODES "\ninsert into cf_codes (Code) values ('abc')",
     "select Code from cf_codes where Code = 5", "", "", 245, "Conversion failed when converting the varchar value 'abc' to data type int"},
    {"LiteralsIgnoreTrailingBlanksAndCase", "", "",
     "select case when 'abc' = 'abc   ' then 1 else 0 end, case when 'abc' = 'ABC' then 1 else 0 end", "1|1", 0,
     "the default collation ignores trailing blanks and letter case"},
    {"ColumnsIgnoreTrailingBlanksAndCase", "create table cf_codes (Code varchar(10))\ninsert into cf_codes (Code) values ('abc')", "",
     "select count(*) from cf_codes where Code = 'ABC  '", "1", 0, "a column compares as its default collation does"},
    {"CollateDatabaseDefaultInASubquery", "create table cf_codes (Code varchar(10))\ninsert into cf_codes (Code) values ('abc')", "",
     "select count(*) from cf_codes s where s.Code in (select m.Code COLLATE DATABASE_DEFAULT from cf_codes m where m.Code = 'ABC ')", "1",
     0, "COLLATE DATABASE_DEFAULT compares in the database's collation, as the mismatch search does across servers"},

    {"IntColumnComparedWithTextThatIsNoNumber", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('a', 3)",
     "select Party from cf_sales where Amt = 'x3'", "", "", 245, "the text is converted to int and fails"},
    {"DatetimeColumnComparedWithTextThatIsNoDate", CF_DATES "\ninsert into cf_dates (At) values ('20261202')",
     "select At from cf_dates where At = 'soon'", "", "", 241, "the text is converted to datetime and fails"},

    // Grouping
    {"ColumnNeitherGroupedNorAggregated", CF_SALES, "select Party, sum(Amt) from cf_sales", "", "", 8120,
     "a column outside an aggregate needs GROUP BY"},
    {"ColumnMissingFromGroupBy", CF_SALES, "select Party, Amt, sum(Amt) from cf_sales group by Party", "", "", 8120,
     "every loose column must be grouped"},
    {"HavingNamesAnUngroupedColumn", CF_SALES, "select Party, sum(Amt) from cf_sales group by Party having Amt > 1", "", "", 8121,
     "HAVING may name only grouped columns outside an aggregate"},
    {"OrderByNamesAnUngroupedColumn", CF_SALES, "select Party, sum(Amt) from cf_sales group by Party order by Amt", "", "", 8127,
     "ORDER BY may name only grouped columns outside an aggregate"},
    {"AliasInGroupByIsNoColumn", CF_SALES, "select Party as Who, count(*) from cf_sales group by Who", "", "", 207,
     "GROUP BY is read before the select list, so its aliases are no columns there"},
    {"GroupedColumnsAndAggregates", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('b', 2)\n"
     "insert into cf_sales (Party, Amt) values ('a', 1)\ninsert into cf_sales (Party, Amt) values ('b', 3)",
     "", "select Party, sum(Amt) as Total, count(*) from cf_sales group by Party order by Party", "a|1|1;b|5|2", 0,
     "grouped columns and aggregates are accepted"},

    // Dates
    {"IsoDateTimeKeepsMilliseconds", CF_DATES, "insert into cf_dates (At) values ('2026-12-02T10:30:15.123')", "select At from cf_dates",
     "2026-12-02 10:30:15.123", 0, "yyyy-MM-ddTHH:mm:ss.fff is read the same under every setting, milliseconds kept"},
    {"UnseparatedDate", CF_DATES "\ninsert into cf_dates (At) values ('20261202')", "",
     "select count(*) from cf_dates where At = '2026-12-02'", "1", 0, "yyyyMMdd is a date under every setting"},
    {"ImpossibleDateFails", CF_DATES, "insert into cf_dates (At) values ('2026-13-02')", "", "", 242,
     "month 13 is out of range, not stored as text"},
    {"ImpossibleDateInAComparisonFails", CF_DATES, "select count(*) from cf_dates where At = '2026-13-02'", "", "", 242,
     "a comparison with an impossible date fails instead of matching nothing"},
    {"DatetimeMillisecondsRound", CF_DATES "\ninsert into cf_dates (At) values ('2026-12-02T10:30:15.998')\n"
     "insert into cf_dates (At) values ('2026-12-02T10:30:15.999')\ninsert into cf_dates (At) values ('2026-12-02T10:30:15.002')",
     "", "select At from cf_dates order by At", "2026-12-02 10:30:15.003;2026-12-02 10:30:15.997;2026-12-02 10:30:16", 0,
     "datetime holds milliseconds in steps of .000, .003 and .007"},
    {"SmalldatetimeRoundsToTheMinute", "create table cf_dates (Small smalldatetime)\ninsert into cf_dates (Small) values "
     "('2026-12-02T10:30:29.998')\ninsert into cf_dates (Small) values ('2026-12-02T10:31:29.999')",
     "", "select Small from cf_dates order by Small", "2026-12-02 10:30:00;2026-12-02 10:32:00", 0,
     "smalldatetime rounds to the minute; 29.999 seconds and on round up"},

    // NOT NULL
    {"NotNullOnInsert", CF_NN, "insert into cf_nn (ID) values (1)", "", "", 515, "Cannot insert the value NULL into column 'Name'"},
    {"NotNullOnUpdate", CF_NN "\ninsert into cf_nn (ID, Name) values (1, 'a')", "update cf_nn set Name = NULL", "", "", 515,
     "an UPDATE to NULL fails as an INSERT does"},

    // Application locks
    {"AppLockInATransactionIsGranted", "begin transaction", "",
     "declare @granted int; exec @granted = sp_getapplock @Resource = N'cf_lock', @LockMode = 'Exclusive', @LockOwner = 'Transaction', "
     "@LockTimeout = 0; select @granted as Granted",
     "0", 0, "a lock the transaction owns is granted at once when no other session holds it; it goes with the transaction"},
    {"AppLockOutsideATransactionIsACallError", "", "",
     "declare @granted int; exec @granted = sp_getapplock @Resource = N'cf_lock', @LockMode = 'Exclusive', @LockOwner = 'Transaction', "
     "@LockTimeout = 0; select @granted as Granted",
     "-999", 0, "a lock owned by the transaction outside any transaction returns -999 and is not taken"},

    // Types of expressions
    {"SumOfIntsLeavingTheRangeFails", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('a', 2000000000)\n"
     "insert into cf_sales (Party, Amt) values ('a', 2000000000)", "select sum(Amt) from cf_sales", "", "", 8115,
     "the sum of an int column is an int"},
    {"IntCastOutOfRangeFails", "", "select cast(3000000000 as int)", "", "", 8115, "a cast to int checks the range"},
    {"IntLiteralsAddedBeyondTheRangeFail", "", "select 2147483647 + 1", "", "", 8115, "two int literals add as an int"},
    {"SubqueryOfTwoRowsFails", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('a', 1)\ninsert into cf_sales (Party, Amt) values ('b', 2)",
     "select count(*) from cf_sales where Amt = (select Amt from cf_sales)", "", "", 512,
     "a subquery after = must give at most one row"},
    {"IsNullHasTheFirstArgumentsType", "create table cf_null (Code varchar(2), Qty int, Amount numeric(18,2))\n"
     "insert into cf_null (Code) values (NULL)", "",
     "select isnull(Code, 'abcd'), isnull(Qty, 1.9), cast(isnull(Amount, 0) as varchar(10)) from cf_null", "ab|1|0.00", 0,
     "ISNULL converts the replacement to the type of its first argument"},
    {"BlankTextConverts", "", "", "select cast('' as int), cast('' as datetime)", "0|1900-01-01 00:00:00", 0,
     "blank text is 0 as a number and 1900-01-01 as a date"},

    {"EighteenDigitsAreKeptExactly", "create table cf_big (A numeric(18,2), B numeric(18,3))",
     "insert into cf_big (A, B) values (9999999999999999.99, 999999999999999.999)",
     "select A, cast(B as varchar(30)), A - 0.99 from cf_big", "9999999999999999.99|999999999999999.999|9999999999999999.00", 0,
     "numeric keeps every digit of its precision, stored and computed"},
    {"QuotientScale", "", "", "select 7.0/2, 1.0/3", "3.500000|0.333333", 0,
     "a quotient of decimals has scale max(6, s1 + p2 + 1), cut to it"},
    {"CaseTakesTheTypeOfHighestPrecedence", "", "", "select case when 1 = 1 then 1 else 2.5 end", "1.0", 0,
     "an int branch of a CASE that also gives a numeric(2,1) reads as that numeric"},
    {"MoneyDividedByInt", "", "", "select cast(250000 as money)/12", "20833.3333", 0, "money divided by int is money: four decimals"},
    {"ProductOfAColumnKeepsTheScale", CF_NUM "\ninsert into cf_num (Amount) values (1.5)", "",
     "select Amount * 3, cast(Amount * 0.95 as varchar(20)), avg(Amount) from cf_num group by Amount", "4.50|1.4250|1.500000", 0,
     "precision and scale of products follow p1 + p2 + 1, s1 + s2; AVG of a decimal has six decimals"},
    {"IntArithmeticLeavingTheRangeFails", CF_SALES "\ninsert into cf_sales (Party, Amt) values ('a', 5)",
     "select Amt * 1000000000 from cf_sales", "", "", 8115, "int times int is an int"},

    // Shapes the program sends
    {"ProgramRowCopy", "create table cf_item (ItemID int NOT NULL PRIMARY KEY, ItemName varchar(50), Rate numeric(18,2), At datetime)",
     "Insert into cf_item (ItemID,ItemName,Rate,At) values (1,'Soap',12.5,'2026-12-05T10:30:00.127')",
     "select ItemID, ItemName, cast(Rate as varchar(20)), At from cf_item", "1|Soap|12.50|2026-12-05 10:30:00.127", 0,
     "the row copy's insert, a date-time with milliseconds"},
    {"ProgramNextKey", "create table cf_item (ItemID int NOT NULL PRIMARY KEY)\ninsert into cf_item (ItemID) values (4)", "",
     "select isnull(max(ItemID),0)+1 from cf_item", "5", 0, "the next key of a voucher copy"},
    {"ProgramDayCount", "create table cf_sale (InvID int NOT NULL PRIMARY KEY, InvDate datetime, BillAmt numeric(18,2))\n"
     "insert into cf_sale (InvID, InvDate, BillAmt) values (1, '20261205', 10.25)\n"
     "insert into cf_sale (InvID, InvDate, BillAmt) values (2, '20261205', 0.1)",
     "", "select count(*), cast(sum(BillAmt) as varchar(20)) from cf_sale where InvDate='20261205'", "2|10.35", 0,
     "the day counts of the reconciliation, dates as yyyyMMdd"},
    {"ProgramTopAndWriteBack", "create table cf_sale (InvID int NOT NULL PRIMARY KEY, Marked int)\ninsert into cf_sale (InvID, Marked) values (1, 0)",
     "Update cf_sale set Marked = 1 where InvID = 1", "select top 1 InvID, Marked from cf_sale order by InvID", "1|1", 0,
     "the mark written back after a copy"},
};

std::ostream& operator<<(std::ostream& out, const Case& c)
{
    return out << c.name;
}

QStringList lines(const char* text)
{
    QStringList out;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            out << line;
    return out;
}

QString rowsOf(db::Connection& connection, const QString& sql)
{
    db::Recordset rs = connection.openRecordset(sql);
    QStringList rows;
    while (!rs.eof()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << rs.field(i).text();
        rows << fields.join(QLatin1Char('|'));
        rs.moveNext();
    }
    return rows.join(QLatin1Char(';'));
}

class Conformance : public ::testing::TestWithParam<Case> {
protected:
    // Runs the case on `connection` and checks what SQL Server would give.
    void runCase(db::Connection& connection)
    {
        const Case& c = GetParam();
        for (const QString& statement : lines(c.setup))
            ASSERT_NO_THROW(connection.execute(statement)) << statement.toStdString();
        if (c.error != 0) {
            try {
                connection.execute(QString::fromUtf8(c.statement));
                ADD_FAILURE() << "no error; SQL Server gives " << c.error << ": " << c.note;
            } catch (const db::DbError& e) {
                const bool truncation = c.error == 2628 && e.nativeCode() == 8152;
                EXPECT_TRUE(e.nativeCode() == c.error || truncation)
                    << e.nativeCode() << " " << e.message().toStdString() << "; SQL Server gives " << c.error << ": " << c.note;
            }
            return;
        }
        if (*c.statement) {
            ASSERT_NO_THROW(connection.execute(QString::fromUtf8(c.statement))) << c.note;
        }
        try {
            EXPECT_EQ(rowsOf(connection, QString::fromUtf8(c.check)).toStdString(), c.expected) << c.note;
        } catch (const db::DbError& e) {
            ADD_FAILURE() << e.message().toStdString() << "; " << c.note;
        }
    }
};

TEST_P(Conformance, EmbeddedEngine)
{
    static QTemporaryDir folder;
    static int catalogs = 0;
    ASSERT_TRUE(folder.isValid());
    const QString serverFolder = folder.path() + QStringLiteral("/servers/CF");
    db::embedded::EmbeddedServer server(serverFolder);
    if (!server.exists())
        server.createServer();
    const QString catalog = QStringLiteral("CF%1").arg(++catalogs);
    db::Connection master(db::ConnectionContext{folder.path()});
    master.open(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=master;Data Source=embedded:CF"));
    master.execute(QStringLiteral("CREATE DATABASE ") + catalog);
    db::Connection connection(db::ConnectionContext{folder.path()});
    connection.open(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=%1;Data Source=embedded:CF").arg(catalog));
    runCase(connection);
}

TEST_P(Conformance, SqlServer)
{
    const QString text = qEnvironmentVariable("MIRTANE_TEST_MSSQL");
    if (text.isEmpty())
        GTEST_SKIP() << "MIRTANE_TEST_MSSQL is not set: the case runs on the embedded engine only";
    db::Connection connection(db::ConnectionContext{});
    connection.open(text);
    // The case's tables are made anew in the server's database and dropped afterwards.
    static const QRegularExpression created(QStringLiteral(R"(create table (cf_\w+))"), QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (auto match = created.globalMatch(QString::fromUtf8(GetParam().setup)); match.hasNext();)
        tables << match.next().captured(1);
    auto dropTables = [&] {
        for (const QString& table : tables)
            connection.execute(QStringLiteral("IF OBJECT_ID('%1') IS NOT NULL DROP TABLE %1").arg(table));
    };
    dropTables();
    runCase(connection);
    dropTables();
}

INSTANTIATE_TEST_SUITE_P(Cases, Conformance, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
