// The viewer window, the tour window and the slideshow.
#include "app/mainwindow.h"

#include "app/busypointer.h"
#include "app/linklist.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "viewer/slideshowoptionsdialog.h"
#include "viewer/slideshowpauseddialog.h"
#include "viewer/viewerwindow.h"

#include <algorithm>
#include <QTimer>

namespace tv {

namespace {

const QString HideBrowser = QStringLiteral("Hide browser");
const QString ShowBrowser = QStringLiteral("Show browser");
constexpr int ShownImage = 8;
constexpr int HiddenImage = 9;

} // namespace

// The slideshow's view of the main window.
class Form1::ViewerHost final : public SlideshowHost
{
public:
    explicit ViewerHost(Form1 &form) : m_form(form) {}

    QStringList links(bool justSelected) const override
    {
        return justSelected ? m_form.List1->SelectedItems() : m_form.List1->Items();
    }
    bool openLink(const QString &url) override { return m_form.openLink(url); }
    BrowserWindowPtr viewer() const override { return m_form.webbrowser1; }
    bool viewerShown() const override { return m_form.viewerShown(); }
    void dropViewer() override { m_form.forgetViewer(); }
    void setButtonPressed(bool pressed) override { m_form.Buttons(QStringLiteral("slideshow"))->setValue(pressed); }
    void setStatus(const QString &text) override { m_form.setStatus(text.isEmpty() ? idleBanner() : text); }
    void setPointer(Pointer pointer) override { m_form.setBusyPointer(pointer == Pointer::ArrowHourglass); }
    void showCount() override { m_form.ShowCount(); }
    std::optional<SlideshowOptions> askOptions(const SlideshowOptions &stored) override
    {
        Form6 dialog(stored);
        m_form.showModal(&dialog);
        return dialog.result();
    }
    bool askResume() override
    {
        Form7 dialog;
        m_form.showModal(&dialog);
        return dialog.ss_resume;
    }
    void warn(const QString &title, const QString &text) override
    {
        MsgBox(&m_form, text, MsgButtons::Ok, MsgIcon::Exclamation, title);
    }

private:
    Form1 &m_form;
};

void Form1::createSlideshow()
{
    m_slideshowHost = std::make_unique<ViewerHost>(*this);
    m_slideshowClock = std::make_unique<TimerClock>(Timer2);
    m_slideshow = std::make_unique<Slideshow>(*m_slideshowHost, m_settings, *m_slideshowClock);
}

void Form1::setBusyPointer(bool busy)
{
    if (busy)
        showArrowHourglass();
    else
        clearBusyPointer();
}

bool Form1::viewerShown() const
{
    return m_viewerShown;
}

ViewerHooks Form1::viewerHooks()
{
    return {[this](const BrowserWindowPtr &w, bool created) {
                webbrowser1 = w;
                if (created)
                    openedone = true;
                BrowserWindow *raw = w.get();
                connect(raw, &BrowserWindow::BeforeNavigate2, this, &Form1::webbrowser1_BeforeNavigate2);
                connect(raw, &BrowserWindow::DocumentComplete, this, &Form1::webbrowser1_DocumentComplete);
                connect(raw, &BrowserWindow::ProgressChange, this, &Form1::webbrowser1_ProgressChange);
                connect(raw, &BrowserWindow::OnQuit, this, [this, raw] {
                    if (webbrowser1.get() == raw)
                        webbrowser1_OnQuit();
                });
            },
            [this] { forgetViewer(); }};
}

void Form1::forgetViewer()
{
    if (webbrowser1)
        disconnect(webbrowser1.get(), nullptr, this, nullptr);
    webbrowser1.reset();
    openedone = false;
}

void Form1::PrepareViewerWindow()
{
    webbrowser1 = readyViewer(*m_browser, webbrowser1, m_prefs.newwin, {viewerShown(), true}, viewerHooks());
}

void Form1::ObtainViewer()
{
    // The list's own open: the main window keeps the focus, a load goes on.
    webbrowser1 = readyViewer(*m_browser, webbrowser1, m_prefs.newwin, {viewerShown(), false}, viewerHooks());
    if (viewerShown()) {
        activateWindow();
        raise();
    }
}

void Form1::reportOpenFailure(const BrowserError &e)
{
    MsgBox(this,
           QStringLiteral("Tallyvane could not open the link in a web browser window.\r\n\r\n%1")
               .arg(QString::fromStdString(e.what())),
           MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
}

bool Form1::openLink(const QString &url)
{
    if (const QString refused = refusedLinkReason(url); !refused.isEmpty()) {
        MsgBox(this, refused, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Open Link"));
        return false;
    }
    try {
        PrepareViewerWindow();
        webbrowser1->navigate(url);
        return true;
    } catch (const BrowserError &e) {
        reportOpenFailure(e);
        return false;
    }
}

void Form1::openNeighbour(int step)
{
    const int count = List1->ListCount();
    int index = List1->ListIndex();
    if (index != (step < 0 ? 0 : count - 1))
        index += step;
    if (index < 0 || index >= count)
        return;
    List1->setListIndex(index);
    // Exactly the focus item stays selected.
    List1->setSelectedRange(0, count - 1, false);
    List1->setSelected(index, true);
    openLink(List1->List(index));
}

void Form1::toggleViewerShown()
{
    if (!webbrowser1)
        return;
    // The state holds for a viewer opened later too; the button shows it.
    const bool show = !m_viewerShown;
    m_viewerShown = show;
    ToolButton *button = Buttons(QStringLiteral("hide_br"));
    button->setImage(show ? ShownImage : HiddenImage);
    button->setToolTipText(show ? HideBrowser : ShowBrowser);
    button->setAccessibleName(button->ToolTipText());
    const BrowserWindowPtr viewer = webbrowser1;
    try {
        viewer->setVisible(show);
        if (show) {
            viewer->showNoActivate();
            viewer->bringToForeground();
        }
    } catch (const BrowserError &) {
        // Gone without a word: the next open finds or makes another.
        if (webbrowser1 == viewer)
            forgetViewer();
    }
}

void Form1::webbrowser1_BeforeNavigate2(const QString &pDisp, const QString &)
{
    if (!webbrowser1 || pDisp != webbrowser1->name())
        return;
    setStatus(QStringLiteral("Loading link..."));
    setBusyPointer(true);
}

void Form1::webbrowser1_DocumentComplete(const QString &pDisp, const QString &)
{
    if (!webbrowser1 || pDisp != webbrowser1->name())
        return; // a frame
    m_slideshow->documentComplete();
    if (!slideshowPressed()) {
        setBusyPointer(false);
        setStatus(idleBanner());
        ShowCount();
    } else {
        setStatus(Slideshow::inProgressText());
        sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
    }
    setProgress(0);
}

void Form1::webbrowser1_ProgressChange(qint32 progress, qint32 progressMax)
{
    if (progress < 1 || progressMax < 1)
        setProgress(0);
    else
        setProgress(std::min(progress, progressMax), progressMax);
}

void Form1::webbrowser1_OnQuit()
{
    setBusyPointer(false);
    setStatus(idleBanner());
    setFormEnabled(true);
    m_slideshow->viewerQuit();
    forgetViewer();
    setProgress(0);
}

void Form1::mnuhelptour_Click()
{
    const ViewerHooks hooks{[this](const BrowserWindowPtr &w, bool) {
                                webbrowser3 = w;
                                BrowserWindow *raw = w.get();
                                connect(raw, &BrowserWindow::OnQuit, this, [this, raw] {
                                    if (webbrowser3.get() == raw)
                                        webbrowser3_OnQuit();
                                });
                            },
                            [this] { webbrowser3_OnQuit(); }};
    try {
        webbrowser3 = openTourWindow(*m_browser, webbrowser3, tourAddress(), hooks);
        openedone = true;
    } catch (const BrowserError &e) {
        reportOpenFailure(e);
    }
}

void Form1::webbrowser3_OnQuit()
{
    if (webbrowser3)
        disconnect(webbrowser3.get(), nullptr, this, nullptr);
    webbrowser3.reset();
    openedone = false;
}

} // namespace tv
