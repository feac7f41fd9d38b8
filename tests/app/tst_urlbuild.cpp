// Building a list from a web page over a scripted browser: the session from
// the dialog to its end, every way it ends, the hand-over, and the filters.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "app/urlbuildsession.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "platform/commoncontrols.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QListWidget>

#include <tuple>

using namespace tv;
using tvtest::FakeBrowserWindow;
using tvtest::makeDocument;

namespace {

const QString Problem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");
const QString P = QStringLiteral("http://site.test/");

// The page (or one of its frames) completes holding `links`.
void complete(FakeBrowserWindow &page, const QStringList &links, const QString &frame = {})
{
    page.doc = makeDocument(P, links);
    page.fireDocumentComplete(frame);
}

} // namespace

class TestUrlBuild : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    Form1 *m_form = nullptr;

    const QList<MessageBoxRequest> &boxes() const { return m_fx->boxes.shown(); }

    // Loads the window with the list holding `entries`.
    void load(const QStringList &entries = {})
    {
        m_form->Form_Load();
        m_form->List1->AppendMany(entries);
    }

    // Runs the menu command with the dialog answered: address, append.
    std::shared_ptr<FakeBrowserWindow> buildFromDialog(const QString &address, bool append)
    {
        bool answered = false;
        tvtest::answerUrlDialog(address, append, &answered);
        const qsizetype before = m_fx->browser.harvests.size();
        m_form->mnufURL_Click();
        if (!answered)
            qWarning("the URL dialog did not come up");
        return m_fx->browser.harvests.size() > before ? m_fx->browser.harvests.last().lock() : nullptr;
    }

    void verifyIdle()
    {
        QVERIFY(m_form->FormEnabled() && !QApplication::overrideCursor() && !m_form->wb2 && m_form->Status() == idleBanner());
        QVERIFY(m_form->Progress() == 0 && m_form->ProgressMax() == 100);
    }

private slots:
    void init()
    {
        m_fx.reset(); // before the next one takes over the message boxes
        m_fx = std::make_unique<tvtest::MainWindowFixture>(false);
        m_form = m_fx->form.get();
    }
    void cleanup()
    {
        m_fx.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    void buildRunsToCompletion()
    {
        load({P + "kept"});
        auto page = buildFromDialog(P, false);
        // Loading: the window is disabled and busy until the page completes;
        // the availability timer leaves the status on the panel.
        QVERIFY(page && page->navigations == QStringList{P} && page->silentSet && !m_form->FormEnabled() && QApplication::overrideCursor());
        m_form->Timer1_Timer();
        QCOMPARE(m_form->sbStatusBar->Panels("pnlStatus")->Text(), m_form->Status());
        // The browser's progress drives the bar; a total not known yet (0)
        // stretches it to the progress.
        page->fireProgress(250, 0);
        QVERIFY(m_form->Progress() == 250 && m_form->ProgressMax() >= 250);
        // A frame's completion and errors do not end the build.
        page->fireNavigateError(404, "frame-7");
        complete(*page, {P + "a", P + "b"}, "frame-7");
        QVERIFY(m_form->wb2 && m_form->List1->Items() == QStringList{P + "kept"});
        page->fireDocumentComplete();
        QCOMPARE(m_form->List1->Items(), QStringList({P + "a", P + "b"}));
        verifyIdle();
        QVERIFY(boxes().isEmpty());
        // The invisible browser is let go once the build is over.
        std::weak_ptr<FakeBrowserWindow> gone = page;
        page.reset();
        QTRY_VERIFY(gone.expired());
    }

    void pageReadUpToTheListsRoom()
    {
        // The page is asked for no more different addresses than the list
        // could take (its room plus what it may repeat); a page cut there says so.
        load({P + "kept"});
        auto page = buildFromDialog(P, true);
        QVERIFY(page);
        auto doc = std::make_shared<HtmlDocument>(*makeDocument(P, {P + "kept", P + "a"}));
        doc->cut = true;
        page->doc = doc;
        page->fireDocumentComplete();
        QCOMPARE(page->askedMaxLinks, qsizetype(LinkList::MaxItems));
        QCOMPARE(m_form->List1->Items(), QStringList({P + "kept", P + "a"}));
        QTRY_COMPARE(boxes().size(), 1);
        QCOMPARE(boxes()[0].title, QStringLiteral("List Full"));
        QCOMPARE(boxes()[0].text,
                 QStringLiteral("This page links to more than 32767 different addresses; only the first 32767 were read."));
    }

    void otherEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("append");
        QTest::addColumn<QString>("message");
        // The browser ends on its own error page: its links are not listed,
        // and the list is emptied unless appending.
        QTest::newRow("error-page") << "404" << false << Problem + "\r\n\r\nError: Object not found. ";
        QTest::newRow("error-page-appending") << "-2146697199" << true << Problem + "\r\n\r\nError: -2146697199";
        // A picture or a PDF: no HTML document to read.
        QTest::newRow("not-html") << "not-html" << true << Problem;
        QTest::newRow("no-word-from-the-page") << "stall" << true << Problem;
        QTest::newRow("browser-cannot-start") << "no-browser" << true << Problem + "\r\n\r\nError: cannot start a browser";
        // Its browser crashed or was killed: nothing more will come of the load.
        QTest::newRow("browser-gone") << "gone" << true << Problem;
        QTest::newRow("esc") << "esc" << true << QString();
    }
    void otherEnds()
    {
        QFETCH(QString, how);
        QFETCH(bool, append);
        QFETCH(QString, message);
        const QStringList kept = append ? QStringList{P + "kept"} : QStringList{};
        load({P + "kept"});
        m_form->urlBuild().stallMs = 300;
        m_fx->browser.failCreate = how == u"no-browser";
        auto page = buildFromDialog(P, append);
        if (page)
            page->fireProgress(3, 10);
        if (how.toInt()) {
            page->fireNavigateError(how.toInt());
            complete(*page, {P + "error-page-link"});
        } else if (how == u"not-html") {
            page->html = false;
            page->fireDocumentComplete();
        } else if (how == u"esc") {
            QTest::keyClick(m_form->List1, Qt::Key_Escape);
            QCOMPARE(page->stopCalls, 1);
        } else if (how == u"gone") {
            page->fireQuit();
        } else if (how == u"stall") {
            QTRY_COMPARE_WITH_TIMEOUT(boxes().size(), 1, 5000);
            QCOMPARE(page->stopCalls, 1);
        }
        QCOMPARE(boxes().isEmpty() ? QString() : boxes().first().text, message);
        QCOMPARE(m_form->List1->Items(), kept);
        verifyIdle();
        // The bar gives way to the count again, however the build ended.
        QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(kept.size()));
        QVERIFY(!m_form->sbStatusBar->Panels("pnlProgress")->hasPicture());
        if (page) {
            complete(*page, {P + "late"}); // a late completion of an ended build adds nothing
            QCOMPARE(m_form->List1->Items(), kept);
        }
        // The next build runs as any other, without an old error.
        m_fx->browser.failCreate = false;
        complete(*buildFromDialog(P, true), {P + "fresh"});
        QCOMPARE(m_form->List1->Items(), kept + QStringList{P + "fresh"});
        QCOMPARE(boxes().size(), message.isNull() ? 0 : 1);
    }

    void cancelledDialogBuildsNothing()
    {
        load({P + "kept"});
        m_form->append = true;
        m_form->mnuopappfilt->setChecked(true);
        tvtest::whenModal([&](QWidget *modal) { qobject_cast<Form5 *>(modal)->Command3->click(); });
        m_form->mnufURL_Click();
        QCOMPARE(m_form->List1->Items(), QStringList{P + "kept"});
        QVERIFY(m_fx->browser.harvests.isEmpty() && m_form->append && m_form->FormEnabled());
    }

    void pageOpenInBrowserIsListedAtOnce()
    {
        load({P + "kept"});
        m_fx->browser.addWindow(P + "other")->doc = makeDocument(P + "other", {P + "x"});
        auto open = m_fx->browser.addWindow(P);
        open->doc = makeDocument(P, {P + "a", P + "b"});
        auto page = buildFromDialog(P, false);
        QVERIFY(m_form->List1->Items() == QStringList({P + "a", P + "b"}) && open->registeredAsBrowser);
        complete(*page, {P + "a", P + "c"}); // the page is loaded afresh all the same
        QCOMPARE(m_form->List1->Items(), QStringList({P + "a", P + "c"}));
        verifyIdle();
    }

    void handOverHarvests()
    {
        load({P + "old"});
        m_form->append = true;
        m_fx->browser.addWindow(P + "other");
        m_fx->browser.addWindow(P)->broken = true;
        auto shown = m_fx->browser.addWindow(P);
        shown->doc = makeDocument(P, {P + "a", P + "old"}, {makeDocument(P + "f", {P + "f"})});
        m_form->receiveHandOver(P);
        QVERIFY(m_form->Timer3->isActive());
        // Cleared whatever `append` says, then filled from the window.
        QTRY_COMPARE(m_form->List1->Items(), QStringList({P + "a", P + "old", P + "f"}));
        QVERIFY(shown->innerTexts.size() == 1 && !m_form->wb2 && boxes().isEmpty() && m_fx->browser.harvests.isEmpty());
    }

    void filters()
    {
        // Whether the build applies the filters; which links pass is the
        // filter table's business.
        Filters::save(m_form->settings(), {"A - gif"});
        load();
        m_form->mnuopappfilt->trigger();
        QCOMPARE(m_form->settings().GetSetting("Filters", "Apply Filters"), QStringLiteral("1"));
        complete(*buildFromDialog(P, false), {P + "a.gif", P + "c.html"});
        QCOMPARE(m_form->List1->Items(), QStringList{P + "a.gif"});
        // Deleting the last filter takes the menu item and the setting off.
        tvtest::whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<Form3 *>(modal);
            QVERIFY(dialog);
            dialog->List1->clear();
            dialog->Command2->click();
        });
        m_form->mnuopfilt_Click();
        QVERIFY(m_form->ftypes.isEmpty() && !m_form->mnuopappfilt->isEnabled() && !m_form->mnuopappfilt->isChecked());
        QCOMPARE(m_form->settings().GetSetting("Filters", "Apply Filters"), QStringLiteral("0"));
    }
};

TV_TEST_MAIN(TestUrlBuild)
#include "tst_urlbuild.moc"
