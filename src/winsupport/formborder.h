#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QAction;
class QMenu;

namespace tv {

// The width a window manager needs to show a window's caption whole beside
// its icon and buttons, in the bold caption font most managers use.
int CaptionWidth(const QWidget *window);

// Changes the frame of a top-level window while it runs: caption, border,
// caption buttons, sizing, task-bar presence, tool-window look, topmost, and
// the entries of its system menu.
//
// The window keeps its frame as the style bits below, in properties of its
// own, so two objects on one window agree. Each change turns the bits into Qt
// window flags and size limits, which Qt hands to the window manager as Motif
// and EWMH hints; what Qt does not pass on (the move function, task-bar
// presence, keyboard move and size) goes to the window manager directly.
// The system menu is the program's own: window managers keep theirs out of
// reach of the program, so its entries could neither be greyed nor removed.
class CFormBorder final : public QObject
{
    Q_OBJECT
public:
    // Style and extended style bits.
    static constexpr quint32 WS_MAXIMIZEBOX = 0x10000;
    static constexpr quint32 WS_MINIMIZEBOX = 0x20000;
    static constexpr quint32 WS_THICKFRAME = 0x40000;
    static constexpr quint32 WS_SYSMENU = 0x80000;
    static constexpr quint32 WS_CAPTION = 0xC00000;
    static constexpr quint32 WS_EX_TOPMOST = 0x8;
    static constexpr quint32 WS_EX_TOOLWINDOW = 0x80;
    static constexpr quint32 WS_EX_CONTEXTHELP = 0x400;
    static constexpr quint32 WS_EX_APPWINDOW = 0x40000;
    // System-menu commands.
    static constexpr qint32 SC_SIZE = 0xF000;
    static constexpr qint32 SC_MOVE = 0xF010;
    static constexpr qint32 SC_MINIMIZE = 0xF020;
    static constexpr qint32 SC_MAXIMIZE = 0xF030;
    static constexpr qint32 SC_CLOSE = 0xF060;
    static constexpr qint32 SC_RESTORE = 0xF120;

    explicit CFormBorder(QObject *parent = nullptr);
    ~CFormBorder() override;

    void setAutoDrag(bool on) { m_autoDrag = on; }
    bool AutoDrag() const { return m_autoDrag; }
    void setAutoSysMenu(bool on) { m_autoSysMenu = on; }
    bool AutoSysMenu() const { return m_autoSysMenu; }
    // A top-level window; anything else is ignored and detaches.
    void setClient(QObject *client);
    QWidget *Client() const { return m_client; }

    void setControlBox(bool on) { setStyleBit(false, WS_SYSMENU, on); }
    bool ControlBox() const { return styleBit(false, WS_SYSMENU); }
    void setMaxButton(bool on);
    bool MaxButton() const { return styleBit(false, WS_MAXIMIZEBOX); }
    void setMinButton(bool on);
    bool MinButton() const { return styleBit(false, WS_MINIMIZEBOX); }
    void setMoveable(bool on) { EnableMenuItem(SC_MOVE, on); }
    bool Moveable() const;
    void setSizeable(bool on);
    bool Sizeable() const { return styleBit(false, WS_THICKFRAME); }
    void setShowInTaskbar(bool on);
    bool ShowInTaskbar() const { return styleBit(true, WS_EX_APPWINDOW); }
    void setTitlebar(bool on) { setStyleBit(false, WS_CAPTION, on); }
    bool Titlebar() const { return style(false) & WS_CAPTION; }
    void setToolWindow(bool on) { setStyleBit(true, WS_EX_TOOLWINDOW, on); }
    bool ToolWindow() const { return styleBit(true, WS_EX_TOOLWINDOW); }
    void setTopMost(bool on) { setStyleBit(true, WS_EX_TOPMOST, on); }
    bool TopMost() const { return styleBit(true, WS_EX_TOPMOST); }
    // Window managers of this system draw no such button; the bit is kept.
    void setWhatsThisButton(bool on) { setStyleBit(true, WS_EX_CONTEXTHELP, on); }
    bool WhatsThisButton() const { return styleBit(true, WS_EX_CONTEXTHELP); }
    WId hWnd() const;

    void EnableMenuItem(qint32 menuItem, bool enabled = false);
    void Redraw();
    void RemoveMenuItem(qint32 menuItem);
    // Screen coordinates; beyond 16 bits is an overflow error (6).
    void ShowSysMenu(int x, int y);

    // The attached window's system menu (nullptr when unattached).
    QMenu *SystemMenu() const;
    // The position of a command in the system menu, found by its id or its
    // disabled form; -1 when absent.
    int FindMenuItem(qint32 menuItem) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    quint32 style(bool extended) const;
    bool styleBit(bool extended, quint32 bit) const { return style(extended) & bit; }
    void setStyleBit(bool extended, quint32 bit, bool on);
    bool commandAllowed(qint32 id) const;
    QMenu *ensureSystemMenu();

    QPointer<QWidget> m_client;
    bool m_autoDrag = false;
    bool m_autoSysMenu = false;
};

} // namespace tv
