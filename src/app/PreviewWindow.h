#pragma once

#include "transform/TransformPreview.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace app {

/// The window frmPreview: what Start Transform would copy with the choices of now, and what the
/// copies would be worth at head office and in the branch. It only shows.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent);

    /// Shows `preview`, or why nothing would be copied.
    void showPreview(const transform::Preview& preview);

    /// The preview shown last.
    const transform::Preview& preview() const { return m_preview; }
    QLabel* lblPreviewCounts() const { return m_counts; }
    QLabel* lblPreviewRefused() const { return m_refused; }
    QLabel* lblPreviewCopies() const { return m_copies; }
    /// Rows: purchase rate, sales rate, MRP value; columns: head office, branch, difference, left out.
    QTableWidget* msgPreviewTotals() const { return m_totals; }

private:
    transform::Preview m_preview;
    QLabel* m_refused;
    QLabel* m_counts;
    QTableWidget* m_totals;
    QLabel* m_items;
    QLabel* m_copies;
};

} // namespace app
