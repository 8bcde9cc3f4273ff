#include "app/ProgressWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmInitialize"));
    setWindowTitle(QStringLiteral("Easy Progress"));
    setWindowModality(Qt::NonModal);

    m_lblCAption = new QLabel(QStringLiteral("****"), this);
    m_lblCAption->setObjectName(QStringLiteral("lblCAption"));
    m_lblCAption->setWordWrap(true);

    m_prg = new QProgressBar(this);
    m_prg->setObjectName(QStringLiteral("prg"));
    m_prg->setAccessibleName(QStringLiteral("prg"));
    m_prg->setRange(0, 100);
    m_prg->setValue(0);

    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblCAption);
    layout->addWidget(m_prg);
    layout->addLayout(buttons);

    setMinimumWidth(360);
    resize(420, sizeHint().height());

    connect(m_cmdClose, &QPushButton::clicked, this, [this] {
        cancel();
        close();
    });
}

bool ProgressWindow::isCancelled() const
{
    return m_cancelled;
}

void ProgressWindow::clearCancel()
{
    m_cancelled = false;
}

QProgressBar* ProgressWindow::prg() const
{
    return m_prg;
}

QLabel* ProgressWindow::lblCAption() const
{
    return m_lblCAption;
}

QPushButton* ProgressWindow::cmdClose() const
{
    return m_cmdClose;
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window by its title bar means the same as cmdClose; the program's own close() does not.
    if (event->spontaneous())
        cancel();
    QWidget::closeEvent(event);
}

void ProgressWindow::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    emit cancelled();
}

} // namespace app
