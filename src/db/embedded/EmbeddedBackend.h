#pragma once

#include "db/Backend.h"
#include "db/embedded/AppLock.h"
#include "db/embedded/EmbeddedServer.h"
#include "db/embedded/NameResolver.h"
#include "db/embedded/SqliteSession.h"
#include "db/embedded/Statement.h"
#include "db/embedded/TsqlTranslator.h"

#include <QHash>
#include <QString>
#include <memory>

namespace db::embedded {

/// A session on the embedded engine: T-SQL in, SQLite underneath.
class EmbeddedBackend : public Backend, private NameResolver {
public:
    /// Opens `catalog` of the server in `server`'s folder; `programFolder` places linked servers. Throws DbError.
    EmbeddedBackend(EmbeddedServer server, const QString& catalog, const QString& programFolder);

    void setCommandTimeout(int seconds) override;
    long long execute(const QString& sql) override;
    ResultData query(const QString& sql) override;
    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

private:
    long long runBatch(const QString& sql, ResultData* result);
    long long runStatement(const TokenList& tokens, ResultData* result);
    void createDatabase(const QString& name);
    void dropDatabase(const QString& name);
    void addColumns(const Statement& statement);
    void alterColumn(const Statement& statement);
    long long copyTable(const Statement& statement);
    QString attach(const QString& path, const QString& description);
    void detachMaster();
    QString linkedServerFolder(const QString& server);

    QString schemaFor(const QString& server, const QString& catalog) override;
    QString masterSchema() override;
    QString declaredType(const QString& schema, const QString& table, const QString& column) override;
    std::vector<TableColumn> columns(const QString& schema, const QString& table) override;
    QString objectName(const QString& schema, const QString& table) override;
    int resultColumnCount(const QString& sql) override;

    EmbeddedServer m_server;
    QString m_catalog;
    QString m_programFolder;
    std::unique_ptr<SqliteSession> m_session;
    TsqlTranslator m_translator;
    AppLock m_appLock; ///< sp_getapplock and the variables of the batch that reads its status
    QHash<QString, QString> m_attached; ///< database file -> schema alias
    bool m_masterAttached = false;
    QHash<QString, std::vector<TableColumn>> m_columns; ///< "schema.table" -> its columns, for one statement
};

} // namespace db::embedded
