#pragma once

#include <QString>
#include <QStringList>

namespace db::embedded {

/// An embedded server: a folder holding master.sqlite and one CATALOG.sqlite per database.
class EmbeddedServer {
public:
    /// The server whose folder is `folder`.
    explicit EmbeddedServer(QString folder);

    /// The folder of a data source "embedded:NAME" (servers/NAME below `programFolder`) or
    /// "embedded:/absolute/path"; empty when the name cannot be a folder name.
    static QString folderFor(const QString& dataSource, const QString& programFolder);
    /// Throws DbError when `catalog` is not a plain database name (path separators, "..", odd characters).
    static void checkCatalogName(const QString& catalog);
    /// Whether `name` is one folder name that cannot lead out of the folder it is put under.
    static bool isFolderName(const QString& name);

    const QString& folder() const { return m_folder; }
    /// The server's name: the last part of its folder.
    QString name() const;
    /// True when the folder exists.
    bool exists() const;
    /// The file of a catalog ("master" is master.sqlite). Throws DbError for a name that is not plain.
    QString databasePath(const QString& catalog) const;
    /// Makes the folder and master.sqlite, registering the server itself as server_id 0. Throws DbError.
    void createServer();
    /// Makes master.sqlite and its tables when they are missing. Throws DbError.
    void ensureMaster();
    /// What SERVERPROPERTY('ProductMajorVersion') answers: 15 (SQL Server 2019) until set. Throws DbError.
    void setProductMajorVersion(int version);
    /// The OLE DB providers that xp_enum_oledb_providers lists (SQLOLEDB, MSOLEDBSQL and MSDASQL
    /// until set). Throws DbError.
    void setOleDbProviders(const QStringList& providers);
    /// Runs raw SQLite SQL on `catalog` (created when missing), with the engine's functions registered. Throws DbError.
    void executeNative(const QString& catalog, const QString& sqliteSql);

private:
    QString m_folder;
};

} // namespace db::embedded
