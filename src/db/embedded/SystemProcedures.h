#pragma once

#include "db/Recordset.h"
#include "db/embedded/Statement.h"

#include <QString>
#include <vector>

namespace db::embedded {

class SqliteSession;

/// The linked-server procedures of SQL Server (sp_addlinkedserver, sp_dropserver,
/// sp_addlinkedsrvlogin, sp_serveroption, xp_enum_oledb_providers), acting on a server's master
/// database.
class SystemProcedures {
public:
    /// Works on `master`, a session open on the server's master.sqlite.
    explicit SystemProcedures(SqliteSession& master);
    /// Runs procedure `name` (lower case, no schema) with `arguments`; a procedure that answers
    /// with rows puts them in `result` when given. Throws DbError.
    void run(const QString& name, const std::vector<ProcedureArgument>& arguments, ResultData* result = nullptr);

private:
    qlonglong serverId(const QString& server);
    void addLinkedServer(const std::vector<QVariant>& values);
    void dropServer(const std::vector<QVariant>& values);
    void addLinkedLogin(const std::vector<QVariant>& values);
    void setServerOption(const std::vector<QVariant>& values);
    void listOleDbProviders(ResultData* result);

    SqliteSession& m_master;
};

} // namespace db::embedded
