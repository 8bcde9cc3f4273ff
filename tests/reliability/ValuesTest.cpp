// Values that could change a statement or be bent by a text conversion arrive byte for byte:
// through the row copy, Master Synchronisation by bulk transfer and the voucher copy.
#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "VectorControls.h"
#include "ReadOnlyFile.h"

#include "connection/LinkedServer.h"
#include "masters/FullSync.h"
#include "replication/RowCopier.h"
#include "replication/TransactionCopier.h"
#include "replication/ValueText.h"

#include <QFile>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

using support::TempServers;

namespace {

// Texts that have broken statements, connection texts or text conversions somewhere.
const QStringList hostileTexts{
    QStringLiteral("O'Brien"),
    QStringLiteral("a;b"),
    QStringLiteral("--x"),
    QStringLiteral("'); DROP TABLE tblLedger;--"),
    QStringLiteral("\u00fc\u20ac\u4e2d\U0001F600"),
    QStringLiteral("line one\r\nline two\n"),
    QStringLiteral("trailing blanks   "),
    QString(QLatin1String("")),
    // A NUL ends a literal's text on some servers; a leading U+FEFF looks like a byte-order mark.
    QStringLiteral("nul") + QChar(0) + QStringLiteral("after") + QChar(0x1f) + QChar(0x7f),
    QString(QChar(0xfeff)) + QStringLiteral("zero width no-break space first"),
};
constexpr int firstLid = 90001; // above every demo ledger of both sides

// Each value as sqlite holds it: its storage class and its bytes in hex.
std::string stored(const QString& file, const QString& sql)
{
    return reliability::ReadOnlyFile(file).rows(sql, true).join(QLatin1Char('\n')).toStdString();
}

class ValuesTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    const int branchLedgers = TempServers::scalar(servers.branch(), QStringLiteral("select count(*) from tblLedger")).toInt();
    const int headLedgers = TempServers::scalar(servers.headOffice(), QStringLiteral("select count(*) from tblLedger")).toInt();

    QString branchFile() const { return servers.folder() + QStringLiteral("/servers/BR/SUB01.sqlite"); }
    QString headFile() const { return servers.folder() + QStringLiteral("/servers/HO/MAIN01.sqlite"); }

    // One head-office ledger per hostile text (LName, LAliasName), one more whose nullable
    // columns are all NULL, with bits 0, 1 and NULL, leap-day and last-second dates and the
    // largest and smallest numeric(18,2) amounts the embedded engine keeps exactly (15 digits).
    void addHostileLedgers()
    {
        const QStringList amounts{QStringLiteral("9999999999999.99"), QStringLiteral("-9999999999999.99"), QStringLiteral("0.01"),
                                  QStringLiteral("-0.01")};
        const QStringList dates{QStringLiteral("'2024-02-29 23:59:59'"), QStringLiteral("'2000-02-29 00:00:00'"), QStringLiteral("'2026-12-31 23:59:59'")};
        const QStringList bits{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("NULL")};
        int lid = firstLid;
        for (qsizetype i = 0; i < hostileTexts.size(); ++i, ++lid) {
            const QString text = replication::ValueText::literal(hostileTexts[i], replication::ValueText::Literal::Ansi);
            const QString unicodeText = replication::ValueText::literal(hostileTexts[i], replication::ValueText::Literal::Unicode);
            servers.headOffice().execute(QStringLiteral("insert into tblLedger (LID, LName, LAliasName, Address1, OpeningBalance, CreditLimit, "
                                                        "CreditDays, ActiveStatus, CreatedDate) values (%1, %2, %2, %3, %4, %5, %6, %7, %8)")
                                             .arg(lid)
                                             .arg(text, unicodeText, amounts[i % amounts.size()],
                                                  amounts[(i + 1) % amounts.size()], QString::number(i == 0 ? 2147483647 : -2147483647 + int(i)),
                                                  bits[i % bits.size()], dates[i % dates.size()]));
        }
        servers.headOffice().execute(QStringLiteral("insert into tblLedger (LID, LName) values (%1, 'all nulls')").arg(lid));
    }

    static QString ledgerRows() { return QStringLiteral("select * from tblLedger where LID >= %1 order by LID").arg(firstLid); }
    // `others`: how many ledgers below the hostile ones the branch should hold afterwards.
    void expectLedgersAsInTheHeadOffice(int others)
    {
        const std::string source = stored(headFile(), ledgerRows());
        // The head office holds the NUL and the leading U+FEFF, so the comparison below means something.
        EXPECT_NE(source.find("6e756c00616674657"), std::string::npos);
        EXPECT_NE(source.find("text:efbbbf7a65726f"), std::string::npos);
        ASSERT_EQ(TempServers::scalar(servers.headOffice(), QStringLiteral("select count(*) from tblLedger where LID >= %1").arg(firstLid)).toInt(),
                  hostileTexts.size() + 1);
        EXPECT_EQ(stored(branchFile(), ledgerRows()), source);
        // The injection attempt stayed a value: the branch's own ledgers are all still there.
        EXPECT_EQ(TempServers::scalar(servers.branch(), QStringLiteral("select count(*) from tblLedger where LID < %1").arg(firstLid)).toInt(),
                  others);
    }
};

} // namespace

TEST_F(ValuesTest, RowCopyAndBulkFullSyncWriteEveryHostileValueUnchanged)
{
    addHostileLedgers();
    replication::RowCopier copier(servers.headOffice(), servers.branch(), reporter);
    const replication::CopyOutcome outcome =
        copier.copy(QStringLiteral("tblLedger"), QStringLiteral("select * from tblLedger where LID >= %1").arg(firstLid));
    EXPECT_EQ(outcome.inserted, hostileTexts.size() + 1);
    expectLedgersAsInTheHeadOffice(branchLedgers);

    ASSERT_TRUE(connection::LinkedServer::configure(servers.branch(), QStringLiteral("embedded:HO"), prompter));
    support::VectorListControl list;
    masters::FullSync::Setup setup{QStringLiteral("embedded:HO"), QStringLiteral("MAIN01"), [] { return true; }, {}, {}};
    masters::FullSync(servers.branch(), servers.headOffice(), reporter, prompter, list, setup).run();
    EXPECT_TRUE(reporter.balloons.empty()) << reporter.balloons[0].toStdString();
    expectLedgersAsInTheHeadOffice(headLedgers);
}

TEST_F(ValuesTest, VoucherCopyWritesEveryHostileValueUnchangedUnderTheNewKey)
{
    db::Connection& head = servers.headOffice();
    // Room for the longest hostile text on both sides, which SQL Server would otherwise refuse.
    for (db::Connection* side : {&head, &servers.branch()})
        side->execute(QStringLiteral("Alter table tblSalesItem Alter Column BatchNo nvarchar(200) NULL"));
    head.execute(QStringLiteral("insert into tblSales (InvID, InvNo, InvDate, VchTypeID, Party, GrossAmt, BillAmt, DiscountAmt, RoundOff, "
                                "Narration, cancelled, TaxType, CreatedTime) values (88001, '--x', '2024-02-29 23:59:59', 1, "
                                "'''); DROP TABLE tblLedger;--', 9999999999999.99, -9999999999999.99, 0.01, NULL, "
                                "'line one\r\nline two', 0, NULL, '2000-02-29 00:00:00')"));
    for (qsizetype i = 0; i < hostileTexts.size(); ++i)
        head.execute(QStringLiteral("insert into tblSalesItem (InvID, SlNo, ItemID, Qty, Prate, rate, MRP, BatchNo) "
                                    "values (88001, %1, 1, %2, 9999999999999.99, -9999999999999.99, NULL, %3)")
                         .arg(i + 1)
                         .arg(i % 2 ? QStringLiteral("NULL") : QStringLiteral("0.001"), replication::ValueText::literal(hostileTexts[i], replication::ValueText::Literal::Ansi)));
    servers.addVoucherMarks();
    replication::VoucherCopy copy;
    copy.masterTable = QStringLiteral("tblSales");
    copy.masterCondition = QStringLiteral("InvID=88001");
    copy.keyColumn = QStringLiteral("InvID");
    copy.detailTable = QStringLiteral("tblSalesItem");
    copy.detailSource = QStringLiteral("tblSalesItem");
    copy.skippedColumn = QStringLiteral("SyncStat");

    const replication::VoucherOutcome outcome = replication::TransactionCopier(head, servers.branch(), reporter).copy(copy);

    ASSERT_EQ(outcome.committed, 1);
    // Every column but the key, which the copy draws anew.
    const QString master = QStringLiteral("select InvNo, InvDate, VchTypeID, Party, LID, AgentID, EmpID, CCID, GodownID, TaxType, GrossAmt, "
                                          "DiscountAmt, TaxAmt, RoundOff, BillAmt, CashReceived, Narration, cancelled, SortNumber, UserID, "
                                          "CreatedTime from tblSales where InvID=%1");
    EXPECT_EQ(stored(branchFile(), master.arg(outcome.newKey)), stored(headFile(), master.arg(88001)));
    const QString items = QStringLiteral("select SlNo, ItemID, Qty, UnitID, Prate, rate, MRP, DiscPer, TaxPer, TaxAmt, NetAmount, BatchNo "
                                         "from tblSalesItem where InvID=%1 order by SlNo");
    const std::string sourceItems = stored(headFile(), items.arg(88001));
    ASSERT_EQ(std::count(sourceItems.begin(), sourceItems.end(), '|'), hostileTexts.size() * 11);
    EXPECT_EQ(stored(branchFile(), items.arg(outcome.newKey)), sourceItems);
}
