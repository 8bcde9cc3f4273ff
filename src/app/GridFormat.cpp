#include "app/GridFormat.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

namespace app {

QStringList GridFormat::titles(const QString& format)
{
    return format.split(QLatin1Char('|'));
}

void GridFormat::apply(QTableWidget& grid, const QString& format)
{
    const QStringList columnTitles = titles(format);
    grid.setColumnCount(int(columnTitles.size()));
    grid.setHorizontalHeaderLabels(columnTitles);

    // The blanks in a title are how the format asks for a wider column.
    const QFontMetrics metrics(grid.horizontalHeader()->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    for (int column = 0; column < columnTitles.size(); ++column) {
        const int width = metrics.horizontalAdvance(columnTitles[column]) + padding;
        grid.setColumnWidth(column, std::max(width, grid.horizontalHeader()->minimumSectionSize()));
    }
}

} // namespace app
