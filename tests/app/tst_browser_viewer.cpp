// The main window's viewer in a real (headless) Chromium against pages of our
// own server: previous and next, hide and show, the viewer's events, the
// toolbar around a running slideshow, a browser that cannot start, and the
// close question.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "platform/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "viewer/slideshowoptionsdialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace tv;
using tvtest::HttpServer;

namespace {

constexpr int LoadBound = 20000;

QList<int> selectedRows(const LinkList &list)
{
    QList<int> rows;
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.Selected(i))
            rows << i;
    return rows;
}

} // namespace

class TestBrowserViewer : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    HttpServer m_site;
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;
    std::unique_ptr<Form1> m_form;

    QString page(int i) const { return m_site.url(QStringLiteral("/p%1").arg(i)); }
    QString countText() const { return m_form->sbStatusBar->Panels(QStringLiteral("pnlProgress"))->Text(); }
    // True once the viewer shows `url`, loaded, with `status`.
    bool shown(const QString &url, const QString &status = idleBanner())
    {
        (void)QTest::qWaitFor([&] { return m_form->webbrowser1 && m_form->webbrowser1->locationUrl() == url && m_form->Status() == status; },
                        LoadBound);
        return m_form->webbrowser1 && m_form->webbrowser1->locationUrl() == url && m_form->Status() == status;
    }
    // Starts a slideshow from the toolbar: all links, 120 s from load start.
    void startSlideshow()
    {
        tvtest::ModalResponder options(QStringLiteral("Form6"), [](QDialog *d) {
            auto *dialog = static_cast<Form6 *>(d);
            dialog->Combo1->setCurrentIndex(119);
            dialog->Option1[0]->setChecked(true);
            dialog->Option2[1]->setChecked(true);
            dialog->Command3->click();
        });
        ToolButton *button = m_form->Buttons(QStringLiteral("slideshow"));
        QTRY_VERIFY(button->isEnabled());
        button->click();
        QCOMPARE(options.count(), 1);
        QVERIFY(m_form->slideshow()->running());
        QCOMPARE(m_form->Timer2->interval(), 120000);
    }

private slots:
    void initTestCase()
    {
        QString whyNot;
        m_browser = tvtest::startHeadlessDesktop(&whyNot);
        if (!m_browser)
            QSKIP(qPrintable(whyNot));
        QVERIFY(m_site.listen());
        for (int i = 0; i < 4; ++i)
            m_site.route(QStringLiteral("/p%1").arg(i), {200, "text/html", "<title>page</title>"});
        m_site.route("/framed", {200, "text/html", "<iframe src='/late'></iframe><iframe src='/p0'></iframe>"});
        m_site.route("/late", {200, "text/html", "late", 600});
    }
    void cleanupTestCase()
    {
        if (m_browser)
            QVERIFY(tvtest::endBrowsers(*m_browser));
    }
    void init()
    {
        m_boxes = std::make_unique<tvtest::MessageBoxScript>();
        m_form = std::make_unique<Form1>(m_browser.get());
        m_form->Form_Load();
        m_form->List1->AppendMany({page(0), page(1), page(2), page(3)});
        m_form->ShowCount();
    }
    void cleanup()
    {
        m_form.reset();
        m_boxes.reset();
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }

    void previousAndNext_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("opened");
        QTest::newRow("previous-on-the-first-reopens-it") << QList<int>{0, 3} << 0 << "back" << 0;
        QTest::newRow("next-on-the-last-reopens-it") << QList<int>{3} << 3 << "fwd" << 3;
        QTest::newRow("three-selected-next-leaves-the-third") << QList<int>{0, 1, 2} << 1 << "fwd" << 2;
        QTest::newRow("previous-from-the-middle") << QList<int>{2} << 2 << "back" << 1;
    }
    void previousAndNext()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, focus);
        QFETCH(QString, key);
        QFETCH(int, opened);
        for (int i : selected)
            m_form->List1->setSelected(i, true);
        m_form->List1->setListIndex(focus);
        m_form->Toolbar1_ButtonClick(key);
        QCOMPARE(m_form->List1->ListIndex(), opened);
        QCOMPARE(selectedRows(*m_form->List1), QList<int>{opened});
        QVERIFY(shown(page(opened)));
        QCOMPARE(countText(), QStringLiteral("4 links found"));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_boxes->shown().isEmpty());
    }

    void onlyTheTopDocumentEndsTheLoad()
    {
        QVERIFY(m_form->openLink(m_site.url("/framed")));
        QStringList seen; // who completed, and what the window showed then
        connect(m_form->webbrowser1.get(), &BrowserWindow::DocumentComplete, this, [&](const QString &pDisp) {
            const bool top = pDisp == m_form->webbrowser1->name();
            const QCursor *pointer = QApplication::overrideCursor();
            seen << QStringLiteral("%1 %2 %3 %4").arg(top ? "top" : "frame", m_form->Status() == idleBanner() ? "idle" : m_form->Status(),
                                                      pointer && pointer->shape() == Qt::BusyCursor ? "busy" : "arrow",
                                                      m_form->Progress() > 0 ? "bar" : "count");
        });
        QTRY_VERIFY_WITH_TIMEOUT(seen.size() == 3, LoadBound);
        QCOMPARE(seen, (QStringList{"frame Loading link... busy bar", "frame Loading link... busy bar", "top idle arrow count"}));
        QCOMPARE(countText(), QStringLiteral("4 links found"));
    }

    void hiddenViewerStillLoads()
    {
        QVERIFY(m_form->openLink(page(0)));
        QVERIFY(shown(page(0)));
        ToolButton *hide = m_form->Buttons(QStringLiteral("hide_br"));
        m_form->Toolbar1_ButtonClick(QStringLiteral("hide_br"));
        QCOMPARE(hide->Image(), 9);
        QCOMPARE(hide->ToolTipText(), QStringLiteral("Show browser"));
        m_form->List1->setListIndex(1);
        m_form->List1_KeyPress(13);
        QVERIFY(shown(page(1)));
        QVERIFY(!m_form->webbrowser1->visible());
        m_form->Toolbar1_ButtonClick(QStringLiteral("hide_br"));
        QCOMPARE(hide->Image(), 8);
        QCOMPARE(hide->ToolTipText(), QStringLiteral("Hide browser"));
        QVERIFY(m_form->webbrowser1->visible());
    }

    void toolbarAroundARunningSlideshow()
    {
        m_form->List1->setListIndex(2);
        startSlideshow();
        QVERIFY(shown(page(0), Slideshow::inProgressText()));
        QVERIFY(m_form->slideshow()->running());
        QCOMPARE(m_form->Status(), Slideshow::inProgressText());
        for (const char *key : {"resize", "hide_br", "hide_br"}) {
            m_form->Toolbar1_ButtonClick(QLatin1String(key));
            QVERIFY2(m_form->slideshow()->running(), key);
        }
        QCOMPARE(m_boxes->shown().size(), 1); // layouts are not built yet
        // "back" stops the run, then opens the link before the focus.
        m_form->Toolbar1_ButtonClick(QStringLiteral("back"));
        QCOMPARE(m_form->slideshow()->state(), Slideshow::State::Idle);
        QCOMPARE(m_form->Buttons(QStringLiteral("slideshow"))->Value(), 0);
        QVERIFY(!m_form->Timer2->isActive());
        QVERIFY(shown(page(1)));

        // Closing the viewer ends the next run, and the next open finds another.
        startSlideshow();
        QVERIFY(shown(page(0), Slideshow::inProgressText()));
        m_form->webbrowser1->quit();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->webbrowser1, LoadBound);
        QCOMPARE(m_form->Buttons(QStringLiteral("slideshow"))->Value(), 0);
        QVERIFY(!m_form->slideshow()->running() && !m_form->Timer2->isActive());
        QVERIFY(m_form->openLink(page(3)));
        QVERIFY(shown(page(3)));
    }

    void browserThatCannotStart()
    {
        // No desktop browser runs for this user, and the one named is missing.
        QTemporaryDir data;
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        CdpBrowserComponent missing(BrowserChoice::find(QStringLiteral("/nonexistent/chromium")));
        Form1 form(&missing);
        form.Form_Load();
        form.List1->AppendMany({page(0), page(1)});
        form.List1->setListIndex(0);
        form.List1_KeyPress(13);
        QCOMPARE(m_boxes->shown().size(), 1);
        QCOMPARE(m_boxes->shown().first().icon, MsgIcon::Critical);
        // A slideshow says so once too and leaves nothing running.
        tvtest::ModalResponder options(QStringLiteral("Form6"), [](QDialog *d) {
            static_cast<Form6 *>(d)->Option1[0]->setChecked(true);
            static_cast<Form6 *>(d)->Command3->click();
        });
        QTRY_VERIFY(form.Buttons(QStringLiteral("slideshow"))->isEnabled());
        form.Buttons(QStringLiteral("slideshow"))->click();
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(m_boxes->shown().size(), 2);
        QCOMPARE(form.Buttons(QStringLiteral("slideshow"))->Value(), 0);
        QCOMPARE(form.Status(), idleBanner());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(form.FormEnabled() && !form.webbrowser1 && !form.openedone);
        QCOMPARE(form.List1->ListCount(), 2);
    }

    void closeQuestionFollowsTheWindow_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes-closes-it") << true;
        QTest::newRow("no-leaves-it-open") << false;
    }
    void closeQuestionFollowsTheWindow()
    {
        QFETCH(bool, yes);
        m_form->newwin = true;
        QVERIFY(m_form->openLink(page(2)));
        QVERIFY(m_form->openedone);
        QVERIFY(shown(page(2)));
        const BrowserWindowPtr viewer = m_form->webbrowser1;
        auto open = [&] { return m_browser->shellWindows().contains(viewer); };
        QVERIFY(open());
        m_boxes->answer(yes ? MsgResult::Yes : MsgResult::No);
        m_form->close();
        QCOMPARE(m_boxes->shown().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(open(), !yes, LoadBound);
    }
};

TV_TEST_MAIN(TestBrowserViewer)
#include "tst_browser_viewer.moc"
