#pragma once

#include <QLabel>

namespace app {

/// A label that reports clicks and double-clicks, for labels that start operations.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    /// Creates the label with its text.
    explicit ClickableLabel(const QString& text = {}, QWidget* parent = nullptr);

signals:
    /// The left mouse button was released over the label.
    void clicked();
    /// The label was double-clicked with the left mouse button.
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace app
