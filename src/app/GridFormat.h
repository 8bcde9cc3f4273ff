#pragma once

#include <QString>
#include <QStringList>

class QTableWidget;

namespace app {

/// Column titles of a grid given as one text, titles separated by "|" ("Table  |DesktopCount|OnlineCount").
class GridFormat {
public:
    /// The column titles of `format`, blanks kept ("Updations | TableName" gives "Updations " and " TableName").
    static QStringList titles(const QString& format);

    /// Gives `grid` one column per title with that title as its header text; a column is at least as
    /// wide as its title, blanks included, so padded titles keep widening their columns. Rows are kept.
    static void apply(QTableWidget& grid, const QString& format);
};

} // namespace app
