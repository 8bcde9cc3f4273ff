#include "app/WidgetControls.h"

#include "app/GridFormat.h"

#include <QColor>
#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>

namespace app {

int ListWidgetControl::count() const { return m_list.count(); }
void ListWidgetControl::clear() { m_list.clear(); }

void ListWidgetControl::addItem(const QString& text, qlonglong itemData)
{
    auto* item = new QListWidgetItem(text, &m_list);
    item->setData(Qt::UserRole, itemData);
    if (m_checkable) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

QString ListWidgetControl::text(int index) const
{
    const QListWidgetItem* item = m_list.item(index);
    return item ? item->text() : QString();
}

qlonglong ListWidgetControl::itemData(int index) const
{
    const QListWidgetItem* item = m_list.item(index);
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

bool ListWidgetControl::isSelected(int index) const
{
    const QListWidgetItem* item = m_list.item(index);
    return item && item->isSelected();
}

void ListWidgetControl::setSelected(int index, bool selected)
{
    if (QListWidgetItem* item = m_list.item(index))
        item->setSelected(selected);
}

bool ListWidgetControl::isChecked(int index) const
{
    const QListWidgetItem* item = m_list.item(index);
    return item && item->checkState() == Qt::Checked;
}

void ListWidgetControl::setChecked(int index, bool checked)
{
    if (QListWidgetItem* item = m_list.item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int ListWidgetControl::currentIndex() const { return m_list.currentRow(); }

void ListWidgetControl::setCurrentIndex(int index)
{
    // Moving the current row must not change which entries are selected or checked.
    m_list.setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

bool ListWidgetControl::isVisible() const { return !m_list.isHidden(); }
void ListWidgetControl::setVisible(bool visible) { m_list.setVisible(visible); }

int ComboBoxControl::count() const { return m_combo.count(); }
void ComboBoxControl::clear() { m_combo.clear(); }
void ComboBoxControl::addItem(const QString& text, qlonglong itemData) { m_combo.addItem(text, itemData); }
QString ComboBoxControl::text(int index) const { return m_combo.itemText(index); }
qlonglong ComboBoxControl::itemData(int index) const { return m_combo.itemData(index).toLongLong(); }
bool ComboBoxControl::isSelected(int index) const { return index >= 0 && m_combo.currentIndex() == index; }

void ComboBoxControl::setSelected(int index, bool selected)
{
    if (selected)
        m_combo.setCurrentIndex(index);
    else if (m_combo.currentIndex() == index)
        m_combo.setCurrentIndex(-1);
}

bool ComboBoxControl::isChecked(int index) const { return isSelected(index); }
void ComboBoxControl::setChecked(int index, bool checked) { setSelected(index, checked); }
int ComboBoxControl::currentIndex() const { return m_combo.currentIndex(); }
void ComboBoxControl::setCurrentIndex(int index) { m_combo.setCurrentIndex(index); }
bool ComboBoxControl::isVisible() const { return !m_combo.isHidden(); }
void ComboBoxControl::setVisible(bool visible) { m_combo.setVisible(visible); }

void TableGridControl::reset(const QString& format)
{
    m_table.setRowCount(0);
    GridFormat::apply(m_table, format);
}

int TableGridControl::rowCount() const { return m_table.rowCount(); }

void TableGridControl::addRow(const QString& cells)
{
    const int row = m_table.rowCount();
    m_table.insertRow(row);
    const QStringList parts = cells.split(QLatin1Char('\t'));
    for (int c = 0; c < parts.size() && c < m_table.columnCount(); ++c)
        setCell(row, c, parts[c]);
}

QString TableGridControl::cell(int row, int column) const
{
    const QTableWidgetItem* item = m_table.item(row, column);
    return item ? item->text() : QString();
}

void TableGridControl::setCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_table.rowCount() || column < 0 || column >= m_table.columnCount())
        return;
    QTableWidgetItem* item = m_table.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        m_table.setItem(row, column, item);
    }
    item->setText(text);
}

namespace {

// The shade the window gives each cell colour; Plain has none.
QColor shade(report::CellColour colour)
{
    switch (colour) {
    case report::CellColour::Red:
        return QColor(255, 0, 0);
    case report::CellColour::Amber:
        return QColor(255, 210, 0);
    case report::CellColour::Plain:
        break;
    }
    return QColor();
}

} // namespace

void TableGridControl::setCellBackground(int row, int column, report::CellColour colour)
{
    setCell(row, column, cell(row, column));
    const QColor colourShade = shade(colour);
    if (QTableWidgetItem* item = m_table.item(row, column))
        item->setBackground(colourShade.isValid() ? QBrush(colourShade) : QBrush());
}

report::CellColour TableGridControl::cellBackground(int row, int column) const
{
    const QTableWidgetItem* item = m_table.item(row, column);
    if (item && item->background().style() != Qt::NoBrush)
        for (const report::CellColour colour : {report::CellColour::Red, report::CellColour::Amber})
            if (item->background().color() == shade(colour))
                return colour;
    return report::CellColour::Plain;
}

} // namespace app
