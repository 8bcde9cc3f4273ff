#pragma once

#include "report/GridControl.h"
#include "report/ListControl.h"

class QComboBox;
class QListWidget;
class QTableWidget;

namespace app {

/// A list box (QListWidget) as a ListControl; item data in Qt::UserRole.
class ListWidgetControl : public report::ListControl {
public:
    explicit ListWidgetControl(QListWidget& list) : m_list(list) {}
    int count() const override;
    void clear() override;
    void addItem(const QString& text, qlonglong itemData) override;
    QString text(int index) const override;
    qlonglong itemData(int index) const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool checked) override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    bool isVisible() const override;
    void setVisible(bool visible) override;

    /// Gives new entries a check box (lists of vouchers to copy).
    void setCheckable(bool checkable) { m_checkable = checkable; }

private:
    QListWidget& m_list;
    bool m_checkable = false;
};

/// A drop-down list (QComboBox) as a ListControl; the chosen entry is the only selected one.
class ComboBoxControl : public report::ListControl {
public:
    explicit ComboBoxControl(QComboBox& combo) : m_combo(combo) {}
    int count() const override;
    void clear() override;
    void addItem(const QString& text, qlonglong itemData) override;
    QString text(int index) const override;
    qlonglong itemData(int index) const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool checked) override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    bool isVisible() const override;
    void setVisible(bool visible) override;

private:
    QComboBox& m_combo;
};

/// A QTableWidget as a GridControl; the column titles are the table's header.
class TableGridControl : public report::GridControl {
public:
    explicit TableGridControl(QTableWidget& table) : m_table(table) {}
    void reset(const QString& format) override;
    int rowCount() const override;
    void addRow(const QString& cells) override;
    QString cell(int row, int column) const override;
    void setCell(int row, int column, const QString& text) override;
    void setCellBackground(int row, int column, report::CellColour colour) override;
    report::CellColour cellBackground(int row, int column) const override;

private:
    QTableWidget& m_table;
};

} // namespace app
