#pragma once

#include <QByteArray>
#include <QList>
#include <QWindow>

#include <array>

// What the X11 window manager is told beyond what Qt's window flags say.
// Every function does nothing (or answers "no") on other window systems.
namespace tv::x11 {

// True when the X server knows a window with this id, whoever made it.
bool windowExists(WId window);
WId rootWindow();

// 32-bit values of a window property (atoms, cardinals, window ids).
QList<quint32> property32(WId window, const char *name);
QByteArray atomName(quint32 atom);
// The names of the atoms a property lists (_NET_WM_STATE, _NET_WM_ALLOWED_ACTIONS).
QList<QByteArray> atomNames(WId window, const char *name);

// A client message about the window to the window manager (on the root window).
void sendToManager(WId window, const char *type, const std::array<quint32, 5> &data);

// Keeps the window out of task bars and pagers' task lists.
void setSkipTaskbar(QWindow *window, bool skip);
// Withdraws or grants the window manager's move function in the Motif hints
// that Qt wrote for the window's flags; call again after each flag change.
void setMoveAllowed(QWindow *window, bool allowed);
// Keeps the window in front of its owner (in the owner's layer too) without
// the modality ties Qt gives a transient parent; nullptr lets it go. Qt
// drops the hint on each show of a plain window: set it after showing.
void setTransientFor(QWindow *window, QWindow *owner);
// Starts a keyboard-driven move or size of the window by its manager.
bool startKeyboardMoveResize(QWindow *window, bool size);

} // namespace tv::x11
