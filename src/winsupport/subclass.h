#pragma once

#include <QPoint>
#include <QWindow>
#include <QtGlobal>

class QObject;
class QWidget;

namespace tv {

// Window messages the hook can deliver. Each one but WM_GETMINMAXINFO stands
// for the Qt events of the table in subclass.cpp; lParam then carries the
// QEvent. WM_GETMINMAXINFO carries a MINMAXINFO.
namespace Msg {
constexpr qint32 WM_MOVE = 0x0003;
constexpr qint32 WM_SIZE = 0x0005;
constexpr qint32 WM_ACTIVATE = 0x0006;
constexpr qint32 WM_SETFOCUS = 0x0007;
constexpr qint32 WM_KILLFOCUS = 0x0008;
constexpr qint32 WM_PAINT = 0x000F;
constexpr qint32 WM_CLOSE = 0x0010;
constexpr qint32 WM_SHOWWINDOW = 0x0018;
constexpr qint32 WM_GETMINMAXINFO = 0x0024;
constexpr qint32 WM_KEYDOWN = 0x0100;
constexpr qint32 WM_KEYUP = 0x0101;
constexpr qint32 WM_MOUSEMOVE = 0x0200;
constexpr qint32 WM_LBUTTONDOWN = 0x0201;
constexpr qint32 WM_LBUTTONUP = 0x0202;
constexpr qint32 WM_LBUTTONDBLCLK = 0x0203;
constexpr qint32 WM_RBUTTONDOWN = 0x0204;
constexpr qint32 WM_RBUTTONUP = 0x0205;
constexpr qint32 WM_RBUTTONDBLCLK = 0x0206;
constexpr qint32 WM_MBUTTONDOWN = 0x0207;
constexpr qint32 WM_MBUTTONUP = 0x0208;
constexpr qint32 WM_MBUTTONDBLCLK = 0x0209;
constexpr qint32 WM_MOUSEWHEEL = 0x020A;
} // namespace Msg

// Sizes a window may take, in pixels of its outer frame.
struct MINMAXINFO
{
    QPoint ptReserved;
    QPoint ptMaxSize;
    QPoint ptMaxPosition;
    QPoint ptMinTrackSize;
    QPoint ptMaxTrackSize;
};

// Implemented by objects that take part in a window's message handling.
class ISubclass
{
public:
    // {E779C863-9BEF-11D1-84DD-00C04FA4EE99}
    static constexpr const char *IID = "{E779C863-9BEF-11D1-84DD-00C04FA4EE99}";
    enum Response : qint32 { emrConsume = 0, emrPostProcess = 1, emrPreProcess = 2 };

    virtual ~ISubclass() = default;
    virtual qint32 ISubclass_MsgResponse() const = 0;
    virtual void setISubclass_MsgResponse(qint32 response) = 0;
    virtual qintptr ISubclass_WindowProc(WId hWnd, qint32 iMsg, qintptr wParam, qintptr lParam) = 0;
};

// Per-window, per-message ordered handler lists. The bookkeeping lives in
// dynamic properties of the window object itself.
namespace MSubclass {

// Errors 13083 (no such window), 13084 (another program's window), 13081
// (the window cannot be hooked) and 13082 (handler already attached).
void AttachMsgHandler(ISubclass *handler, WId hWnd, qint32 iMsg);
void DetachMsgHandler(ISubclass *handler, WId hWnd, qint32 iMsg);
// The message now being dispatched to a handler.
qint32 CurrentMsg();
// True for a window of this program.
bool IsLocalWindow(WId hWnd);

// The number of attachments on the window, 0 when it is not hooked.
int AttachmentCount(WId hWnd);
// Asks the window's handlers for its sizes again and applies the answer
// (the window system asks by itself when the window is shown or resized).
void UpdateMinMaxInfo(WId hWnd);

// The error numbers as raised: the object error base plus the code.
constexpr long vbObjectError = -2147221504L;
long errorNumber(qint32 code);

} // namespace MSubclass

} // namespace tv
