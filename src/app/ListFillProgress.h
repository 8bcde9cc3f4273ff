#pragma once

#include "app/ProgressWindow.h"
#include "transform/FillProgress.h"

#include <QPointer>

class QWidget;

namespace app {


/// The busy pointer and the progress window (frmInitialize) while a list is filled.
class ListFillProgress : public transform::FillProgress {
public:
    /// The progress window is shown over `owner` when a fill asks for it.
    explicit ListFillProgress(QWidget& owner);
    ~ListFillProgress() override;

    /// Shows or ends the busy pointer; asking for the state already shown changes nothing.
    void setBusy(bool busy) override;
    /// Shows frmInitialize with the caption on lblCAption and prg from 0 to `maximum`.
    void open(const QString& caption, int maximum) override;
    /// Moves prg one step on.
    void step() override;
    /// Hides frmInitialize.
    void close() override;

    /// The progress window, created the first time it is shown (null before).
    ProgressWindow* window() const { return m_window.data(); }

private:
    QWidget& m_owner;
    QPointer<ProgressWindow> m_window; ///< owned by m_owner, so it may go with the window first
    bool m_busy = false;
};

} // namespace app
