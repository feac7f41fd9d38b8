// The form border's effects as a real window manager shows them, on an X
// server and an openbox of the test's own, each stopped by its own id.
#include "support/wmsession.h"
#include "winsupport/formborder.h"
#include "winsupport/subclass.h"
#include "winsupport/x11window.h"

#include <QMenu>

using namespace tv;
using tvtest::snapshot;

namespace {

// The X window behind a widget, as the manager sees it.
WId xid(const QWidget &w)
{
    return w.windowHandle()->winId();
}

QList<QByteArray> allowed(const QWidget &w)
{
    return x11::atomNames(xid(w), "_NET_WM_ALLOWED_ACTIONS");
}

QList<QByteArray> states(const QWidget &w)
{
    return x11::atomNames(xid(w), "_NET_WM_STATE");
}

// What a click on the manager's close button sends.
void closeFromManager(const QWidget &w)
{
    x11::sendToManager(xid(w), "_NET_CLOSE_WINDOW", {0, 2, 0, 0, 0});
}

struct Shown
{
    Shown()
    {
        window.resize(320, 200);
        border.setClient(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(allowed(window).contains("_NET_WM_ACTION_MOVE"));
    }
    QWidget window;
    CFormBorder border;
};

} // namespace

class TestWmFormBorder : public QObject
{
    Q_OBJECT

private slots:
    void noMaximiseNoSizingAndBack()
    {
        Shown s;
        const QSize before = s.window.size();
        s.border.setMaxButton(false);
        s.border.setSizeable(false);
        QTRY_VERIFY(!allowed(s.window).contains("_NET_WM_ACTION_RESIZE"));
        QVERIFY(!allowed(s.window).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        QVERIFY(!s.border.SystemMenu()->actions().at(s.border.FindMenuItem(CFormBorder::SC_SIZE))->isEnabled());
        snapshot(QStringLiteral("border-fixed"));

        s.border.setMaxButton(true);
        s.border.setSizeable(true);
        QTRY_VERIFY(allowed(s.window).contains("_NET_WM_ACTION_RESIZE"));
        QVERIFY(allowed(s.window).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        QCOMPARE(s.window.size(), before);
        QCOMPARE(s.window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void moveCloseAndCaptionButtons()
    {
        Shown s;
        s.border.setMoveable(false);
        QTRY_VERIFY(!allowed(s.window).contains("_NET_WM_ACTION_MOVE"));
        s.border.setMoveable(true);
        QTRY_VERIFY(allowed(s.window).contains("_NET_WM_ACTION_MOVE"));

        s.border.setControlBox(false);
        QTRY_COMPARE(x11::property32(xid(s.window), "_MOTIF_WM_HINTS").value(1) & 0x20, 0u);
        s.border.setControlBox(true);

        // Close goes with the separator above it; the manager's close is refused.
        const int entries = s.border.SystemMenu()->actions().size();
        s.border.RemoveMenuItem(CFormBorder::SC_CLOSE);
        QCOMPARE(s.border.SystemMenu()->actions().size(), entries - 2);
        QVERIFY(!s.border.SystemMenu()->actions().last()->isSeparator());
        // The manager answers in order: once a second window has closed, the
        // close asked of the first was answered too.
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        closeFromManager(s.window);
        closeFromManager(other);
        QTRY_VERIFY(!other.isVisible());
        QVERIFY(s.window.isVisible());
    }

    void topmostTaskbarAndToolLook()
    {
        Shown s;
        const WId before = xid(s.window);
        s.border.setTopMost(true);
        QTRY_VERIFY(states(s.window).contains("_NET_WM_STATE_ABOVE"));
        // Changed in place: the same window, still shown.
        QCOMPARE(xid(s.window), before);
        QVERIFY(s.window.isVisible());
        s.border.setShowInTaskbar(false);
        QTRY_VERIFY(states(s.window).contains("_NET_WM_STATE_SKIP_TASKBAR"));
        s.border.setTopMost(false);
        s.border.setShowInTaskbar(true);
        QTRY_VERIFY(states(s.window).isEmpty());
        s.border.setToolWindow(true);
        QTRY_COMPARE(x11::atomNames(xid(s.window), "_NET_WM_WINDOW_TYPE").value(0), QByteArray("_NET_WM_WINDOW_TYPE_UTILITY"));
    }

    void titlebarOffTakesTheFrame()
    {
        Shown s;
        s.border.setTitlebar(false);
        QTRY_COMPARE(x11::property32(xid(s.window), "_NET_FRAME_EXTENTS").value(2), 0u);
        snapshot(QStringLiteral("border-untitled"));
        s.border.setTitlebar(true);
        QTRY_VERIFY(x11::property32(xid(s.window), "_NET_FRAME_EXTENTS").value(2) > 0);
    }

    void otherProgramsWindowsAndControls()
    {
        // The window manager's own check window belongs to another process.
        const WId foreign = x11::property32(x11::rootWindow(), "_NET_SUPPORTING_WM_CHECK").value(0);
        QVERIFY(foreign != 0);
        QVERIFY(!MSubclass::IsLocalWindow(foreign));
        QCOMPARE(tvtest::errorOf([&] { MSubclass::AttachMsgHandler(nullptr, foreign, Msg::WM_SIZE); }).number(),
                 MSubclass::vbObjectError + 13084);
        // A control is no window: the object stays unattached.
        QWidget window;
        CFormBorder border;
        border.setClient(new QWidget(&window));
        QCOMPARE(border.hWnd(), WId(0));
    }
};

TV_WM_TEST_MAIN(TestWmFormBorder, "1024x768x24", {})
#include "tst_wmformborder.moc"
