// The compact and full-size layouts, the list's resize handling and the
// window's minimum size.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "app/windowlayout.h"

#include "platform/commoncontrols.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace tv {

namespace {

bool keptInCompactMode(const QString &key)
{
    return key == u"slideshow" || key == u"back" || key == u"fwd" || key == u"hide_br" || key == u"resize";
}

} // namespace

void Form1::setToolbarIconSize(int pixels)
{
    Toolbar1->setIconSize(QSize(pixels, pixels));
    const QList<ToolButton *> buttons = Toolbar1->findChildren<ToolButton *>(Qt::FindDirectChildrenOnly);
    for (ToolButton *button : buttons) {
        // A button's size hint is kept until its icon changes.
        button->setIconSize(QSize(pixels, pixels));
        button->setIcon(button->icon());
    }
}

bool Form1::compactMode() const
{
    return m_compact;
}

void Form1::switchLayoutMode()
{
    const TwipsPerPixel tpp = twipsPerPixel(this);
    const QSize frame = frameGeometry().size() - size();
    const bool toCompact = !m_compact;
    m_compact = toCompact;
    switchingMode = true;

    auto showToolbarItems = [this](bool all) {
        for (QAction *action : Toolbar1->actions()) {
            QWidget *item = Toolbar1->widgetForAction(action);
            // Separators have no key, so they go too.
            if (!item || !keptInCompactMode(item->objectName()))
                action->setVisible(all);
        }
    };
    auto showMenus = [this](bool on) {
        for (QMenu *menu : {mnuf, mnuo, mnuh, mnulst})
            menu->menuAction()->setVisible(on);
        menuBar()->setVisible(on);
    };

    ToolButton *resizeButton = Buttons(QStringLiteral("resize"));
    if (toCompact) {
        showMenus(false);
        // Remember the restored size, not the maximised one.
        const QSize outer = (isMaximized() ? normalGeometry().size() : size()) + frame;
        if (isMaximized())
            showNormal();
        m_fullSize = QSize(outer.width() * tpp.x, outer.height() * tpp.y);
        showToolbarItems(false);
        // Small pictures, so the five buttons fit into the strip.
        setToolbarIconSize(16);
        const QSize compact = compactOuterSize(tpp);
        meX = qint32(compact.width());
        meY = compact.height();
        MSubclass::UpdateMinMaxInfo(winId());
        resize(compact - frame);
        sbStatusBar->hide();
        resizeButton->setImage(13);
        resizeButton->setToolTipText(QStringLiteral("Fullsize mode"));
        m_border.setMaxButton(false);
        m_border.setSizeable(false);
    } else {
        showMenus(true);
        m_border.setMaxButton(true);
        m_border.setSizeable(true);
        resize(QSize(m_fullSize.width() / tpp.x, m_fullSize.height() / tpp.y) - frame);
        showToolbarItems(true);
        setToolbarIconSize(24);
        sbStatusBar->show();
        resizeButton->setImage(12);
        resizeButton->setToolTipText(QStringLiteral("Compact mode"));
        meX = qint32(m_fullSize.width() / tpp.x);
        meY = m_fullSize.height() / tpp.y;
        MSubclass::UpdateMinMaxInfo(winId());
    }
    // Which notifications arrive during the switch differs between window
    // systems: lay out once for the new mode whatever came.
    switchingMode = false;
    Form_Resize();
}

void Form1::Form_Resize()
{
    if (!isMinimized())
        transferWindowRestored();
    if (isMinimized() || switchingMode) {
        switchingMode = false;
        return;
    }
    const int statusHeight = sbStatusBar->isVisible() ? sbStatusBar->height() : sbStatusBar->sizeHint().height();
    const QSize list = listSize(frameGeometry().size(), Toolbar1->height(), statusHeight, twipsPerPixel(this), List1->size());
    if (list != List1->size())
        List1->resize(list);
    List1->RefreshExtent();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // The window manager's frame arrives after the window is shown, and the
    // rule counts it.
    const QSize frame = frameGeometry().size() - size();
    if (frame != m_frame) {
        m_frame = frame;
        Form_Resize();
    }
}

qint32 Form1::ISubclass_MsgResponse() const
{
    Q_UNUSED(MSubclass::CurrentMsg());
    return emrConsume;
}

qintptr Form1::ISubclass_WindowProc(WId, qint32 iMsg, qintptr, qintptr lParam)
{
    if (iMsg == Msg::WM_GETMINMAXINFO) {
        auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
        info->ptMinTrackSize = QPoint(meX.toInt(), meY);
    }
    return 0;
}

} // namespace tv
