#include "app/mainwindow.h"

#include "app/commandavailability.h"
#include "app/linklist.h"
#include "app/urlbuildsession.h"
#include "builders/filters.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "saving/savetargets.h"
#include "saving/savingfilesdialog.h"
#include "settings/preferences.h"
#include "winsupport/mouseover.h"
#include "winsupport/scrollbarstyle.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QScrollBar>
#include <QWindow>

namespace tv {

QString idleBanner()
{
    return QStringLiteral("Tallyvane - gather the links of a page, then open, show or save them.");
}


Form1::Form1(BrowserComponent *browser, QWidget *parent)
    : QMainWindow(parent), m_browser(browser), m_buildHost(makeBuildHost()),
      m_build(std::make_unique<UrlBuildSession>(*m_buildHost))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tallyvane"));
    setWindowIcon(applicationIcon());
    resize(640, 420);

    // The list is placed by the resize handling, not by a layout.
    auto *central = new QWidget(this);
    List1 = new LinkList(central);
    auto *barStyle = new ScrollBarContrastStyle(List1);
    List1->verticalScrollBar()->setStyle(barStyle);
    List1->horizontalScrollBar()->setStyle(barStyle);
    setCentralWidget(central);
    picProgress = new PictureBox(this);
    picProgress->setObjectName(QStringLiteral("picProgress"));

    createMenus();
    createToolbar();
    createStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    // Coarse ticks, as often as the desktop's timer resolution makes sense.
    Timer1->setInterval(15);
    Timer1->setTimerType(Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    createSlideshow(); // Timer2 drives it

    connect(List1, &LinkList::mouseReleased, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
        List1_MouseUp(b, m, p.x(), p.y());
    });
    connect(List1, &LinkList::doubleClicked, this, [this] { List1_DblClick(); });
    connect(List1, &LinkList::enterPressed, this, [this] { List1_KeyPress(13); });
    connect(List1, &LinkList::textDropped, this, &Form1::List1_OLEDragDrop);

    // Esc reaches the window before its controls, even while it is disabled.
    qApp->installEventFilter(this);
    m_previousSettingsHandler = setSettingsWriteFailureHandler(
        [this](const QString &file, const QString &why) { reportSettingsUnsaved(file, why); });
}

Form1::~Form1()
{
    setSettingsWriteFailureHandler(std::move(m_previousSettingsHandler));
    qApp->removeEventFilter(this);
}

void Form1::reportSettingsUnsaved(const QString &file, const QString &why)
{
    // Every later setting would fail the same way: once is enough.
    if (std::exchange(m_settingsUnsavedTold, true))
        return;
    MsgBox(this,
           QStringLiteral("Tallyvane cannot save its settings in \"%1\": %2.\r\n\r\nChanges to the settings "
                          "are not kept.")
               .arg(QDir::toNativeSeparators(file), why),
           MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Settings Not Saved"));
}

void Form1::createMenus()
{
    auto item = [this](QMenu *menu, QAction *&action, const char *name, const QString &caption, auto slot) {
        action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    mnuf = menuBar()->addMenu(QStringLiteral("&File"));
    mnuf->setObjectName(QStringLiteral("mnuf"));
    item(mnuf, mnufileopen, "mnufileopen", QStringLiteral("&Open selected link"), &Form1::mnufileopen_Click);
    separator(mnuf, "sep1");
    item(mnuf, mnufsav, "mnufsav", QStringLiteral("Save selected link &target(s) to disk"), &Form1::mnufsav_Click);
    item(mnuf, mnufaria2, "mnufaria2", QStringLiteral("Send selected link(s) to &aria2..."), &Form1::mnufaria2_Click);
    item(mnuf, mnufsavlst, "mnufsavlst", QStringLiteral("Save &list to text file"), &Form1::mnufsavlst_Click);
    item(mnuf, mnufexport, "mnufexport", QStringLiteral("E&xport list..."), &Form1::mnufexport_Click);
    separator(mnuf, "sep3");
    item(mnuf, mnufEx, "mnufEx", QStringLiteral("&Exit"), &Form1::mnufEx_Click);

    mnulst = menuBar()->addMenu(QStringLiteral("&List"));
    mnulst->setObjectName(QStringLiteral("mnulst"));
    item(mnulst, mnufURL, "mnufURL", QStringLiteral("Build list from &URL"), &Form1::mnufURL_Click);
    item(mnulst, mnufClip, "mnufClip", QStringLiteral("Build list from &Clipboard"), &Form1::mnufClip_Click);
    item(mnulst, mnufFile, "mnufFile", QStringLiteral("Build list from &file"), &Form1::mnufFile_Click);
    item(mnulst, mnufSeq, "mnufSeq", QStringLiteral("Build &sequential list"), &Form1::mnufSeq_Click);
    item(mnulst, mnulstSingle, "mnulstSingle", QStringLiteral("&Add single link"), &Form1::mnulstSingle_Click);
    separator(mnulst, "seplst");
    item(mnulst, mnulstsrch, "mnulstsrch", QStringLiteral("Search &list"), &Form1::mnulstsrch_Click);
    item(mnulst, mnulstclr, "mnulstclr", QStringLiteral("&Clear list"), &Form1::mnulstclr_Click);
    item(mnulst, mnulstselall, "mnulstselall", QStringLiteral("Select &all"), &Form1::mnulstselall_Click);

    mnuo = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuo->setObjectName(QStringLiteral("mnuo"));
    item(mnuo, mnuopoptions, "mnuopoptions", QStringLiteral("&Preferences..."), &Form1::mnuopoptions_Click);
    separator(mnuo, "sepp");
    item(mnuo, mnuopappfilt, "mnuopappfilt", QStringLiteral("Apply &filters"), &Form1::mnuopappfilt_Click);
    mnuopappfilt->setCheckable(true);
    item(mnuo, mnuopfilt, "mnuopfilt", QStringLiteral("&Manage filters..."), &Form1::mnuopfilt_Click);
    item(mnuo, mnuopmedia, "mnuopmedia", QStringLiteral("Include &images and media"), &Form1::mnuopmedia_Click);
    mnuopmedia->setCheckable(true);

    mnuh = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuh->setObjectName(QStringLiteral("mnuh"));
    item(mnuh, mnuHelpCont, "mnuHelpCont", QStringLiteral("&Contents"), &Form1::mnuHelpCont_Click);
    mnuHelpCont->setShortcut(QKeySequence::HelpContents);
    item(mnuh, mnuhelptour, "mnuhelptour", QStringLiteral("&Interactive Tour"), &Form1::mnuhelptour_Click);
    separator(mnuh, "sep2");
    item(mnuh, mnuhelpfreesoft, "mnuhelpfreesoft", QStringLiteral("&More free software"), &Form1::mnuhelpfreesoft_Click);
    item(mnuh, mnuHelpAbt, "mnuHelpAbt", QStringLiteral("&About..."), &Form1::mnuHelpAbt_Click);

    // Pop-up only: never in the menu bar.
    mnusavepop = new QMenu(this);
    mnusavepop->setObjectName(QStringLiteral("mnusavepop"));
    item(mnusavepop, mnusavpopopen, "mnusavpopopen", QStringLiteral("&Open selected link"), &Form1::mnusavpopopen_Click);
    item(mnusavepop, mnusavepoptrgt, "mnusavepoptrgt", QStringLiteral("Save selected link target(s) to disk"),
         &Form1::mnusavepoptrgt_Click);
    item(mnusavepop, mnusavepoparia2, "mnusavepoparia2", QStringLiteral("Send selected link(s) to aria2..."),
         &Form1::mnufaria2_Click);
    mnusavepop->setDefaultAction(mnusavpopopen);
}

void Form1::createToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->setMouseTracking(true);
    Toolbar1->installEventFilter(this);

    struct ButtonDef { const char *key; const char *hint; int image; bool separatorBefore; };
    static const ButtonDef buttons[] = {
        {"list_url", "Build list from URL", 1, false},
        {"list_clp", "Build list from Clipboard", 2, false},
        {"list_file", "Build list from file", 3, false},
        {"list_seq", "Build sequential list", 4, false},
        {"back", "Open previous link in browser", 5, true},
        {"fwd", "Open next link in browser", 6, false},
        {"hide_br", "Hide browser", 8, false},
        {"slideshow", "Slideshow", 7, false},
        {"sav", "Save target(s) to disk", 10, true},
        {"resize", "Compact mode", 12, false},
        {"help", "Help", 11, false},
    };
    for (const ButtonDef &def : buttons) {
        if (def.separatorBefore)
            Toolbar1->addSeparator();
        auto *button = new ToolButton(QLatin1String(def.key), Toolbar1);
        button->setToolTipText(QLatin1String(def.hint));
        button->setAccessibleName(QLatin1String(def.hint));
        button->setImage(def.image);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        Toolbar1->addWidget(button);
        const QString key = button->Key();
        connect(button, &QToolButton::clicked, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
    Buttons(QStringLiteral("slideshow"))->setCheckable(true);

    ToolButton *sav = Buttons(QStringLiteral("sav"));
    savMenu = new QMenu(sav);
    savtgt = savMenu->addAction(QStringLiteral("Save selected link &target(s) to disk"));
    savtgt->setObjectName(QStringLiteral("savtgt"));
    savelist = savMenu->addAction(QStringLiteral("Save &list to text file"));
    savelist->setObjectName(QStringLiteral("savelist"));
    connect(savtgt, &QAction::triggered, this, [this] { Toolbar1_ButtonMenuClick(1); });
    connect(savelist, &QAction::triggered, this, [this] { Toolbar1_ButtonMenuClick(2); });
    sav->setMenu(savMenu);
    sav->setPopupMode(QToolButton::MenuButtonPopup);
}

void Form1::createStatusBar()
{
    sbStatusBar = new StatusBar(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    setStatusBar(sbStatusBar);
    sbStatusBar->addPanel(QStringLiteral("pnlStatus"), 1, 200);
    sbStatusBar->addPanel(QStringLiteral("pnlProgress"), 0, 180);
}

ToolButton *Form1::Buttons(const QString &key) const
{
    return Toolbar1->findChild<ToolButton *>(key, Qt::FindDirectChildrenOnly);
}

QList<QWidget *> Form1::toolbarItems() const
{
    QList<QWidget *> items;
    for (QAction *action : Toolbar1->actions()) {
        if (QWidget *w = Toolbar1->widgetForAction(action))
            items.append(w);
    }
    return items;
}

void Form1::setStatus(const QString &text)
{
    m_status = text;
    sbStatusBar->Panels(QStringLiteral("pnlStatus"))->setPanelText(text);
}

void Form1::setProgress(qint32 value, qint32 max)
{
    m_progressMax = max;
    if (!m_progressBar) {
        m_progressBar = std::make_unique<CProgressBarEx>();
        m_progressBar->setClient(picProgress);
        m_progressBar->setHost(sbStatusBar);
        m_progressBar->setPanelKey(QStringLiteral("pnlProgress"));
        m_progressBar->ResizeEx();
    }
    m_progressBar->setTextOnly(value == 0);
    m_progressBar->setMax(m_progressMax);
    m_progress = value;
    m_progressBar->setValue(value);
}

void Form1::Form_Load(BrowserWindowPtr pageInFront)
{
    // The hand-over listener is attached by the start-up. The window can never
    // be made smaller than it was at load.
    m_border.setClient(this);
    meX = qint32(frameGeometry().width());
    meY = frameGeometry().height();
    MSubclass::AttachMsgHandler(this, winId(), Msg::WM_GETMINMAXINFO);

    m_settings.setCompany(QStringLiteral("Quillmere"));
    m_settings.setAppName(QStringLiteral("Tallyvane"));
    setStatus(idleBanner());

    const QStringList entries = Filters::load(m_settings);
    m_build->setFilters(Filters::extensionsOf(entries));
    m_build->setFiltersApplied(!entries.isEmpty() && Filters::applyFilters(m_settings));
    mnuopappfilt->setEnabled(!entries.isEmpty());
    mnuopappfilt->setChecked(m_build->filtersApplied());
    loadMediaOption();
    m_prefs = LoadPreferences(m_settings);

    m_build->harvestAtLoad(std::move(pageInFront));

    applyZOrder(m_prefs.ontop);
    show();
    Timer1->start();
}

void Form1::applyZOrder(bool topmost)
{
    // Once the border object is attached it owns the window's flags.
    if (m_border.Client()) {
        if (m_border.TopMost() != topmost)
            m_border.setTopMost(topmost);
        return;
    }
    Qt::WindowFlags flags = windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow *window = windowHandle()) {
        // Changing the flags of the shown window keeps it where it is, unlike
        // QWidget::setWindowFlags, which hides and re-creates it.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

int Form1::showModal(QDialog *dialog)
{
    applyZOrder(false);
    dialog->setParent(this, dialog->windowFlags() | Qt::Dialog);
    dialog->setWindowModality(Qt::WindowModal);
    const int result = dialog->exec();
    applyZOrder(m_prefs.ontop);
    return result;
}

void Form1::setFormEnabled(bool enabled)
{
    m_formEnabled = enabled;
    menuBar()->setEnabled(enabled);
    Toolbar1->setEnabled(enabled);
    centralWidget()->setEnabled(enabled);
}

void Form1::ShowCount()
{
    sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString::number(List1->ListCount()) +
                                                                     QStringLiteral(" links found"));
}

bool Form1::slideshowPressed() const
{
    return Buttons(QStringLiteral("slideshow"))->Value() == 1;
}

void Form1::List1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(shift);
    if (slideshowPressed()) {
        MsgBox(this, QStringLiteral("You have a slideshow in progress. Please stop the slideshow before performing any other tasks."),
               MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Slideshow in Progress"));
        return;
    }
    if (button == Qt::RightButton && List1->ListCount() != 0 && List1->ListIndex() != -1)
        mnusavepop->exec(List1->viewport()->mapToGlobal(QPoint(x, y)));

    if (!m_openRequest)
        return;
    const int index = List1->ItemFromPoint(List1->viewport()->mapFromGlobal(QCursor::pos()));
    if (index > -1 && !refusedLinkReason(List1->List(index)).isEmpty()) {
        m_openRequest = false;
        openLink(List1->List(index)); // says why it is not opened
        return;
    }
    try {
        ObtainViewer();
        if (index > -1) {
            webbrowser1->navigate(List1->List(index));
            m_openRequest = false;
        }
    } catch (const BrowserError &e) {
        reportOpenFailure(e);
    }
}

void Form1::List1_DblClick()
{
    m_openRequest = true;
}

void Form1::List1_KeyPress(int keyAscii)
{
    if (keyAscii != 13 || List1->ListCount() == 0 || List1->ListIndex() == -1)
        return;
    openLink(List1->List(List1->ListIndex()));
}

void Form1::List1_OLEDragDrop(const QString &text)
{
    goturl = text;
    mnufURL_Click();
}

void Form1::mnufileopen_Click()
{
    m_openRequest = true;
    List1_MouseUp(Qt::NoButton, Qt::NoModifier, 0, 0);
}

void Form1::mnusavpopopen_Click()
{
    m_openRequest = true;
}

void Form1::mnusavepoptrgt_Click()
{
    if (List1->SelCount() >= 1)
        mnufsav_Click();
}

void Form1::mnulstclr_Click()
{
    List1->Clear();
    List1->RefreshExtent();
    sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
}

void Form1::mnulstselall_Click()
{
    List1->SelectAll();
}

void Form1::mnufEx_Click()
{
    // At once: no close question, and the user's browser windows stay open.
    m_unloaded = true;
    if (m_browser)
        m_browser->shutdown();
    QCoreApplication::exit(0);
}

void Form1::receiveHandOver(const QString &address)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    emit handOverReceived(address);
    if (address.isEmpty())
        return;
    m_build->handOver(address);
}

void Form1::buildFromArgument(const QString &address)
{
    if (address.isEmpty())
        return;
    if (transferRunning() || QApplication::activeModalWidget() || !m_formEnabled || m_build->running()) {
        QTimer::singleShot(250, this, [this, address] { buildFromArgument(address); });
        return;
    }
    goturl = address;
    mnufURL_Click();
}

void Form1::Toolbar1_ButtonClick(const QString &key)
{
    // A run stops before any other button does its work; the layout and
    // the viewer's visibility leave it running.
    if (slideshowPressed() && key != u"slideshow" && key != u"resize" && key != u"hide_br")
        m_slideshow->stopByOtherButton();

    if (key == u"list_url")
        mnufURL_Click();
    else if (key == u"list_clp")
        mnufClip_Click();
    else if (key == u"list_file")
        mnufFile_Click();
    else if (key == u"list_seq")
        mnufSeq_Click();
    else if (key == u"back")
        openNeighbour(-1);
    else if (key == u"fwd")
        openNeighbour(+1);
    else if (key == u"hide_br")
        toggleViewerShown();
    else if (key == u"slideshow")
        m_slideshow->buttonClicked(slideshowPressed());
    else if (key == u"sav") {
        if (List1->SelCount() != 0)
            mnufsav_Click();
    } else if (key == u"resize")
        switchLayoutMode();
    else if (key == u"help")
        mnuHelpCont_Click();
}

void Form1::Toolbar1_ButtonMenuClick(int index)
{
    if (index == 1)
        mnufsav_Click();
    else if (index == 2)
        mnufsavlst_Click();
}

void Form1::Toolbar1_MouseMove(int x)
{
    for (QWidget *item : toolbarItems()) {
        const int left = item->geometry().left();
        if (left < x && x < left + item->width()) {
            sbStatusBar->Panels(QStringLiteral("pnlStatus"))->setPanelText(item->toolTip());
            // The panel is written directly: the stored status text stays.
        }
    }
}

void Form1::Timer1_Timer()
{
    const CommandAvailability a = commandAvailability({.count = List1->ListCount(),
                                                       .index = List1->ListIndex(),
                                                       .selected = List1->SelCount(),
                                                       .viewerHeld = webbrowser1 != nullptr,
                                                       .transferRunning = transferRunning()});
    auto enable = [](auto *target, bool on) {
        if (target->isEnabled() != on)
            target->setEnabled(on);
    };
    enable(mnufsav, a.saveTargets);
    enable(Buttons(QStringLiteral("sav")), a.saveButton);
    enable(savtgt, a.saveTargets);
    enable(savelist, a.saveList);
    enable(Buttons(QStringLiteral("back")), a.back);
    enable(Buttons(QStringLiteral("fwd")), a.fwd);
    enable(Buttons(QStringLiteral("slideshow")), a.slideshow);
    enable(Buttons(QStringLiteral("hide_br")), a.hideBrowser);
    enable(mnufsavlst, a.saveList);
    enable(mnufileopen, a.openSelected);
    enable(mnusavpopopen, a.popupOpen);
    enable(mnusavepoptrgt, a.popupSaveTargets);
    enable(mnufaria2, a.saveTargets);
    enable(mnusavepoparia2, a.popupSaveTargets);
    enable(mnufexport, a.saveList);

    // Asking the display server where the pointer is costs a round trip: ask
    // only when the banner is not shown already and the pointer is over this
    // window at all. A running build keeps its word on the panel until it ends.
    StatusPanel *panel = sbStatusBar->Panels(QStringLiteral("pnlStatus"));
    const QString banner = idleBanner();
    if (panel->Text() != banner && m_status != u"Slideshow in progress." && m_status != u"Loading link..." &&
        m_status != UrlBuildSession::buildingStatus() && !(underMouse() && IsMouseOver(Toolbar1)))
        panel->setPanelText(banner);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (key->key() == Qt::Key_Escape && widget && widget->window() == this && !QApplication::activePopupWidget()) {
            CancelBuild();
            return true;
        }
    } else if (event->type() == QEvent::Resize && watched == centralWidget() && !isMinimized()) {
        // Bars shown or hidden resize the list's area but not the window.
        List1->resize(centralWidget()->size());
        List1->RefreshExtent();
    } else if (event->type() == QEvent::MouseMove) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == Toolbar1 || widget->parentWidget() == Toolbar1)) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            Toolbar1_MouseMove(widget->mapTo(Toolbar1, mouse->position().toPoint()).x());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void Form1::Form_QueryUnload()
{
    if (openedone) {
        const MsgResult answer = MsgBox(this,
            QStringLiteral("Tallyvane openend a web browser window while it was running and it is still open. Do you wish to close it as well?"),
            MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Close Browser Window?"));
        if (answer == MsgResult::Yes) {
            for (BrowserWindowPtr *w : {&webbrowser1, &webbrowser3}) {
                try {
                    if (*w)
                        (*w)->quit();
                } catch (const BrowserError &) {
                    // Already closed by the user.
                }
            }
        }
    }
    m_build->quit();
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w != this && w->isVisible())
            w->close();
    }
}

void Form1::Form_Unload()
{
    m_unloaded = true;
    MSubclass::DetachMsgHandler(this, winId(), Msg::WM_GETMINMAXINFO);
    Timer1->stop();
    Timer2->stop();
    emit unloaded();
}

} // namespace tv
