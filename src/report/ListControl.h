#pragma once

#include <QString>

namespace report {

/// A list box or drop-down list as operations see it: entries with a shown text and a whole
/// number (the item data), selection, check boxes and the chosen entry. The window implements it
/// over its widgets; tests implement it over plain vectors.
class ListControl {
public:
    virtual ~ListControl() = default;

    /// Number of entries.
    virtual int count() const = 0;
    /// Removes every entry.
    virtual void clear() = 0;
    /// Adds an entry at the end.
    virtual void addItem(const QString& text, qlonglong itemData) = 0;
    /// Shown text of entry `index`.
    virtual QString text(int index) const = 0;
    /// Item data of entry `index`.
    virtual qlonglong itemData(int index) const = 0;

    /// Whether entry `index` is selected (multi-select lists).
    virtual bool isSelected(int index) const = 0;
    /// Selects or clears entry `index`.
    virtual void setSelected(int index, bool selected) = 0;
    /// Whether entry `index` has its check box ticked (lists with check boxes).
    virtual bool isChecked(int index) const = 0;
    /// Ticks or clears the check box of entry `index`.
    virtual void setChecked(int index, bool checked) = 0;

    /// The chosen (current) entry, -1 when none.
    virtual int currentIndex() const = 0;
    /// Chooses entry `index`; -1 chooses none.
    virtual void setCurrentIndex(int index) = 0;

    /// Whether the control is shown.
    virtual bool isVisible() const = 0;
    /// Shows or hides the control.
    virtual void setVisible(bool visible) = 0;

    /// Chooses the first entry whose item data, without sign, equals `itemData` without sign;
    /// false (and nothing changed) when no entry has it.
    bool selectByData(qlonglong itemData)
    {
        const qlonglong wanted = itemData < 0 ? -itemData : itemData;
        for (int i = 0; i < count(); ++i) {
            const qlonglong d = this->itemData(i);
            if ((d < 0 ? -d : d) == wanted) {
                setCurrentIndex(i);
                setSelected(i, true);
                return true;
            }
        }
        return false;
    }
};

} // namespace report
