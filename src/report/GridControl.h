#pragma once

#include <QString>

namespace report {

/// The background of a grid cell; the window decides the shade.
enum class CellColour { Plain, Red, Amber };

/// A grid as operations see it: column titles, then data rows of text cells. Data rows are
/// numbered from 0 (the title row is not one of them).
class GridControl {
public:
    virtual ~GridControl() = default;

    /// Removes every data row and sets the column titles from `format` ("Table  |DestntnCount|SourceCount").
    virtual void reset(const QString& format) = 0;
    /// Number of data rows.
    virtual int rowCount() const = 0;
    /// Adds a data row; `cells` holds the cells separated by TAB (missing cells stay empty).
    virtual void addRow(const QString& cells) = 0;
    /// Text of a cell ("" outside the grid).
    virtual QString cell(int row, int column) const = 0;
    /// Sets the text of a cell of an existing row.
    virtual void setCell(int row, int column, const QString& text) = 0;
    /// Paints the background of a cell.
    virtual void setCellBackground(int row, int column, CellColour colour) = 0;
    /// The background of a cell (Plain when never painted).
    virtual CellColour cellBackground(int row, int column) const = 0;
};

} // namespace report
