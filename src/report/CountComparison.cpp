#include "report/CountComparison.h"

#include "report/GridControl.h"
#include "text/NumberText.h"

namespace report {

bool CountComparison::differs(int row) const
{
    const QString branchCount = row >= 0 && row < int(branch.size()) ? branch[std::size_t(row)].count : QString();
    const QString headOfficeCount = row >= 0 && row < headOffice.size() ? headOffice[row] : QString();
    // The counts are compared as numbers, so that "07" and "7" agree.
    return text::NumberText::leading(branchCount) != text::NumberText::leading(headOfficeCount);
}

bool CountComparison::anyDiffers() const
{
    for (int row = 0; row < headOffice.size(); ++row)
        if (differs(row))
            return true;
    return false;
}

void CountComparison::show(GridControl& grid, const QString& format, MismatchColumn mismatch) const
{
    if (!counted)
        return;
    grid.reset(format);
    for (const Row& row : branch)
        grid.addRow(row.property + QLatin1Char('\t') + row.count);
    if (branchComplete)
        grid.addRow(QStringLiteral("Onlinedata"));
    for (int row = 0; row < headOffice.size() && row < grid.rowCount(); ++row) {
        grid.setCell(row, 2, headOffice[row]);
        const bool different = differs(row);
        if (different)
            grid.setCellBackground(row, 0, CellColour::Red);
        if (mismatch == MismatchColumn::Shown)
            grid.setCell(row, 3, different ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
}

} // namespace report
