// Saving the targets of the selected links.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "saving/savetargets.h"
#include "saving/savingfilesdialog.h"
#include "saving/sendtoaria2dialog.h"

#include <QEvent>
#include <QWindowStateChangeEvent>

namespace tv {

// The main window as the transfer sees it.
class Form1::SavingWindowHost final : public SavingHost
{
public:
    explicit SavingWindowHost(Form1 *window) : m_window(window) {}

    void setTransferCaption(const QString &caption) override { m_window->setWindowTitle(caption); }
    void setTransferHostEnabled(bool enabled) override { m_window->setFormEnabled(enabled); }
    void minimizeForTransfer() override { m_window->showMinimized(); }
    void restoreForTransfer() override
    {
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->show();
    }
    void transferEnded(bool topmost) override
    {
        m_window->applyZOrder(topmost);
        m_window->setFormEnabled(true);
        m_window->raise();
        m_window->activateWindow();
    }

private:
    Form1 *m_window;
};

void Form1::mnufsav_Click()
{
    if (!m_saving) {
        m_savingHost = std::make_unique<SavingWindowHost>(this);
        m_saving = std::make_unique<TargetSaving>(*m_savingHost, this, m_settings);
    }
    m_saving->start(List1->SelectedItems(), m_prefs.owaction, m_prefs.ontop, m_prefs.simultaneous);
}

bool Form1::transferRunning() const
{
    return m_saving && m_saving->running();
}

void Form1::mnufaria2_Click()
{
    if (List1->SelCount() == 0)
        return;
    SendToAria2Dialog dialog(List1->SelectedItems(), List1->SelectedPages(), m_settings, this);
    showModal(&dialog);
}

void Form1::Form_Activate()
{
    if (m_saving)
        m_saving->mainWindowActivated();
}

void Form1::transferWindowRestored()
{
    if (m_saving)
        m_saving->mainWindowRestored();
}

void Form1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    } else if (event->type() == QEvent::WindowStateChange) {
        // Minimising only clears a pending mode switch; restoring lays the list
        // out again and brings a transfer sent to the background back.
        Form_Resize();
    }
}

} // namespace tv
