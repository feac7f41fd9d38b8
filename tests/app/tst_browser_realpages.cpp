// Real documentation pages nobody here wrote (several generators, thousands of
// links) built into lists through the real headless Chromium, at the default
// window size on a real X server with a window manager: the list is what the
// browser's own document.links gives, after the harvest's rules, and the
// program stays alive and idle.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "builders/linkharvest.h"
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"
#include "support/wmsession.h"

#include <QElapsedTimer>
#include <QJsonArray>

using namespace tv;

namespace {

constexpr int LoadBound = 60000;

// Installed by the set-up: Sphinx, gtk-doc, Doxygen and DocBook pages.
const char *const Pages[] = {
    "/usr/share/doc/cmake-data/html/genindex.html",
    "/usr/share/doc/cmake-data/html/manual/cmake-variables.7.html",
    "/usr/share/gtk-doc/html/glib/api-index-full.html",
    "/usr/share/gtk-doc/html/glib/glib-GVariant.html",
    "/usr/share/gtk-doc/html/libxml2/libxml2-tree.html",
    "/usr/share/doc/libjsoncpp-doc/class_json_1_1_value.html",
    "/usr/share/doc/libjsoncpp-doc/json__value_8cpp_source.html",
    "/usr/share/doc/debian-reference-common/docs/ch09.en.html",
    "/usr/share/doc/debian-reference-common/docs/index.en.html",
};

} // namespace

class TestBrowserRealPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    tvtest::HttpServer m_site;
    QString m_referenceSession;
    qint64 m_links = 0;
    QElapsedTimer m_clock;

    // The browser's own document.links of a page, read in its main world by
    // a page of the harvest browser that our snapshot code never touches.
    QStringList browserLinks(const QString &url)
    {
        CdpBrowser &b = *m_browser->harvestBrowser();
        auto evaluate = [&](const QString &expression) {
            return b.call(QStringLiteral("Runtime.evaluate"),
                          {{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}},
                          m_referenceSession, LoadBound)
                .value(QLatin1String("result"))
                .toObject()
                .value(QLatin1String("value"));
        };
        b.call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, m_referenceSession);
        if (!QTest::qWaitFor(
                [&] {
                    return evaluate(QStringLiteral("document.URL + ' ' + document.readyState")).toString() ==
                           url + QStringLiteral(" complete");
                },
                LoadBound))
            return {QStringLiteral("<not loaded>")};
        QStringList links;
        for (const QJsonValue &v : evaluate(QStringLiteral("Array.from(document.links, a => a.href)")).toArray())
            links << v.toString();
        return links;
    }

private slots:
    void initTestCase()
    {
        m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find());
        if (const QString why = tvtest::harvestStartFailure(*m_browser); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_site.listen());
        for (const char *page : Pages) {
            const QByteArray html = tvtest::readFile(QString::fromLatin1(page));
            QVERIFY2(html != "<missing>", page); // the set-up installs the documentation packages
            m_site.route(QString::fromLatin1(page), {200, "text/html", html});
        }
        const QString target = m_browser->harvestBrowser()->createPage(false);
        m_referenceSession = m_browser->harvestBrowser()->sessionOf(target);
        m_clock.start();
    }

    void cleanupTestCase()
    {
        qInfo("%d pages, %lld links listed, %lld ms", int(std::size(Pages)), m_links, m_clock.elapsed());
        if (m_browser)
            m_browser->shutdown();
        m_browser.reset();
    }

    void listsWhatTheBrowserLinks_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *page : Pages)
            QTest::newRow(page) << QString::fromLatin1(page);
    }
    void listsWhatTheBrowserLinks()
    {
        QFETCH(QString, path);
        const QString url = m_site.url(path);
        // The harvest's rules over the browser's own list: "%20" read as a
        // blank, each address once, in document order.
        QStringList expected;
        QSet<QString> seen;
        for (const QString &href : browserLinks(url)) {
            const QString address = LinkHarvest::listedForm(href);
            if (!seen.contains(address)) {
                seen.insert(address);
                expected << address;
            }
        }
        QVERIFY(expected.size() > 100);

        tvtest::MessageBoxScript boxes;
        Form1 form(m_browser.get());
        form.Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        bool answered = false;
        tvtest::answerUrlDialog(url, false, &answered, {}, LoadBound);
        tvtest::trigger(form, "mnufURL");
        QVERIFY(answered);
        QTRY_VERIFY_WITH_TIMEOUT(tvtest::formEnabled(form), LoadBound);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(tvtest::list1(form).Items(), expected);
        QVERIFY(tvtest::staysIdle(tvtest::list1(form)));
        m_links += expected.size();
    }
};

TV_WM_TEST_MAIN(TestBrowserRealPages, "1024x768x24", {})
#include "tst_browser_realpages.moc"
