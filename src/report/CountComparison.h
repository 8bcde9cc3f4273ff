#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace report {

class GridControl;

/// The same counts taken on both companies (the branch's and head office's answers to one count
/// query), as the count grids show them side by side.
struct CountComparison {
    /// One row the branch counted: its label (Property) and count (Nos), as the server gave them.
    struct Row {
        QString property;
        QString count;
    };
    /// Whether the grid shows "Yes"/"No" in its fourth column beside each compared row.
    enum class MismatchColumn { Hidden, Shown };

    /// False when nothing was counted: the grid is left as it is.
    bool counted = false;
    /// The branch's rows, in the query's order.
    std::vector<Row> branch;
    /// True when every branch row was read: the grid then shows the row "Onlinedata" after them.
    bool branchComplete = false;
    /// True once head office's query was answered (its rows may still have stopped short).
    bool headOfficeAnswered = false;
    /// Head office's counts, in its own row order: count k sits beside grid row k.
    QStringList headOffice;

    /// True when head office's count of grid row `row` differs from the branch's.
    bool differs(int row) const;
    /// True when any row head office counted differs from the branch's.
    bool anyDiffers() const;
    /// Refills `grid` (titles `format`): the branch's rows, "Onlinedata", head office's counts in
    /// the third column; a row whose counts differ gets a red first cell.
    void show(GridControl& grid, const QString& format, MismatchColumn mismatch) const;
};

} // namespace report
