#include "reconcile/MismatchSearch.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "masters/DatabaseUpdate.h"
#include "text/DateText.h"
#include "text/NumberText.h"
#include "db/ObjectName.h"
#include "db/UnlimitedCommandTime.h"
#include "report/GridControl.h"
#include "report/Reporter.h"

#include <exception>

namespace reconcile {

namespace {

// How each family spells its columns in the statements; the spellings are kept as the
// statements have always had them, so a server's case-sensitive collation sees the same text.
struct Spelling {
    QString id;
    QString number;
    QString date;
    QString dateInMatch;
};

Spelling spellingOf(MismatchSearch::Family family)
{
    switch (family) {
    case MismatchSearch::Family::Invoice:
        return {QStringLiteral("InvID"), QStringLiteral("invno"), QStringLiteral("invdate"), QStringLiteral("INVDATE")};
    case MismatchSearch::Family::JobCard:
        return {QStringLiteral("JobCardID"), QStringLiteral("JobCardNo"), QStringLiteral("JobCardDate"), QStringLiteral("JobCardDate")};
    case MismatchSearch::Family::Notes:
        return {QStringLiteral("VchID"), QStringLiteral("VchNo"), QStringLiteral("Vchdate"), QStringLiteral("Vchdate")};
    case MismatchSearch::Family::None:
        break;
    }
    return {};
}

QString quoted(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

} // namespace

MismatchSearch::MismatchSearch(db::Connection& destination, db::Connection& source, report::Reporter& reporter, QString syncServer,
                               QString sourceDatabase)
    : m_destination(destination)
    , m_source(source)
    , m_reporter(reporter)
    , m_syncServer(std::move(syncServer))
    , m_sourceDatabase(std::move(sourceDatabase))
{
}

MismatchSearch::Family MismatchSearch::familyOf(const QString& masterTable)
{
    const QString name = masterTable.toUpper();
    if (name == QLatin1String("TBLSALES") || name == QLatin1String("TBLORDER") || name == QLatin1String("TBLSTOCKJOURNAL"))
        return Family::Invoice;
    if (name == QLatin1String("TBLJOBCARD"))
        return Family::JobCard;
    if (name == QLatin1String("TBLNOTES"))
        return Family::Notes;
    return Family::None;
}

QList<MismatchSearch::Table> MismatchSearch::searchedTables()
{
    return {
        {QStringLiteral("TBLsALES"), QStringLiteral("TBLSALESITEM")},
        {QStringLiteral("tblStockJournal"), QStringLiteral("tblStockJournalDetail")},
        {QStringLiteral("tblJobCard"), QStringLiteral("tblJobCardDetail")},
        {QStringLiteral("tblOrder"), QStringLiteral("tblOrderItem")},
        {QStringLiteral("tblNotes"), QString()},
    };
}

QString MismatchSearch::gridFormat()
{
    return QStringLiteral("SlNo|Inv No          | Inv Date   |VchType  |Table");
}

void MismatchSearch::resetGrid(report::GridControl& grid)
{
    grid.reset(gridFormat());
    grid.addRow(QString());
}

QString MismatchSearch::headOfficeTable(const QString& table) const
{
    return db::ObjectName::linkedTable(m_syncServer, m_sourceDatabase, table);
}

QString MismatchSearch::missingQuery(const QString& masterTable, const QDate& day) const
{
    const Family family = familyOf(masterTable);
    if (family == Family::None)
        return {};
    const Spelling s = spellingOf(family);
    const QString date = text::DateText::sqlDate(day);
    // "not in" over a list holding a NULL is never true, so one head-office row without a
    // number would hide every missing transaction of the day: the NULLs are left out. Head
    // office's numbers come in its server's collation; they are compared in this database's, or
    // two servers installed with different collations could not compare them at all.
    return QStringLiteral(" select ") + s.id + QLatin1Char(',') + s.number + QStringLiteral(" ,") + s.date
        + QStringLiteral(",vchtypeid, 'Main Server' as ServerName,servInvID,SyncStat from ") + masterTable + QStringLiteral(" s where S.")
        + s.number + QStringLiteral(" not in ( select M.") + s.number + QStringLiteral(" COLLATE DATABASE_DEFAULT from ")
        + headOfficeTable(masterTable)
        + QStringLiteral(" M WHERE M.") + s.dateInMatch + QStringLiteral(" = S.") + s.dateInMatch
        + QStringLiteral(" AND M.VCHTYPEID = S.VCHTYPEID and ") + s.date + QStringLiteral("='") + date + QStringLiteral("' and M.")
        + s.number + QStringLiteral(" is not null) and SyncStat=1  and ") + s.date + QStringLiteral("='") + date + QLatin1Char('\'');
}

QString MismatchSearch::headOfficeItemCountQuery(const QString& masterTable, const QString& detailTable, const QDate& day,
                                                 qlonglong costCentre) const
{
    const Family family = familyOf(masterTable);
    if (family != Family::Invoice && family != Family::JobCard)
        return {};
    const bool invoice = family == Family::Invoice;
    const Spelling s = spellingOf(family);
    const QString join = invoice ? QStringLiteral("m.invid = s.invid") : QStringLiteral("m.JobCardID = s.JobCardID");
    const QString centre = invoice ? QStringLiteral("' AND s.CCID = ") : QStringLiteral("' AND CCID = ");
    return QStringLiteral(" select ") + s.number + QStringLiteral(" ,") + s.date + QStringLiteral(",vchtypeid, servInvID,SyncStat, count(m.")
        + s.id + QStringLiteral(") as ItemCount,'Main Server' as ServerName from ") + headOfficeTable(masterTable)
        + QStringLiteral(" s inner join  ") + headOfficeTable(detailTable) + QStringLiteral(" M on ") + join + QStringLiteral(" where ")
        + s.date + QStringLiteral("='") + text::DateText::sqlDate(day) + centre + QString::number(costCentre) + QStringLiteral(" group by ")
        + s.number + QStringLiteral(" ,") + s.date + QStringLiteral(",vchtypeid,servInvID,SyncStat");
}

QString MismatchSearch::branchItemCountQuery(const QString& masterTable, const QString& detailTable, const QDate& day, qlonglong costCentre,
                                             const QString& number, const QString& date, qlonglong voucherType)
{
    const Family family = familyOf(masterTable);
    if (family != Family::Invoice && family != Family::JobCard)
        return {};
    const bool invoice = family == Family::Invoice;
    const Spelling s = spellingOf(family);
    const QString keyed = invoice ? QStringLiteral("s.invid") : QStringLiteral("s.JobCardID");
    const QString grouped = invoice ? QStringLiteral("s.InvID") : QStringLiteral("s.JobCardID");
    const QString join = invoice ? QStringLiteral("m.invid = s.invid") : QStringLiteral("m.JobCardID = s.JobCardID");
    const QString numberColumn = invoice ? QStringLiteral("invNo") : s.number;
    return QStringLiteral(" select ") + keyed + QLatin1Char(',') + s.number + QStringLiteral(" ,") + s.date
        + QStringLiteral(",vchtypeid, servInvID,SyncStat, count(m.") + s.id + QStringLiteral(") as ItemCount,'Branch Server' as ServerName from ")
        + masterTable + QStringLiteral(" s inner join  ") + detailTable + QStringLiteral(" M on ") + join + QStringLiteral(" where ") + s.date
        + QStringLiteral("='") + text::DateText::sqlDate(day) + QStringLiteral("' AND s.CCID = ") + QString::number(costCentre)
        + QStringLiteral(" and ") + numberColumn + QStringLiteral(" = ") + quoted(number) + QStringLiteral(" and ") + s.date
        + QStringLiteral(" = ") + quoted(date) + QStringLiteral("  and vchtypeid = ") + QString::number(voucherType)
        + QStringLiteral("  group by ") + grouped + QLatin1Char(',') + s.number + QStringLiteral(" ,") + s.date
        + QStringLiteral(",vchtypeid,servInvID,SyncStat");
}

void MismatchSearch::locate(report::GridControl& grid, const QString& masterTable, const QString& detailTable, const QDate& day,
                            std::optional<qlonglong> costCentre)
{
    try {
        // The head office is read across the linked server, which can take far longer than the default.
        const db::UnlimitedCommandTime destinationUnlimited(m_destination);
        const db::UnlimitedCommandTime sourceUnlimited(m_source);
        const Family family = familyOf(masterTable);
        if (family == Family::None)
            return;
        const Spelling s = spellingOf(family);

        db::Recordset missing = m_destination.openRecordset(missingQuery(masterTable, day));
        if (family == Family::Invoice)
            m_reporter.status(masterTable);
        for (; !missing.eof(); missing.moveNext()) {
            if (family != Family::Invoice)
                m_reporter.status(masterTable);
            addReportedRow(grid, missing.field(s.number).text(), dateText(missing.field(s.date)),
                           missing.field(QStringLiteral("VchTypeID")).text());
        }

        if (costCentre && family != Family::Notes)
            compareItemCounts(grid, masterTable, detailTable, day, *costCentre);
    } catch (const db::DbError& e) {
        m_reporter.balloon(masters::DatabaseUpdate::explain(e));
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromUtf8(e.what()));
    }
}

void MismatchSearch::compareItemCounts(report::GridControl& grid, const QString& masterTable, const QString& detailTable, const QDate& day,
                                       qlonglong costCentre)
{
    const Spelling s = spellingOf(familyOf(masterTable));
    db::Recordset headOffice = m_destination.openRecordset(headOfficeItemCountQuery(masterTable, detailTable, day, costCentre));
    for (; !headOffice.eof(); headOffice.moveNext()) {
        const QString number = headOffice.field(s.number).text();
        const QString date = dateText(headOffice.field(s.date));
        const qlonglong voucherType = headOffice.field(QStringLiteral("VchTypeID")).value().toLongLong();
        db::Recordset branch = m_destination.openRecordset(
            branchItemCountQuery(masterTable, detailTable, day, costCentre, number, sqlDateText(headOffice.field(s.date)), voucherType));
        if (branch.eof())
            continue;
        m_reporter.progress(number + QLatin1Char(' ') + date + QLatin1Char(' '));
        const double headCount = text::NumberText::leading(headOffice.field(QStringLiteral("ItemCount")).text());
        const double branchCount = text::NumberText::leading(branch.field(QStringLiteral("ItemCount")).text());
        if (headCount != branchCount)
            addReportedRow(grid, branch.field(s.number).text(), dateText(branch.field(s.date)),
                           branch.field(QStringLiteral("VchTypeID")).text());
    }
}

void MismatchSearch::addReportedRow(report::GridControl& grid, const QString& number, const QString& date, const QString& voucherType)
{
    // The grid always ends with an empty row, which the next reported transaction fills.
    if (grid.rowCount() == 0)
        grid.addRow(QString());
    const int row = grid.rowCount() - 1;
    // Serial numbers count from 1, below the title row.
    grid.setCell(row, 0, QString::number(row + 1));
    grid.setCell(row, 1, number);
    grid.setCell(row, 2, date);
    grid.setCell(row, 3, voucherType);
    grid.addRow(QString());
}

QString MismatchSearch::dateText(const db::Field& field)
{
    const QVariant& value = field.value();
    if (value.typeId() != QMetaType::QDateTime)
        return field.text();
    const QDateTime when = value.toDateTime();
    return when.time() == QTime(0, 0) ? text::DateText::dashedDate(when.date()) : text::DateText::storedDateTime(when);
}

QString MismatchSearch::sqlDateText(const db::Field& field)
{
    const QVariant& value = field.value();
    if (value.typeId() != QMetaType::QDateTime)
        return field.text();
    const QDateTime when = value.toDateTime();
    return when.time() == QTime(0, 0) ? text::DateText::sqlDate(when.date()) : text::DateText::sqlDateTime(when);
}

} // namespace reconcile
