// The viewer and the slideshow of the main window in a real (headless)
// Chromium against pages of our own server.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "builders/importchoicedialog.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "viewer/slideshowoptionsdialog.h"
#include "viewer/slideshowpauseddialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>

using namespace tv;
using tvtest::HttpServer;

namespace {
constexpr int LoadBound = 20000;
}

class TestBrowserViewer : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    HttpServer m_site;
    QElapsedTimer m_clock;
    QHash<QString, qint64> m_asked;                 // page -> when the server was asked for it
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;
    std::unique_ptr<Form1> m_form;

    QString url(const QString &name) const { return m_site.url(QLatin1Char('/') + name); }
    Form1 &form() { return *m_form; }
    ToolButton *button(const char *key) { return &tvtest::button(*m_form, key); }
    QString status() { return tvtest::panel(*m_form, "pnlStatus"); }
    bool slideshowTicking() { return tvtest::part<QTimer>(*m_form, "Timer2").isActive(); }
    // The window that shows one of these pages: the viewer.
    BrowserWindowPtr showing(const QStringList &names)
    {
        for (const BrowserWindowPtr &w : m_browser->shellWindows())
            for (const QString &name : names)
                if (w->locationUrl() == url(name))
                    return w;
        return nullptr;
    }
    void open(const QString &name)
    {
        setList({name});
        tvtest::list1(*m_form).setListIndex(0);
        emit tvtest::list1(*m_form).enterPressed();
    }
    bool pressed() { return button("slideshow")->isChecked(); }
    void setList(const QStringList &names)
    {
        tvtest::list1(*m_form).Clear();
        for (const QString &n : names)
            tvtest::list1(*m_form).Append(url(n));
    }
    // True once the viewer shows the page, loaded, with `status`.
    bool shown(const QString &name, const QString &status = idleBanner())
    {
        return QTest::qWaitFor([&] { return showing({name}) && this->status() == status; }, LoadBound);
    }
    // Clicks "slideshow" and starts a run over the whole list.
    void startSlideshow(int seconds, bool fromLoadComplete)
    {
        tvtest::ModalResponder options(QStringLiteral("Form6"), [&](QDialog *d) {
            auto *dialog = static_cast<Form6 *>(d);
            dialog->Combo1->setCurrentIndex(seconds - 1);
            dialog->Option2[fromLoadComplete ? 0 : 1]->setChecked(true);
            dialog->Option1[0]->setChecked(true);
            dialog->Command3->click();
        });
        QTRY_VERIFY(button("slideshow")->isEnabled());
        button("slideshow")->click();
    }

private slots:
    void initTestCase()
    {
        m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find({}, {}, true));
        try {
            m_browser->createWindow();
        } catch (const BrowserError &e) {
            QSKIP(e.what());
        }
        QVERIFY(m_site.listen());
        m_clock.start();
        const QList<std::tuple<const char *, QByteArray, int>> pages{
            {"p0", "p0", 0}, {"p1", "p1", 0}, {"p2", "p2", 0}, {"p3", "p3", 0}, {"late", "late", 600}, {"slow", "slow", 1500},
            {"framed", "<iframe src='/late'></iframe><iframe src='/p0'></iframe>", 0},
            {"linksA", "<a href='/a1'>1</a><a href='/shared'>s</a><iframe src='/linksF'></iframe>", 0},
            {"linksF", "<a href='/f1'>f</a><a href='/a1'>1</a>", 0}, {"linksB", "<a href='/shared'>s</a><a href='/b1'>b</a>", 0}};
        for (const auto &[name, body, delayMs] : pages) {
            m_site.route(QLatin1Char('/') + QLatin1String(name), [this, name = QString::fromLatin1(name), body = body, delayMs = delayMs] {
                m_asked.insert(name, m_clock.elapsed());
                return HttpServer::Response{200, "text/html", body, delayMs};
            });
        }
        m_site.route("/text", {200, "text/plain", "not a page"});
    }
    void cleanupTestCase()
    {
        const qint64 pid = m_browser ? m_browser->desktopProcessId() : 0;
        m_browser.reset(); // started headless, so it ends with the test
        QTRY_VERIFY_WITH_TIMEOUT(!pid || !tv::processIsRunning(pid), 10000);
    }
    void init()
    {
        m_asked.clear();
        for (const BrowserWindowPtr &w : m_browser->shellWindows())
            w->quit(); // the viewer is the one window showing our pages
        m_boxes = std::make_unique<tvtest::MessageBoxScript>();
        m_form = std::make_unique<Form1>(m_browser.get());
        m_form->Form_Load();
        CRegSettings::program().DeleteSetting(QStringLiteral("slideshow"));
        setList({"p0", "p1", "p2", "p3"});
    }
    void cleanup()
    {
        m_form.reset();
        m_boxes.reset();
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }

    void adoption_data()
    {
        QTest::addColumn<QStringList>("open"); // pages open before the first link
        QTest::addColumn<bool>("newwin");
        QTest::addColumn<int>("adopted"); // index into `open`, -1: a new window
        QTest::newRow("page-and-text-window") << QStringList{"p0", "text"} << false << 0;
        QTest::newRow("two-pages-the-last-is-adopted") << QStringList{"p0", "p1"} << false << 1;
        QTest::newRow("no-page-creates-one") << QStringList{"text"} << false << -1;
        QTest::newRow("new-window-creates-then-reuses") << QStringList{"p0"} << true << -1;
    }
    void adoption()
    {
        QFETCH(QStringList, open);
        QFETCH(bool, newwin);
        QFETCH(int, adopted);
        for (const BrowserWindowPtr &w : m_browser->shellWindows())
            w->quit();
        QStringList ids;
        for (const QString &name : open) {
            BrowserWindowPtr w = m_browser->createWindow();
            w->navigate(url(name));
            QTRY_VERIFY_WITH_TIMEOUT(!w->busy() && w->locationUrl() == url(name), LoadBound);
            ids << w->hwnd();
        }
        // "New Window" as the window loads it.
        tv::CRegSettings::program().SaveSetting(QStringLiteral("Options"), QStringLiteral("New Window"), newwin ? "1" : "0");
        m_form.reset();
        m_form = std::make_unique<Form1>(m_browser.get());
        m_form->Form_Load();
        tv::CRegSettings::program().DeleteSetting(QStringLiteral("Options"), QStringLiteral("New Window"));
        setList({"p0", "p1", "p2", "p3"});
        tvtest::list1(form()).setListIndex(2);
        emit tvtest::list1(form()).enterPressed();
        QVERIFY(shown("p2"));
        const QString viewer = showing({"p2"})->hwnd();
        QCOMPARE(ids.indexOf(viewer), adopted);
        tvtest::press(form(), "fwd");
        QVERIFY(shown("p3"));
        QCOMPARE(showing({"p3"})->hwnd(), viewer);
    }

    void buildFromOpenWindows_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("append") << true;
        QTest::newRow("new-list") << false;
    }
    void buildFromOpenWindows()
    {
        // Two pages open in the viewer's browser, one with a frame: window
        // order, then document order, each address once.
        QFETCH(bool, append);
        for (const BrowserWindowPtr &w : m_browser->shellWindows())
            w->quit();
        for (const QString name : {"linksA", "text", "linksB"}) {
            BrowserWindowPtr w = m_browser->createWindow();
            w->navigate(url(name));
            QTRY_VERIFY_WITH_TIMEOUT(!w->busy() && w->locationUrl() == url(name), LoadBound);
        }
        tvtest::ModalResponder question(QStringLiteral("Form10"), [&](QDialog *d) {
            static_cast<Form10 *>(d)->Option1[append ? 1 : 0]->setChecked(true);
            static_cast<Form10 *>(d)->Command1->click();
        });
        const QStringList before = tvtest::list1(form()).Items();
        tvtest::trigger(form(), "mnulstWindows");
        QCOMPARE(question.count(), 1);
        const QStringList found{url("a1"), url("shared"), url("f1"), url("b1")};
        QCOMPARE(tvtest::list1(form()).Items(), append ? before + found : found);
        QVERIFY(m_boxes->shown().isEmpty() && tvtest::formEnabled(form()) && status() == idleBanner());
        QCOMPARE(tvtest::panel(form(), "pnlProgress"), QStringLiteral("%1 links found").arg(tvtest::list1(form()).ListCount()));
    }

    void onlyTheTopDocumentEndsTheLoad()
    {
        open("framed");
        QStringList seen; // who completed, and what the window showed then
        for (const BrowserWindowPtr &w : m_browser->shellWindows()) {
            connect(w.get(), &BrowserWindow::DocumentComplete, this, [&, name = w->name()](const QString &pDisp) {
                const QCursor *pointer = QApplication::overrideCursor();
                seen << QStringLiteral("%1 %2 %3 %4")
                            .arg(pDisp == name ? "top" : "frame", status() == idleBanner() ? "idle" : status(),
                                 pointer && pointer->shape() == Qt::BusyCursor ? "busy" : "arrow",
                                 tvtest::panel(form(), "pnlProgress").endsWith(u"links found") ? "count" : "bar");
            });
        }
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 3, LoadBound);
        QCOMPARE(seen, (QStringList{"frame Loading link... busy bar", "frame Loading link... busy bar", "top idle arrow count"}));
        QCOMPARE(tvtest::panel(form(), "pnlProgress"), QStringLiteral("1 links found"));
    }

    // The slideshow's rules are the viewer tests' with a clock of their own;
    // here a run over real pages: each asked for in turn, the run ends once
    // the last has loaded.
    void slideshowOverRealPages()
    {
        const QStringList run{"slow", "p1", "p2"};
        setList(run);
        startSlideshow(1, true);
        QCOMPARE(status(), Slideshow::inProgressText());
        QCOMPARE(tvtest::part<QTimer>(form(), "Timer2").interval(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!pressed(), LoadBound);
        QVERIFY(!slideshowTicking() && shown(run.last()));
        QVERIFY(m_asked.value("slow", -1) >= 0 && m_asked.value("slow") < m_asked.value("p1") && m_asked.value("p1") < m_asked.value("p2"));
        QCOMPARE(tvtest::panel(form(), "pnlProgress"), QStringLiteral("3 links found"));
    }
};

TV_TEST_MAIN(TestBrowserViewer)
#include "tst_browser_viewer.moc"
