#include "reconcile/CostCentres.h"

#include "db/Connection.h"
#include "db/Recordset.h"

namespace reconcile {

std::vector<CostCentres::Entry> CostCentres::list(db::Connection& branch)
{
    std::vector<Entry> entries;
    db::Recordset rows = branch.openRecordset(QStringLiteral("SELECT CCID, CCName FROM tblCostcentre ORDER BY CCName"));
    for (; !rows.eof(); rows.moveNext())
        entries.push_back(Entry{rows.field(0).value().toLongLong(), rows.field(1).text()});
    return entries;
}

} // namespace reconcile
