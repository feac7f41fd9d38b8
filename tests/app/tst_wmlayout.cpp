// The compact and full-size layouts as a real window manager shows them.
#include "app/mainwindow.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"
#include "winsupport/wmsession.h"
#include "winsupport/x11window.h"

using namespace tv;

namespace {

using tvtest::xid;

QList<QByteArray> allowed(const QWidget &w)
{
    return tvtest::allowedActions(w);
}

// WM_NORMAL_HINTS: flags, x, y, width, height, min width, min height, max width, max height.
QSize minimumHint(const QWidget &w)
{
    const QList<quint32> hints = x11::property32(xid(w), "WM_NORMAL_HINTS");
    return QSize(int(hints.value(5)), int(hints.value(6)));
}

} // namespace

class TestWmLayout : public QObject
{
    Q_OBJECT

private slots:
    void compactStripAndBack()
    {
        tvtest::MainWindowFixture fx;
        Form1 &f = *fx.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTRY_VERIFY(allowed(f).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        tvtest::WindowManagerSession::snapshot(QStringLiteral("layout-fullsize"));
        const QSize normal = f.size();

        f.Toolbar1_ButtonClick(QStringLiteral("resize"));
        QTRY_VERIFY(!allowed(f).contains("_NET_WM_ACTION_RESIZE"));
        QVERIFY(!allowed(f).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        QTRY_COMPARE(f.frameGeometry().size(), QSize(2430 / 15, 885 / 15));
        tvtest::WindowManagerSession::snapshot(QStringLiteral("layout-compact"));

        f.Toolbar1_ButtonClick(QStringLiteral("resize"));
        QTRY_VERIFY(allowed(f).contains("_NET_WM_ACTION_RESIZE"));
        QVERIFY(allowed(f).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        QTRY_COMPARE(f.size(), normal);
        // The manager will not let the user drag it below the restored size.
        QTRY_COMPARE(minimumHint(f), normal);
    }
};

TV_WM_TEST_MAIN(TestWmLayout)
#include "tst_wmlayout.moc"
