#pragma once

#include <QString>

#include <vector>

namespace db {
class Connection;
}

namespace reconcile {

/// The branch's cost centres, for the choice that narrows the item-count comparison.
class CostCentres {
public:
    struct Entry {
        qlonglong id = 0;
        QString name;
    };
    /// Every cost centre of `branch` by name. Throws db::DbError when the query fails.
    static std::vector<Entry> list(db::Connection& branch);
};

} // namespace reconcile
