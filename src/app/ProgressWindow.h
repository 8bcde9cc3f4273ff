#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace app {

/// The small progress window (frmInitialize) shown while a list is filled; not modal.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    /// Builds the window with its progress bar, caption label and close button, hidden and not cancelled.
    explicit ProgressWindow(QWidget* parent = nullptr);

    /// True once the operator asked to stop: cmdClose was pressed or the window was closed by hand.
    bool isCancelled() const;
    /// Forgets an earlier cancel, for the next use of the window.
    void clearCancel();

    /// The progress bar `prg`.
    QProgressBar* prg() const;
    /// The caption label `lblCAption`.
    QLabel* lblCAption() const;
    /// The button `cmdClose`.
    QPushButton* cmdClose() const;

signals:
    /// The operator asked to stop the work the window shows.
    void cancelled();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel();

    QProgressBar* m_prg = nullptr;
    QLabel* m_lblCAption = nullptr;
    QPushButton* m_cmdClose = nullptr;
    bool m_cancelled = false;
};

} // namespace app
