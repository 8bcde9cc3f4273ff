#pragma once

#include "RecordingReporter.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"
#include "connection/LinkedServer.h"
#include "db/Connection.h"
#include "text/DateText.h"

#include <QDate>
#include <QString>

#include <gtest/gtest.h>

namespace reconcile_test {

/// The demo ends on this day; the vouchers of the tests go on `day`, which the demo leaves empty.
inline const QDate demoToday(2026, 12, 5);
inline const QDate day(2026, 11, 20);

/// Demo servers with the synchronisation columns on the branch and the linked server to the head office.
class ReconcileFixture : public ::testing::Test {
protected:
    support::TempServers servers{7, demoToday};
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;

    void SetUp() override
    {
        servers.addVoucherMarks();
        ASSERT_TRUE(connection::LinkedServer::configure(servers.branch(), QStringLiteral("embedded:HO"), prompter));
    }

    /// A voucher of `table` (tblSales, tblOrder, tblStockJournal) with `items` detail rows.
    static void addInvoice(db::Connection& c, int id, const QString& number, const QDate& date, int vchType, QVariant syncStat = 1,
                           int items = 1, int costCentre = 1, const QString& table = QStringLiteral("tblSales"))
    {
        const QString detail = table == QLatin1String("tblSales") ? QStringLiteral("tblSalesItem")
            : table == QLatin1String("tblOrder")                 ? QStringLiteral("tblOrderItem")
                                                                 : QStringLiteral("tblStockJournalDetail");
        c.execute(QStringLiteral("INSERT INTO %1 (InvID, InvNo, InvDate, VchTypeID, CCID, SyncStat) VALUES (%2, '%3', '%4', %5, %6, %7)")
                      .arg(table)
                      .arg(id)
                      .arg(QString(number).replace(QLatin1Char('\''), QStringLiteral("''")), text::DateText::sqlDate(date))
                      .arg(vchType)
                      .arg(costCentre)
                      .arg(syncStat.isValid() ? syncStat.toString() : QStringLiteral("NULL")));
        for (int slNo = 1; slNo <= items; ++slNo)
            c.execute(QStringLiteral("INSERT INTO %1 (InvID, SlNo, ItemID) VALUES (%2, %3, %4)").arg(detail).arg(id).arg(slNo).arg(slNo));
    }

    static void addJobCard(db::Connection& c, int id, const QString& number, const QDate& date, int syncStat, int items, int costCentre = 1)
    {
        c.execute(QStringLiteral("INSERT INTO tblJobCard (JobCardID, JobCardNo, JobCardDate, VchTypeID, CCID, SyncStat) "
                                 "VALUES (%1, '%2', '%3', 10, %4, %5)")
                      .arg(id)
                      .arg(number, text::DateText::sqlDate(date))
                      .arg(costCentre)
                      .arg(syncStat));
        for (int slNo = 1; slNo <= items; ++slNo)
            c.execute(QStringLiteral("INSERT INTO tblJobCardDetail (JobCardID, SlNo, ItemID) VALUES (%1, %2, 1)").arg(id).arg(slNo));
    }

    static void addNote(db::Connection& c, int id, const QString& number, const QDate& date, int syncStat)
    {
        c.execute(QStringLiteral("INSERT INTO tblNotes (VchID, VchNo, VchDate, VchTypeID, SyncStat) VALUES (%1, '%2', '%3', 5, %4)")
                      .arg(id)
                      .arg(number, text::DateText::sqlDate(date))
                      .arg(syncStat));
    }
};

} // namespace reconcile_test
