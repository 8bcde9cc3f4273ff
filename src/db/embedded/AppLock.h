#pragma once

#include "db/Recordset.h"
#include "db/embedded/Statement.h"
#include "db/embedded/Token.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace db::embedded {

class TsqlTranslator;

/// sp_getapplock on the embedded engine, and the three statements that read its return status:
/// "DECLARE @r int", "EXEC @r = sp_getapplock ..." and "SELECT @r [AS name]".
///
/// Every transaction of the engine begins by taking its catalog's write lock (BEGIN IMMEDIATE),
/// which every other writer of the catalog waits for until it commits or rolls back. A lock owned
/// by the transaction is therefore already held when sp_getapplock is called inside one: it is
/// granted at once, and released with the transaction, as SQL Server releases it. It covers more
/// than the named resource, never less.
class AppLock {
public:
    /// The return status of sp_getapplock with `arguments`: 0 (granted) inside a transaction, -999
    /// (a call error, as SQL Server returns it) outside one or for a lock mode SQL Server does not
    /// know. Throws DbError for an unknown parameter and for a lock owned by the session, which the
    /// engine does not keep.
    static int get(const std::vector<ProcedureArgument>& arguments, bool inTransaction);

    /// Runs `tokens` when it is one of the three statements above and returns true; false for any
    /// other statement. `result` receives the rows of a SELECT. Throws DbError.
    bool runStatusStatement(const TokenList& tokens, TsqlTranslator& translator, bool inTransaction, ResultData* result);
    /// Forgets the batch's variables.
    void endBatch() { m_variables.clear(); }

private:
    QHash<QString, QVariant> m_variables; ///< lower-case name with "@" -> value (null until set)
};

} // namespace db::embedded
