#include "app/ListFillProgress.h"

#include "app/ProgressWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace app {

ListFillProgress::ListFillProgress(QWidget& owner)
    : m_owner(owner)
{
}

ListFillProgress::~ListFillProgress()
{
    setBusy(false);
    delete m_window.data();
}

void ListFillProgress::setBusy(bool busy)
{
    // The override cursor is a stack: only a real change may push or pop it.
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ListFillProgress::open(const QString& caption, int maximum)
{
    if (!m_window)
        m_window = new ProgressWindow(&m_owner);
    m_window->clearCancel();
    m_window->lblCAption()->setText(caption);
    m_window->prg()->setRange(0, maximum);
    m_window->prg()->setValue(0);
    m_window->show();
    m_window->repaint();
}

void ListFillProgress::step()
{
    if (m_window)
        m_window->prg()->setValue(m_window->prg()->value() + 1);
}

void ListFillProgress::close()
{
    if (m_window)
        m_window->hide();
}

} // namespace app
