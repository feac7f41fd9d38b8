#include "winsupport/formborder.h"

#include "platform/runtimeerror.h"
#include "winsupport/x11window.h"

#include <QAction>
#include <QCursor>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVariant>
#include <QWindow>

namespace tv {

int CaptionWidth(const QWidget *window)
{
    QFont captionFont = window->font();
    captionFont.setBold(true);
    const QFontMetrics caption(captionFont);
    return caption.horizontalAdvance(window->windowTitle()) + 8 * caption.height();
}

namespace {

constexpr char styleProperty[] = "tvWindowStyle";
constexpr char exStyleProperty[] = "tvWindowExStyle";
constexpr char baseTypeProperty[] = "tvWindowBaseType";
// Size limits kept aside while the window has no sizing border.
constexpr char freeSizeProperty[] = "tvWindowFreeSize";

constexpr qint32 disabledForm(qint32 id) { return id & ~0x8000; }

// The bits of a window not attached before: read off its Qt window flags.
void deriveStyle(QWidget *w)
{
    const Qt::WindowFlags f = w->windowFlags();
    const Qt::WindowType type = w->windowType();
    const bool custom = f.testFlag(Qt::CustomizeWindowHint);
    auto hint = [&](Qt::WindowType h, bool byDefault) { return custom ? f.testFlag(h) : byDefault; };
    quint32 style = 0;
    if (!f.testFlag(Qt::FramelessWindowHint) && hint(Qt::WindowTitleHint, true))
        style |= CFormBorder::WS_CAPTION;
    if (hint(Qt::WindowSystemMenuHint, true))
        style |= CFormBorder::WS_SYSMENU;
    if (hint(Qt::WindowMinimizeButtonHint, type == Qt::Window))
        style |= CFormBorder::WS_MINIMIZEBOX;
    if (hint(Qt::WindowMaximizeButtonHint, type == Qt::Window))
        style |= CFormBorder::WS_MAXIMIZEBOX;
    if (w->minimumSize() != w->maximumSize())
        style |= CFormBorder::WS_THICKFRAME;
    quint32 exStyle = type == Qt::Tool ? CFormBorder::WS_EX_TOOLWINDOW : CFormBorder::WS_EX_APPWINDOW;
    if (f.testFlag(Qt::WindowStaysOnTopHint))
        exStyle |= CFormBorder::WS_EX_TOPMOST;
    if (f.testFlag(Qt::WindowContextHelpButtonHint))
        exStyle |= CFormBorder::WS_EX_CONTEXTHELP;
    w->setProperty(styleProperty, style);
    w->setProperty(exStyleProperty, exStyle);
    w->setProperty(baseTypeProperty, int(type == Qt::Tool ? Qt::Window : type));
}

} // namespace

CFormBorder::CFormBorder(QObject *parent) : QObject(parent) {}

CFormBorder::~CFormBorder()
{
    if (m_client)
        m_client->removeEventFilter(this);
}

void CFormBorder::setClient(QObject *client)
{
    if (m_client)
        m_client->removeEventFilter(this);
    auto *widget = qobject_cast<QWidget *>(client);
    m_client = widget && widget->isWindow() ? widget : nullptr;
    if (!m_client)
        return;
    m_client->winId();
    if (!m_client->property(styleProperty).isValid())
        deriveStyle(m_client);
    ensureSystemMenu();
    m_client->installEventFilter(this);
}

WId CFormBorder::hWnd() const
{
    return m_client ? m_client->winId() : 0;
}

quint32 CFormBorder::style(bool extended) const
{
    return m_client ? m_client->property(extended ? exStyleProperty : styleProperty).toUInt() : 0;
}

void CFormBorder::setStyleBit(bool extended, quint32 bit, bool on)
{
    if (!m_client)
        return;
    quint32 value = style(extended);
    value = on ? value | bit : value & ~bit;
    m_client->setProperty(extended ? exStyleProperty : styleProperty, value);
    Redraw();
}

void CFormBorder::setMaxButton(bool on)
{
    setStyleBit(false, WS_MAXIMIZEBOX, on);
    EnableMenuItem(SC_MAXIMIZE, on);
}

void CFormBorder::setMinButton(bool on)
{
    setStyleBit(false, WS_MINIMIZEBOX, on);
    EnableMenuItem(SC_MINIMIZE, on);
}

void CFormBorder::setSizeable(bool on)
{
    EnableMenuItem(SC_SIZE, on);
    setStyleBit(false, WS_THICKFRAME, on);
}

bool CFormBorder::Moveable() const
{
    return commandAllowed(SC_MOVE);
}

void CFormBorder::setShowInTaskbar(bool on)
{
    setStyleBit(true, WS_EX_APPWINDOW, on);
    if (m_client)
        x11::setSkipTaskbar(m_client->windowHandle(), !on);
}

QMenu *CFormBorder::SystemMenu() const
{
    return m_client ? m_client->findChild<QMenu *>(QStringLiteral("SystemMenu"), Qt::FindDirectChildrenOnly) : nullptr;
}

QMenu *CFormBorder::ensureSystemMenu()
{
    if (QMenu *menu = SystemMenu())
        return menu;
    auto *menu = new QMenu(m_client);
    menu->setObjectName(QStringLiteral("SystemMenu"));
    struct Entry { qint32 id; const char *caption; };
    static const Entry entries[] = {{SC_RESTORE, "&Restore"}, {SC_MOVE, "&Move"},         {SC_SIZE, "&Size"},
                                    {SC_MINIMIZE, "Mi&nimize"}, {SC_MAXIMIZE, "Ma&ximize"}, {0, nullptr},
                                    {SC_CLOSE, "&Close\tAlt+F4"}};
    for (const Entry &e : entries) {
        QAction *action = e.caption ? menu->addAction(QString::fromLatin1(e.caption)) : menu->addSeparator();
        action->setData(e.id);
    }
    // Each object that shows the menu runs its commands on its own client.
    QWidget *window = m_client;
    connect(menu, &QMenu::triggered, window, [window](QAction *action) {
        const qint32 id = action->data().toInt();
        QWindow *handle = window->windowHandle();
        if (id == SC_RESTORE)
            window->showNormal();
        else if (id == SC_MOVE && handle && !x11::startKeyboardMoveResize(handle, false))
            handle->startSystemMove();
        else if (id == SC_SIZE && handle && !x11::startKeyboardMoveResize(handle, true))
            handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        else if (id == SC_MINIMIZE)
            window->showMinimized();
        else if (id == SC_MAXIMIZE)
            window->showMaximized();
        else if (id == SC_CLOSE)
            window->close();
    });
    // As the window system does: what the window's state rules out is grey.
    connect(menu, &QMenu::aboutToShow, window, [menu, window] {
        const bool maximized = window->isMaximized();
        const bool fixed = window->minimumSize() == window->maximumSize();
        for (QAction *action : menu->actions()) {
            const qint32 id = action->data().toInt();
            bool on = id != 0 && (id & 0x8000);
            if (id == SC_RESTORE)
                on = on && (maximized || window->isMinimized());
            else if (id == SC_MOVE || id == SC_MAXIMIZE)
                on = on && !maximized;
            else if (id == SC_SIZE)
                on = on && !maximized && !fixed;
            action->setEnabled(on || action->isSeparator());
        }
    });
    return menu;
}

int CFormBorder::FindMenuItem(qint32 menuItem) const
{
    QMenu *menu = SystemMenu();
    if (!menu)
        return -1;
    const QList<QAction *> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i) {
        const qint32 id = actions[i]->data().toInt();
        if (!actions[i]->isSeparator() && (id == menuItem || id == disabledForm(menuItem)))
            return i;
    }
    return -1;
}

bool CFormBorder::commandAllowed(qint32 id) const
{
    const int position = FindMenuItem(id);
    return position >= 0 && SystemMenu()->actions().at(position)->data().toInt() == id;
}

void CFormBorder::EnableMenuItem(qint32 menuItem, bool enabled)
{
    const int position = FindMenuItem(menuItem);
    if (position < 0)
        return;
    QAction *action = SystemMenu()->actions().at(position);
    // The id itself carries the state: the disabled form refuses the command.
    action->setData(enabled ? menuItem : disabledForm(menuItem));
    action->setEnabled(enabled);
    Redraw();
}

void CFormBorder::RemoveMenuItem(qint32 menuItem)
{
    if (menuItem == SC_MINIMIZE)
        setMinButton(false);
    else if (menuItem == SC_MAXIMIZE)
        setMaxButton(false);
    QMenu *menu = SystemMenu();
    if (!menu)
        return;
    if (menuItem == SC_CLOSE) {
        if (const int position = FindMenuItem(SC_CLOSE); position > 0)
            delete menu->actions().at(position - 1);
    }
    // Found in either form: an entry greyed just before still goes.
    if (const int position = FindMenuItem(menuItem); position >= 0)
        delete menu->actions().at(position);
    Redraw();
}

void CFormBorder::ShowSysMenu(int x, int y)
{
    auto fits16 = [](int v) { return v >= -32768 && v <= 32767; };
    if (!fits16(x) || !fits16(y))
        throw RuntimeError(6, QStringLiteral("CFormBorder.ShowSysMenu"), QStringLiteral("Overflow"));
    if (QMenu *menu = SystemMenu())
        menu->popup(QPoint(x, y));
}

void CFormBorder::Redraw()
{
    if (!m_client)
        return;
    const quint32 s = style(false);
    const quint32 ex = style(true);

    constexpr Qt::WindowFlags managed = Qt::WindowType_Mask | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                        Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                        Qt::WindowContextHelpButtonHint | Qt::WindowStaysOnTopHint |
                                        Qt::FramelessWindowHint;
    Qt::WindowFlags flags = m_client->windowFlags() & ~managed;
    flags |= Qt::CustomizeWindowHint;
    flags |= (ex & WS_EX_TOOLWINDOW) ? Qt::Tool : Qt::WindowType(m_client->property(baseTypeProperty).toInt());
    if (s & WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (s & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint;
        if (commandAllowed(SC_CLOSE))
            flags |= Qt::WindowCloseButtonHint;
        if ((s & WS_MINIMIZEBOX) && commandAllowed(SC_MINIMIZE))
            flags |= Qt::WindowMinimizeButtonHint;
        if ((s & WS_MAXIMIZEBOX) && commandAllowed(SC_MAXIMIZE))
            flags |= Qt::WindowMaximizeButtonHint;
    }
    if (ex & WS_EX_CONTEXTHELP)
        flags |= Qt::WindowContextHelpButtonHint;
    if (ex & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;

    // No sizing border: window managers honour equal smallest and largest sizes.
    const QVariant freeSize = m_client->property(freeSizeProperty);
    if (!(s & WS_THICKFRAME) && !freeSize.isValid()) {
        m_client->setProperty(freeSizeProperty, QVariantList{m_client->minimumSize(), m_client->maximumSize()});
        m_client->setFixedSize(m_client->size());
    } else if ((s & WS_THICKFRAME) && freeSize.isValid()) {
        const QVariantList limits = freeSize.toList();
        m_client->setProperty(freeSizeProperty, QVariant());
        m_client->setMinimumSize(limits.value(0).toSize());
        m_client->setMaximumSize(limits.value(1).toSize());
    }

    if (QWindow *handle = m_client->windowHandle()) {
        // In place: QWidget::setWindowFlags would hide and re-create the window.
        if (flags != m_client->windowFlags()) {
            m_client->overrideWindowFlags(flags);
            handle->setFlags(flags);
        }
        x11::setMoveAllowed(handle, commandAllowed(SC_MOVE));
    } else {
        m_client->setWindowFlags(flags);
    }
}

bool CFormBorder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_client)
        return false;
    if (event->type() == QEvent::Show && !ShowInTaskbar()) {
        // Qt writes the window's states afresh when it maps it: ask again after.
        QTimer::singleShot(0, this, [this] {
            if (m_client && !ShowInTaskbar())
                x11::setSkipTaskbar(m_client->windowHandle(), true);
        });
    } else if (event->type() == QEvent::Close && event->spontaneous() && !commandAllowed(SC_CLOSE)) {
        // Some window managers keep their close command whatever the hints say.
        event->ignore();
        return true;
    } else if (event->type() == QEvent::MouseButtonPress && m_autoDrag) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && commandAllowed(SC_MOVE) && m_client->windowHandle()) {
            m_client->windowHandle()->startSystemMove();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && m_autoSysMenu) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            const QPoint at = QCursor::pos(m_client->screen());
            ShowSysMenu(at.x(), at.y());
            return true;
        }
    }
    return false;
}

} // namespace tv
