#pragma once

// "Tallyvane" (Form1): the main window. Its commands are spread over
// mainwindow_*.cpp by subject.

#include "platform/browser.h"
#include "settings/preferences.h"
#include "settings/settingsstore.h"
#include "viewer/slideshow.h"
#include "viewer/viewerwindow.h"
#include "winsupport/blockprogressbar.h"
#include "winsupport/formborder.h"
#include "winsupport/subclass.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;
class QToolBar;
class QDialog;

namespace tv {

class LinkList;
class SavingHost;
class TargetSaving;
class PictureBox;
class UrlBuildHost;
class UrlBuildSession;
class OpenPagesBuild;
class StatusBar;
class ToolButton;

// The program's text for the status panel when nothing else owns it.
QString idleBanner();

// The main window: the link list, its menus, toolbar and status bar, and the
// members through which the dialogs and the builders talk to it.
class Form1 final : public QMainWindow, public ISubclass
{
    Q_OBJECT
public:
    explicit Form1(BrowserComponent *browser, QWidget *parent = nullptr);
    ~Form1() override;

    // With the browser window that was in front at start, its page is listed.
    void Form_Load(BrowserWindowPtr pageInFront = nullptr);
    // Receives an address handed over by a second start.
    void receiveHandOver(const QString &address);
    // Builds a list from an address the program was started with, as from a
    // dropped one, once no transfer, dialog or build holds the window.
    void buildFromArgument(const QString &address);

signals:
    // The window has gone through its close request and unloaded.
    void unloaded();
    // A second start handed this address over (empty: only bring forward).
    void handOverReceived(const QString &address);

private slots:
    void mnufileopen_Click();
    void mnufsav_Click();
    void mnufsavlst_Click();
    void mnufaria2_Click();
    void mnufexport_Click();
    void mnufEx_Click();
    void mnufURL_Click();
    void mnufClip_Click();
    void mnufFile_Click();
    void mnufSeq_Click();
    // "Build list from open browser windows".
    void mnulstWindows_Click();
    void mnulstSingle_Click();
    void mnulstsrch_Click();
    void mnulstclr_Click();
    void mnulstselall_Click();
    void mnuopoptions_Click();
    void mnuopappfilt_Click();
    void mnuopfilt_Click();
    void mnuopmedia_Click();
    void mnuHelpCont_Click();
    void mnuhelptour_Click();
    void mnuhelpfreesoft_Click();
    void mnuHelpAbt_Click();
    void mnusavpopopen_Click();
    void mnusavepoptrgt_Click();

    void Toolbar1_ButtonClick(const QString &key);
    void Toolbar1_ButtonMenuClick(int index);
    void Toolbar1_MouseMove(int x);

    void Timer1_Timer();

private:
    // --- the viewer and the tour window, and whether the program opened one ---
    bool openedone = false;
    BrowserWindowPtr webbrowser1;
    BrowserWindowPtr webbrowser3;

    QString Status() const { return m_status; }
    void setStatus(const QString &text);
    qint32 Progress() const { return m_progress; }
    qint32 ProgressMax() const { return m_progressMax; }
    // The bar at `value` of `max` (at least 1); 0 shows the count's text only.
    void setProgress(qint32 value, qint32 max = 100);

    // --- controls ---
    LinkList *List1 = nullptr;
    StatusBar *sbStatusBar = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QMenu *mnuf = nullptr, *mnulst = nullptr, *mnuo = nullptr, *mnuh = nullptr, *mnusavepop = nullptr;
    QAction *mnufileopen = nullptr, *mnufsav = nullptr, *mnufsavlst = nullptr, *mnufEx = nullptr;
    QAction *mnufURL = nullptr, *mnufClip = nullptr, *mnufFile = nullptr, *mnufSeq = nullptr,
            *mnulstSingle = nullptr, *mnulstsrch = nullptr, *mnulstclr = nullptr, *mnulstselall = nullptr;
    QAction *mnuopoptions = nullptr, *mnuopappfilt = nullptr, *mnuopfilt = nullptr;
    QAction *mnuopmedia = nullptr; // "Include images and media"
    QAction *mnuHelpCont = nullptr, *mnuhelptour = nullptr, *mnuhelpfreesoft = nullptr, *mnuHelpAbt = nullptr;
    QAction *mnusavpopopen = nullptr, *mnusavepoptrgt = nullptr;
    QAction *mnufaria2 = nullptr, *mnufexport = nullptr, *mnusavepoparia2 = nullptr;
    QAction *mnulstWindows = nullptr;
    QAction *savtgt = nullptr, *savelist = nullptr;

    ToolButton *Buttons(const QString &key) const;
    QList<QWidget *> toolbarItems() const;
    BrowserComponent *browser() const { return m_browser; }

    void CancelBuild();
    // Enables or disables the window's input; Esc still reaches it.
    void setFormEnabled(bool enabled);
    bool FormEnabled() const { return m_formEnabled; }
    // Applies the on-top state without moving or resizing the window.
    void applyZOrder(bool topmost);
    // Runs a dialog modally over this window, out of the topmost layer.
    int showModal(QDialog *dialog);

    // --- the link list ---
    void ShowCount();
    void List1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void List1_DblClick();
    void List1_KeyPress(int keyAscii);
    void List1_OLEDragDrop(const QString &text);

    // --- the viewer ---
    // PrepareViewerWindow, then Navigate; false (the user has been told)
    // when the link could not be opened.
    bool openLink(const QString &url);

    // --- layout modes ---
    bool compactMode() const;

    // The minimum tracking size through the window hook.
    qint32 ISubclass_MsgResponse() const override;
    void setISubclass_MsgResponse(qint32) override {}
    qintptr ISubclass_WindowProc(WId hWnd, qint32 iMsg, qintptr wParam, qintptr lParam) override;

    // Activation: a running transfer keeps its dialog in front.
    void Form_Activate();
    // Whether a transfer of link targets runs.
    bool transferRunning() const;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

    // --- the viewer ---
    // Finds, adopts or creates the viewer, shows or hides it, brings it to
    // the front and stops a load in progress. Throws BrowserError.
    void PrepareViewerWindow();
    // The same for the list's own open: the main window keeps the focus and
    // a load in progress goes on.
    void ObtainViewer();
    // "back" (-1) and "fwd" (+1): the neighbour of the focus item, alone selected, opened.
    void openNeighbour(int step);
    // "hide_br": the viewer-shown state (icon 8 shown, 9 hidden) and the viewer.
    void toggleViewerShown();
    bool viewerShown() const;
    // Forgets the viewer without its quit event (it has gone).
    void forgetViewer();
    // Mouse pointer: arrow and hourglass, or the default.
    void setBusyPointer(bool busy);

    void webbrowser1_BeforeNavigate2(const QString &pDisp, const QString &url);
    void webbrowser1_DocumentComplete(const QString &pDisp, const QString &url);
    void webbrowser1_ProgressChange(qint32 progress, qint32 progressMax);
    void webbrowser1_OnQuit();
    void webbrowser3_OnQuit();
    // The "resize" button: compact strip or full-size window, and back.
    void switchLayoutMode();
    void Form_Resize();
    class ViewerHost;
    class SavingWindowHost;
    PictureBox *picProgress = nullptr;
    QMenu *savMenu = nullptr;

    void createMenus();
    void createToolbar();
    void createStatusBar();
    void Form_QueryUnload();
    void Form_Unload();
    bool slideshowPressed() const;
    void createSlideshow();
    // Back from minimised: a running transfer's dialog shows again.
    void transferWindowRestored();
    ViewerHooks viewerHooks();
    // One clear message for a link the browser could not open.
    void reportOpenFailure(const BrowserError &e);
    // Told once a run: a setting could not be written.
    void reportSettingsUnsaved(const QString &file, const QString &why);
    // Before the first link of an import into a list that holds entries:
    // keep them or empty the list, as the user chooses.
    void askAppendOrNew(const std::function<void()> &beforeQuestion);

    // `ontop`, `newwin`, `owaction`.
    Preferences m_prefs;
    // The search's answers, and the item found by the last successful search.
    bool fnext = false;
    QString srchtxt;
    bool add2sel = false;
    bool mcase = false;
    int lastFound = 0;
    // An address dropped on the list: built from without asking.
    QString goturl;
    void fitCompactStrip();
    // The smallest outer size the window may be given.
    QVariant meX;
    qint32 meY = 0;
    // Set while a mode switch is in progress: resize notifications are not laid out.
    bool switchingMode = false;
    // "hide_br": new and adopted viewers are shown.
    bool m_viewerShown = true;
    // "resize": the compact strip instead of the full-size window.
    bool m_compact = false;

    BrowserComponent *m_browser;
    CRegSettings m_settings;
    std::unique_ptr<CProgressBarEx> m_progressBar;
    QString m_status;
    qint32 m_progress = 0;
    qint32 m_progressMax = 100;
    bool m_openRequest = false;
    bool m_formEnabled = true;
    bool m_unloaded = false;
    bool m_settingsUnsavedTold = false;
    SettingsWriteFailure m_previousSettingsHandler;
    class BuildHost;
    std::unique_ptr<UrlBuildHost> makeBuildHost();
    // "Include images and media" from the settings into the build and the menu.
    void loadMediaOption();
    std::unique_ptr<UrlBuildHost> m_buildHost;
    std::unique_ptr<UrlBuildSession> m_build;
    std::unique_ptr<OpenPagesBuild> m_openPages;
    CFormBorder m_border;
    // The full-size window's outer size in twips while the window is compact.
    QSize m_fullSize;
    void setToolbarIconSize(int pixels);
    // The frame's share of the outer size when the list was last laid out.
    QSize m_frame;
    std::unique_ptr<SlideshowHost> m_slideshowHost;
    std::unique_ptr<SlideshowClock> m_slideshowClock;
    std::unique_ptr<Slideshow> m_slideshow;
    // Last, so a transfer dialog still open goes before the rest of the window.
    std::unique_ptr<SavingHost> m_savingHost;
    std::unique_ptr<TargetSaving> m_saving;
};

} // namespace tv
