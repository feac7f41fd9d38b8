// The browser window in front, in a visible browser on a virtual X display
// (a headless browser reports every window as focused).
#include "app/startup.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QProcess>
#include <QStandardPaths>

using tvtest::BrowserEventLog;

class TestBrowserFocus : public QObject
{
    Q_OBJECT

private:
    QProcess m_display;
    tvtest::HttpServer m_site;
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;

    tv::BrowserWindowPtr openPage(const QString &path)
    {
        tv::BrowserWindowPtr w = m_browser->createWindow();
        BrowserEventLog log(w.get());
        w->navigate(m_site.url(path));
        if (!QTest::qWaitFor([&] { return log.topComplete(); }, 20000))
            return nullptr;
        w->setVisible(true);
        w->bringToForeground();
        return w;
    }

private slots:
    void initTestCase()
    {
        if (tv::BrowserChoice::find().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed.");
        // Xvfb picks a free display and tells its number on the given descriptor.
        m_display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        QVERIFY(m_display.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_display.canReadLine(), 10000);
        const QByteArray number = m_display.readLine().trimmed();
        QVERIFY(!number.isEmpty());
        qputenv("DISPLAY", ":" + number);

        QVERIFY(m_site.listen());
        m_site.route("/one.html", {200, "text/html", "<a href='1'>1</a>"});
        m_site.route("/two.html", {200, "text/html", "<a href='2'>2</a>"});
        m_browser = std::make_unique<tv::CdpBrowserComponent>(tv::BrowserChoice::find());
    }

    void cleanupTestCase()
    {
        if (m_browser)
            m_browser->closeDesktopBrowser();
        m_display.kill();
        m_display.waitForFinished(2000);
    }

    void windowInFrontIsFound()
    {
        tv::BrowserWindowPtr one = openPage(QStringLiteral("/one.html"));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->foregroundWindow(), one->hwnd(), 10000);
        tv::BrowserWindowPtr two = openPage(QStringLiteral("/two.html"));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->foregroundWindow(), two->hwnd(), 10000);
        // A later start of the program finds the same page in front.
        m_browser->releaseDesktopBrowser();
        {
            tv::CdpBrowserComponent later(tv::BrowserChoice::find());
            const tv::BrowserWindowPtr front = tv::browserInFront(later);
            QVERIFY(front);
            QCOMPARE(front->hwnd(), two->hwnd());
            QCOMPARE(front->document()->links, QStringList{m_site.url("/2")});
        }
        // A blank window in front is no page.
        tv::BrowserWindowPtr blank = m_browser->createWindow();
        blank->setVisible(true);
        blank->bringToForeground();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->foregroundWindow(), blank->hwnd(), 10000);
        QVERIFY(!tv::browserInFront(*m_browser));
    }
};

TV_TEST_MAIN(TestBrowserFocus)
#include "tst_browser_focus.moc"
