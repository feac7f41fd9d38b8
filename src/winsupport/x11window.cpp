#include "winsupport/x11window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHash>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace tv::x11 {

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    static QHash<QByteArray, xcb_atom_t> cache;
    const QByteArray key(name);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(key.size()), name), nullptr),
                                         &std::free);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    cache.insert(key, value);
    return value;
}

void replace32(xcb_connection_t *c, WId window, const char *name, xcb_atom_t type, const QList<quint32> &values)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window), atom(c, name), type, 32, uint32_t(values.size()),
                        values.constData());
    xcb_flush(c);
}

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr quint32 MwmHintsFunctions = 1;
constexpr quint32 MwmFuncAll = 1;
constexpr quint32 MwmFuncMove = 4;

} // namespace

void sendToManager(WId window, const char *type, const std::array<quint32, 5> &data)
{
    xcb_connection_t *c = connection();
    if (!c)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom(c, type);
    for (size_t i = 0; i < data.size(); ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(c, 0, xcb_window_t(rootWindow()),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

bool windowExists(WId window)
{
    xcb_connection_t *c = connection();
    if (!c || window == 0)
        return false;
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr), &std::free);
    return reply != nullptr;
}

WId rootWindow()
{
    xcb_connection_t *c = connection();
    if (!c)
        return 0;
    const xcb_setup_t *setup = xcb_get_setup(c);
    return xcb_setup_roots_iterator(setup).data->root;
}

QList<quint32> property32(WId window, const char *name)
{
    QList<quint32> values;
    xcb_connection_t *c = connection();
    if (!c || window == 0)
        return values;
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, xcb_window_t(window), atom(c, name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return values;
    const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

QByteArray atomName(quint32 value)
{
    xcb_connection_t *c = connection();
    if (!c)
        return {};
    Reply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, value), nullptr), &std::free);
    if (!reply)
        return {};
    return QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

QList<QByteArray> atomNames(WId window, const char *name)
{
    QList<QByteArray> names;
    const QList<quint32> atoms = property32(window, name);
    for (quint32 a : atoms)
        names.append(atomName(a));
    return names;
}

void setSkipTaskbar(QWindow *window, bool skip)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle())
        return;
    const xcb_atom_t state = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (window->isVisible()) {
        // A mapped window's state belongs to the window manager: ask it.
        sendToManager(window->winId(), "_NET_WM_STATE", {skip ? 1u : 0u, state, 0, 1, 0});
        return;
    }
    // Read again when the window is mapped; Qt keeps states it does not know.
    QList<quint32> states = property32(window->winId(), "_NET_WM_STATE");
    states.removeAll(state);
    if (skip)
        states.append(state);
    replace32(c, window->winId(), "_NET_WM_STATE", XCB_ATOM_ATOM, states);
}

void setMoveAllowed(QWindow *window, bool allowed)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle())
        return;
    QList<quint32> hints = property32(window->winId(), "_MOTIF_WM_HINTS");
    if (hints.isEmpty()) {
        if (allowed)
            return;
        hints = {0, MwmFuncAll, 0, 0, 0};
    }
    hints.resize(5);
    if (!(hints[0] & MwmHintsFunctions)) {
        hints[0] |= MwmHintsFunctions;
        hints[1] = MwmFuncAll;
    }
    // With the "all" bit set the listed functions are the ones taken away.
    const bool listedAreRemoved = hints[1] & MwmFuncAll;
    if (allowed != listedAreRemoved)
        hints[1] |= MwmFuncMove;
    else
        hints[1] &= ~MwmFuncMove;
    replace32(c, window->winId(), "_MOTIF_WM_HINTS", atom(c, "_MOTIF_WM_HINTS"), hints);
}

void setTransientFor(QWindow *window, QWindow *owner)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle())
        return;
    if (owner && owner->handle()) {
        replace32(c, window->winId(), "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW, {quint32(owner->winId())});
    } else {
        xcb_delete_property(c, xcb_window_t(window->winId()), XCB_ATOM_WM_TRANSIENT_FOR);
        xcb_flush(c);
    }
}

bool startKeyboardMoveResize(QWindow *window, bool size)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle() || !window->isVisible())
        return false;
    const QPoint at = QCursor::pos(window->screen());
    constexpr quint32 sizeKeyboard = 9;
    constexpr quint32 moveKeyboard = 10;
    sendToManager(window->winId(), "_NET_WM_MOVERESIZE",
               {quint32(at.x()), quint32(at.y()), size ? sizeKeyboard : moveKeyboard, 0, 1});
    return true;
}

} // namespace tv::x11
