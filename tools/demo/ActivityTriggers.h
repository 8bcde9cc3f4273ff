#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tools {

/// A table whose changes the main company records in tblActivity.
struct CapturedTable {
    enum class Kind { Master, Transaction };

    /// The name written into tblActivity.TableName, letter case as the master upload expects it.
    QString tableName;
    /// The key column whose value goes into tblUniqueID.
    QString keyColumn;
    Kind kind = Kind::Master;
};

/// The change-capture triggers of the main company: for every INSERT, UPDATE or DELETE statement
/// that changes at least one row of a captured table, one tblActivity row. They are SQLite
/// triggers for the embedded engine, installed with EmbeddedServer::executeNative; they call the
/// engine's functions mirtane_first_in_statement and mssql_getdate.
class ActivityTriggers {
public:
    /// The tables the head office's ERP captures: the thirteen masters the upload knows and the
    /// six transaction tables.
    static QList<CapturedTable> capturedTables();

    /// DROP and CREATE statements for the three triggers of one table.
    static QStringList statements(const CapturedTable& table);
    /// The statements for every captured table.
    static QStringList allStatements();
};

} // namespace tools
