#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace db {
class Connection;
class Field;
}
namespace report {
class GridControl;
class Reporter;
}

namespace reconcile {

/// Finds the transactions of one day that the branch marks as uploaded but the head office does
/// not have (LocateMismatchingTrans), reading the head office through the linked server from the
/// branch, and lists them in the grid msgMisMatch. With a cost centre it also lists the
/// transactions whose item counts differ between the two sides.
class MismatchSearch {
public:
    /// How a transaction table names its id, number and date.
    enum class Family { None, Invoice, JobCard, Notes };

    /// A master table and its detail table ("" when it has none), as the Mismatch page passes them.
    struct Table {
        QString master;
        QString detail;
    };

    /// Searches with `destination` (the branch, which reaches the head office as
    /// [syncServer].sourceDatabase.dbo.table); `source` only gets its time-out lifted, as the branch's does.
    MismatchSearch(db::Connection& destination, db::Connection& source, report::Reporter& reporter, QString syncServer,
                   QString sourceDatabase);

    /// The family of `masterTable`, whatever its letter case; Family::None for any other table.
    static Family familyOf(const QString& masterTable);
    /// The five tables the Mismatch page searches, in order, spelled as it passes them.
    static QList<Table> searchedTables();
    /// The grid's column titles.
    static QString gridFormat();
    /// Leaves `grid` with its column titles and one empty row, as a search expects it.
    static void resetGrid(report::GridControl& grid);

    /// The head-office name of `table`: "[sync server].[database].dbo.table", "]" doubled in both names.
    QString headOfficeTable(const QString& table) const;
    /// The query for uploaded branch transactions of `day` missing at the head office ("" for Family::None).
    QString missingQuery(const QString& masterTable, const QDate& day) const;
    /// The head office's transactions of `day` and cost centre with their item counts ("" unless invoice or job card).
    QString headOfficeItemCountQuery(const QString& masterTable, const QString& detailTable, const QDate& day,
                                     qlonglong costCentre) const;
    /// The branch's copy of one head-office transaction with its item count ("" unless invoice or job card).
    static QString branchItemCountQuery(const QString& masterTable, const QString& detailTable, const QDate& day, qlonglong costCentre,
                                        const QString& number, const QString& date, qlonglong voucherType);

    /// Lists the missing transactions of `masterTable` on `day` in `grid`, then, when `costCentre`
    /// is given, those whose item counts differ. A failure ends the search where it stands and is
    /// shown as a notification; rows written so far stay. Throws nothing.
    void locate(report::GridControl& grid, const QString& masterTable, const QString& detailTable, const QDate& day,
                std::optional<qlonglong> costCentre = std::nullopt);

private:
    void compareItemCounts(report::GridControl& grid, const QString& masterTable, const QString& detailTable, const QDate& day,
                           qlonglong costCentre);
    static void addReportedRow(report::GridControl& grid, const QString& number, const QString& date, const QString& voucherType);
    static QString dateText(const db::Field& field);
    static QString sqlDateText(const db::Field& field);

    db::Connection& m_destination;
    db::Connection& m_source;
    report::Reporter& m_reporter;
    QString m_syncServer;
    QString m_sourceDatabase;
};

} // namespace reconcile
