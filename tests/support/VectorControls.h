#pragma once

#include "report/GridControl.h"
#include "report/ListControl.h"

#include <QStringList>
#include <vector>

namespace support {

/// A list held in plain vectors, for operations tested without widgets.
class VectorListControl : public report::ListControl {
public:
    struct Entry {
        QString text;
        qlonglong itemData = 0;
        bool selected = false;
        bool checked = false;
    };
    int count() const override { return int(entries.size()); }
    void clear() override { entries.clear(); current = -1; }
    void addItem(const QString& text, qlonglong itemData) override { entries.push_back({text, itemData}); }
    QString text(int i) const override { return valid(i) ? entries[size_t(i)].text : QString(); }
    qlonglong itemData(int i) const override { return valid(i) ? entries[size_t(i)].itemData : 0; }
    bool isSelected(int i) const override { return valid(i) && entries[size_t(i)].selected; }
    void setSelected(int i, bool s) override { if (valid(i)) entries[size_t(i)].selected = s; }
    bool isChecked(int i) const override { return valid(i) && entries[size_t(i)].checked; }
    void setChecked(int i, bool c) override { if (valid(i)) entries[size_t(i)].checked = c; }
    int currentIndex() const override { return current; }
    void setCurrentIndex(int i) override { current = valid(i) ? i : -1; }
    bool isVisible() const override { return visible; }
    void setVisible(bool v) override { visible = v; }

    std::vector<Entry> entries;
    int current = -1;
    bool visible = true;

private:
    bool valid(int i) const { return i >= 0 && size_t(i) < entries.size(); }
};

/// A grid held in plain vectors.
class VectorGridControl : public report::GridControl {
public:
    void reset(const QString& format) override { titles = format.split(QLatin1Char('|')); rows.clear(); colors.clear(); }
    int rowCount() const override { return int(rows.size()); }
    void addRow(const QString& cells) override
    {
        QStringList row = cells.split(QLatin1Char('\t'));
        while (row.size() < titles.size())
            row << QString();
        rows.push_back(row);
        colors.push_back(std::vector<report::CellColour>(size_t(row.size()), report::CellColour::Plain));
    }
    QString cell(int r, int c) const override { return valid(r, c) ? rows[size_t(r)][c] : QString(); }
    void setCell(int r, int c, const QString& t) override { if (valid(r, c)) rows[size_t(r)][c] = t; }
    void setCellBackground(int r, int c, report::CellColour colour) override { if (valid(r, c)) colors[size_t(r)][size_t(c)] = colour; }
    report::CellColour cellBackground(int r, int c) const override { return valid(r, c) ? colors[size_t(r)][size_t(c)] : report::CellColour::Plain; }

    QStringList titles;
    std::vector<QStringList> rows;
    std::vector<std::vector<report::CellColour>> colors;

private:
    bool valid(int r, int c) const { return r >= 0 && size_t(r) < rows.size() && c >= 0 && c < rows[size_t(r)].size(); }
};

} // namespace support
