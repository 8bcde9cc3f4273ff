#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace report {
class ListControl;
class Prompter;
}

namespace masters {

/// The master table list lstMasterSettings: which tables a full synchronisation copies.
class MasterList {
public:
    /// One row of the list.
    struct Row {
        QString displayName;
        QString table;
    };

    /// The rows in list order: the seventeen master tables and "Unit" for tblUnit.
    static const std::vector<Row>& rows();
    /// Display name + 120 blanks + "_" + table name.
    static QString rowText(const Row& row);
    /// What follows the first "_" of a row's text.
    static QString tableName(const QString& rowText);

    /// The "::" button: refills the list, toggles its visibility and selects every row.
    static void fill(report::ListControl& list);
    /// The right button on the list: every row takes the selected state of the current row. Without
    /// a current row an exclamation box says so and nothing changes.
    static void rightButtonPressed(report::ListControl& list, report::Prompter& prompter);
    /// The table names of the selected rows (of every row when none is selected), each followed by ";".
    static QString tableSet(const report::ListControl& list);
};

} // namespace masters
