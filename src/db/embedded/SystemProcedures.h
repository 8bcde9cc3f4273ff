#pragma once

#include "db/embedded/Statement.h"

#include <QString>
#include <vector>

namespace db::embedded {

class SqliteSession;

/// The linked-server procedures of SQL Server (sp_addlinkedserver, sp_dropserver,
/// sp_addlinkedsrvlogin, sp_serveroption), acting on a server's master database.
class SystemProcedures {
public:
    /// Works on `master`, a session open on the server's master.sqlite.
    explicit SystemProcedures(SqliteSession& master);
    /// Runs procedure `name` (lower case, no schema) with `arguments`. Throws DbError.
    void run(const QString& name, const std::vector<ProcedureArgument>& arguments);

private:
    qlonglong serverId(const QString& server);
    void addLinkedServer(const std::vector<QVariant>& values);
    void dropServer(const std::vector<QVariant>& values);
    void addLinkedLogin(const std::vector<QVariant>& values);
    void setServerOption(const std::vector<QVariant>& values);

    SqliteSession& m_master;
};

} // namespace db::embedded
