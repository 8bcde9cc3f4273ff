#pragma once

#include <QString>

namespace db {
class Connection;
}
namespace report {
class Reporter;
}

namespace replication {

/// Replaces the content of a destination table by the same table of the source company, read
/// through the linked server (InsertBulkTransfer). The source is first read into a staging table,
/// outside any transaction, so a source that cannot be read leaves the destination table as it was;
/// the caller then replaces the table from the stage inside its own transaction and drops the stage.
class BulkTransfer {
public:
    /// Writes on `destination`, which reads the source as [syncServer].sourceCompany.dbo.table.
    BulkTransfer(db::Connection& destination, QString syncServer, QString sourceCompany, report::Reporter& reporter);

    /// Reads the source table into the staging table; throws when it cannot. Must run outside a
    /// transaction: a local transaction must not read the linked server.
    void stage(const QString& table);
    /// Shows "Migrating <table>", then deletes the table and inserts the staged rows (only
    /// `columns`, a comma-separated list, when given), inside the caller's open transaction. Throws
    /// on failure; the caller then rolls its transaction back so that the table stays as it was.
    void replaceFromStage(const QString& table, const QString& columns = {});
    /// Drops the staging table of `table`; failures are ignored (the session drops it anyway).
    void dropStage(const QString& table);

    /// "[syncServer].[sourceCompany].dbo.table", a "]" in either name doubled.
    QString sourceName(const QString& table) const;
    /// The session's staging table for `table`.
    static QString stageName(const QString& table);

private:
    db::Connection& m_destination;
    QString m_syncServer;
    QString m_sourceCompany;
    report::Reporter& m_reporter;
};

} // namespace replication
