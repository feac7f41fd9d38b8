#include "winsupport/subclass.h"

#include "platform/runtimeerror.h"
#include "winsupport/x11window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace tv {

namespace {

qint32 s_currentMsg = 0;

// Asks a hooked window for its sizes; never reaches the window's own handling.
const QEvent::Type MinMaxEvent = QEvent::Type(QEvent::registerEventType());

class MinMaxQuery final : public QEvent
{
public:
    MinMaxQuery() : QEvent(MinMaxEvent) {}
    MINMAXINFO info;
};

struct EventMessage
{
    QEvent::Type type;
    Qt::MouseButton button;
    qint32 msg;
    qintptr wParam;
};

constexpr EventMessage eventMessages[] = {
    {QEvent::Move, Qt::NoButton, Msg::WM_MOVE, 0},
    {QEvent::Resize, Qt::NoButton, Msg::WM_SIZE, 0},
    {QEvent::WindowActivate, Qt::NoButton, Msg::WM_ACTIVATE, 1},
    {QEvent::WindowDeactivate, Qt::NoButton, Msg::WM_ACTIVATE, 0},
    {QEvent::FocusIn, Qt::NoButton, Msg::WM_SETFOCUS, 0},
    {QEvent::FocusOut, Qt::NoButton, Msg::WM_KILLFOCUS, 0},
    {QEvent::Paint, Qt::NoButton, Msg::WM_PAINT, 0},
    {QEvent::Close, Qt::NoButton, Msg::WM_CLOSE, 0},
    {QEvent::Show, Qt::NoButton, Msg::WM_SHOWWINDOW, 1},
    {QEvent::Hide, Qt::NoButton, Msg::WM_SHOWWINDOW, 0},
    {QEvent::KeyPress, Qt::NoButton, Msg::WM_KEYDOWN, 0},
    {QEvent::KeyRelease, Qt::NoButton, Msg::WM_KEYUP, 0},
    {QEvent::MouseMove, Qt::NoButton, Msg::WM_MOUSEMOVE, 0},
    {QEvent::MouseButtonPress, Qt::LeftButton, Msg::WM_LBUTTONDOWN, 0},
    {QEvent::MouseButtonRelease, Qt::LeftButton, Msg::WM_LBUTTONUP, 0},
    {QEvent::MouseButtonDblClick, Qt::LeftButton, Msg::WM_LBUTTONDBLCLK, 0},
    {QEvent::MouseButtonPress, Qt::RightButton, Msg::WM_RBUTTONDOWN, 0},
    {QEvent::MouseButtonRelease, Qt::RightButton, Msg::WM_RBUTTONUP, 0},
    {QEvent::MouseButtonDblClick, Qt::RightButton, Msg::WM_RBUTTONDBLCLK, 0},
    {QEvent::MouseButtonPress, Qt::MiddleButton, Msg::WM_MBUTTONDOWN, 0},
    {QEvent::MouseButtonRelease, Qt::MiddleButton, Msg::WM_MBUTTONUP, 0},
    {QEvent::MouseButtonDblClick, Qt::MiddleButton, Msg::WM_MBUTTONDBLCLK, 0},
    {QEvent::Wheel, Qt::NoButton, Msg::WM_MOUSEWHEEL, 0},
};

const EventMessage *messageFor(QEvent *event)
{
    const Qt::MouseButton button = (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
                                    event->type() == QEvent::MouseButtonDblClick)
                                       ? static_cast<QMouseEvent *>(event)->button()
                                       : Qt::NoButton;
    for (const EventMessage &m : eventMessages) {
        if (m.type == event->type() && m.button == button)
            return &m;
    }
    return nullptr;
}

// Property names: H, H"C", H"#"M"C", H"#"M"#"n.
QByteArray procName(WId h) { return QByteArray::number(quint64(h)); }
QByteArray countName(WId h) { return procName(h) + 'C'; }
QByteArray msgCountName(WId h, qint32 m) { return procName(h) + '#' + QByteArray::number(m) + 'C'; }
QByteArray handlerName(WId h, qint32 m, int n) { return procName(h) + '#' + QByteArray::number(m) + '#' + QByteArray::number(n); }

quint64 prop(const QObject *o, const QByteArray &name) { return o->property(name.constData()).toULongLong(); }
void setProp(QObject *o, const QByteArray &name, quint64 value) { o->setProperty(name.constData(), QVariant::fromValue(value)); }
void removeProp(QObject *o, const QByteArray &name) { o->setProperty(name.constData(), QVariant()); }

// The window object of this program with that handle, without creating any.
QObject *windowObject(WId h)
{
    if (h == 0)
        return nullptr;
    if (QWidget *w = QWidget::find(h))
        return w;
    const QWindowList windows = QGuiApplication::allWindows();
    for (QWindow *w : windows) {
        if (w->handle() && w->winId() == h)
            return w;
    }
    return nullptr;
}

[[noreturn]] void raiseError(qint32 code)
{
    static const char *const texts[] = {"Can't subclass window", "Message already handled by another class",
                                        "Invalid window", "Can't modify external window"};
    const QString source = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".WindowProc");
    const QString text = code >= 13081 && code <= 13084 ? QString::fromLatin1(texts[code - 13081]) : QString();
    throw RuntimeError(MSubclass::errorNumber(code), source, text);
}

QSize frameExtra(QObject *window)
{
    if (auto *w = qobject_cast<QWidget *>(window))
        return w->frameGeometry().size() - w->size();
    if (auto *w = qobject_cast<QWindow *>(window))
        return w->frameGeometry().size() - w->size();
    return {};
}

// Runs the handlers of one message in order; `previous` is the window's own
// handling, called at most once as the response codes say.
qintptr dispatch(QObject *window, WId h, qint32 m, qintptr wParam, qintptr lParam, const std::function<qintptr()> &previous)
{
    QPointer<QObject> alive(window);
    const int count = int(prop(window, msgCountName(h, m)));
    qintptr result = 0;
    bool called = false;
    auto callPrevious = [&] {
        called = true;
        return alive ? previous() : 0;
    };
    for (int n = 1; n <= count && alive; ++n) {
        auto *handler = reinterpret_cast<ISubclass *>(quintptr(prop(window, handlerName(h, m, n))));
        if (!handler) {
            result = callPrevious();
            continue;
        }
        s_currentMsg = m;
        if (n == 1 && handler->ISubclass_MsgResponse() == ISubclass::emrPreProcess && !called)
            callPrevious();
        // Read first: a handler may detach itself while it runs.
        const qint32 response = handler->ISubclass_MsgResponse();
        result = handler->ISubclass_WindowProc(h, m, wParam, lParam);
        if (n == count && response == ISubclass::emrPostProcess && !called)
            result = callPrevious();
    }
    return result;
}

// The hook installed on a window: turns its events into messages for the
// attached handlers. The window's own handling is its event() function.
class SubclassProc final : public QObject
{
public:
    SubclassProc(QObject *window, WId h) : QObject(window), m_h(h) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent())
            return false;
        if (event->type() == MinMaxEvent) {
            auto *query = static_cast<MinMaxQuery *>(event);
            dispatch(watched, m_h, Msg::WM_GETMINMAXINFO, 0, reinterpret_cast<qintptr>(&query->info),
                     [] { return qintptr(0); });
            return true;
        }
        sizeChanges(event);
        const EventMessage *message = messageFor(event);
        if (!message || prop(watched, msgCountName(m_h, message->msg)) == 0)
            return false;
        dispatch(watched, m_h, message->msg, message->wParam, reinterpret_cast<qintptr>(event),
                 [watched, event] { return qintptr(static_cast<QObject *>(watched)->event(event) ? 1 : 0); });
        return true;
    }

private:
    // The window manager reads the sizes once; ask again whenever the
    // window appears or its frame changes. Every event of the window passes
    // here: the handlers are looked up only for the three that matter.
    void sizeChanges(QEvent *event)
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize) ||
            prop(parent(), msgCountName(m_h, Msg::WM_GETMINMAXINFO)) == 0)
            return;
        if (type == QEvent::Show) {
            MSubclass::UpdateMinMaxInfo(m_h);
        } else if (frameExtra(parent()) != m_frame) {
            m_frame = frameExtra(parent());
            QTimer::singleShot(0, this, [h = m_h] { MSubclass::UpdateMinMaxInfo(h); });
        }
    }

    WId m_h;
    QSize m_frame;
};

} // namespace

long MSubclass::errorNumber(qint32 code)
{
    return code > 1000 ? vbObjectError + code : code;
}

void MSubclass::AttachMsgHandler(ISubclass *handler, WId hWnd, qint32 iMsg)
{
    QObject *window = windowObject(hWnd);
    if (!window)
        raiseError(x11::windowExists(hWnd) ? 13084 : 13083);
    for (int n = 1, count = int(prop(window, msgCountName(hWnd, iMsg))); n <= count; ++n) {
        if (prop(window, handlerName(hWnd, iMsg, n)) == quint64(reinterpret_cast<quintptr>(handler)))
            raiseError(13082);
    }
    const quint64 attachments = prop(window, countName(hWnd));
    if (attachments != 0) {
        setProp(window, countName(hWnd), attachments + 1);
    } else {
        // Events can only be watched on the thread the window lives on.
        if (window->thread() != QThread::currentThread())
            raiseError(13081);
        auto *proc = new SubclassProc(window, hWnd);
        window->installEventFilter(proc);
        setProp(window, procName(hWnd), quint64(reinterpret_cast<quintptr>(proc)));
        setProp(window, countName(hWnd), 1);
    }
    const int count = int(prop(window, msgCountName(hWnd, iMsg))) + 1;
    setProp(window, msgCountName(hWnd, iMsg), quint64(count));
    setProp(window, handlerName(hWnd, iMsg, count), quint64(reinterpret_cast<quintptr>(handler)));
    if (iMsg == Msg::WM_GETMINMAXINFO)
        UpdateMinMaxInfo(hWnd);
}

void MSubclass::DetachMsgHandler(ISubclass *handler, WId hWnd, qint32 iMsg)
{
    QObject *window = windowObject(hWnd);
    if (!window)
        return;
    const int count = int(prop(window, msgCountName(hWnd, iMsg)));
    int found = 0;
    for (int n = 1; n <= count && !found; ++n) {
        if (prop(window, handlerName(hWnd, iMsg, n)) == quint64(reinterpret_cast<quintptr>(handler)))
            found = n;
    }
    if (!found)
        return;
    for (int n = found; n < count; ++n)
        setProp(window, handlerName(hWnd, iMsg, n), prop(window, handlerName(hWnd, iMsg, n + 1)));
    removeProp(window, handlerName(hWnd, iMsg, count));
    if (count == 1)
        removeProp(window, msgCountName(hWnd, iMsg));
    else
        setProp(window, msgCountName(hWnd, iMsg), quint64(count - 1));

    const quint64 attachments = prop(window, countName(hWnd));
    if (attachments > 1) {
        setProp(window, countName(hWnd), attachments - 1);
        return;
    }
    delete reinterpret_cast<SubclassProc *>(quintptr(prop(window, procName(hWnd))));
    removeProp(window, procName(hWnd));
    removeProp(window, countName(hWnd));
}

qint32 MSubclass::CurrentMsg()
{
    return s_currentMsg;
}

bool MSubclass::IsLocalWindow(WId hWnd)
{
    return windowObject(hWnd) != nullptr;
}

int MSubclass::AttachmentCount(WId hWnd)
{
    QObject *window = windowObject(hWnd);
    return window ? int(prop(window, countName(hWnd))) : 0;
}

void MSubclass::UpdateMinMaxInfo(WId hWnd)
{
    QObject *window = windowObject(hWnd);
    auto *widget = qobject_cast<QWidget *>(window);
    auto *qwindow = qobject_cast<QWindow *>(window);
    if (!widget && !qwindow)
        return;
    const QSize extra = frameExtra(window);
    const QSize min = widget ? widget->minimumSize() : qwindow->minimumSize();
    const QSize max = widget ? widget->maximumSize() : qwindow->maximumSize();
    const QScreen *screen = widget ? widget->screen() : qwindow->screen();
    const QSize available = screen ? screen->availableSize() : QSize();

    MinMaxQuery query;
    query.info.ptMaxSize = QPoint(available.width(), available.height());
    query.info.ptMinTrackSize = QPoint(min.width() + extra.width(), min.height() + extra.height());
    // Unlimited stays unlimited, frame or not.
    auto outer = [](int client, int frame) { return client >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : client + frame; };
    auto inner = [](int outerSize, int frame) {
        return outerSize >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : std::clamp(outerSize - frame, 0, QWIDGETSIZE_MAX);
    };
    query.info.ptMaxTrackSize = QPoint(outer(max.width(), extra.width()), outer(max.height(), extra.height()));
    QCoreApplication::sendEvent(window, &query);

    const QSize newMin(std::max(0, query.info.ptMinTrackSize.x() - extra.width()),
                       std::max(0, query.info.ptMinTrackSize.y() - extra.height()));
    const QSize newMax(inner(query.info.ptMaxTrackSize.x(), extra.width()), inner(query.info.ptMaxTrackSize.y(), extra.height()));
    if (widget) {
        widget->setMinimumSize(newMin);
        widget->setMaximumSize(newMax);
    } else {
        qwindow->setMinimumSize(newMin);
        qwindow->setMaximumSize(newMax);
    }
}

} // namespace tv
