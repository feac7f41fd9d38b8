// Building a list from a web page over a scripted browser: the session
// through a fake host (every way a build ends, the hand-over queue, the
// filters), then the window's commands around it.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "app/urlbuildsession.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QListWidget>
#include <QMenuBar>

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

// The window as a build sees it: what it was last told.
struct FakeHost final : UrlBuildHost
{
    tvtest::FakeBrowserComponent fake;
    bool noBrowser = false;
    QStringList list;
    QString page; // where the last links were found
    QString status = QStringLiteral("busy");
    bool enabled = false;
    qint32 progress = 0, max = 100;
    bool countShown = false;
    QStringList errors;

    BrowserComponent *browser() const override { return noBrowser ? nullptr : const_cast<tvtest::FakeBrowserComponent *>(&fake); }
    QStringList links() const override { return list; }
    qsizetype room() const override { return LinkList::MaxItems - list.size(); }
    void addLinks(const QList<HarvestedLink> &links, const QString &from) override
    {
        for (const HarvestedLink &l : links) {
            list += l.url;
            texts += l.text;
        }
        page = from;
    }
    void clearLinks() override { list.clear(); }
    void showCount() override { countShown = true; }
    void refreshExtent() override {}
    void setStatus(const QString &text) override { status = text; }
    void setInputEnabled(bool on) override { enabled = on; }
    void setProgress(qint32 value, qint32 maximum) override
    {
        std::tie(progress, max) = std::pair(value, maximum);
        countShown = countShown && value == 0;
    }
    qint32 progressMax() const override { return max; }
    void clearProgressText() override { countShown = false; }
    void showError(const QString &text) override { errors << text; }
    void reportListFull(qsizetype) override {}
    void reportPageCut(qsizetype read) override { pageCut = read; }
    void reportPageUnfinished() override { ++unfinished; }
    qsizetype pageCut = -1;
    int unfinished = 0;
    QStringList texts;

    bool idle() const { return status.isEmpty() && enabled && progress == 0 && max == 100 && !QApplication::overrideCursor(); }
};

} // namespace

class TestUrlBuild : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<UrlBuildSession> m_build;

    std::shared_ptr<FakeBrowserWindow> build(const QString &address, bool append)
    {
        m_build->setAppend(append);
        const qsizetype before = m_host->fake.harvests.size();
        m_build->start(address);
        return m_host->fake.harvests.size() > before ? m_host->fake.harvests.last().lock() : nullptr;
    }

private slots:
    void init()
    {
        m_build.reset();
        m_host = std::make_unique<FakeHost>();
        m_build = std::make_unique<UrlBuildSession>(*m_host);
    }

    void buildRunsToCompletion()
    {
        m_host->list = {P + "kept"};
        auto page = build(P, false);
        QVERIFY(page && page->navigations == QStringList{P} && page->silentSet && m_build->running());
        // The browser's progress drives the bar; a total not known yet (0)
        // stretches it to the progress.
        page->fireProgress(250, 0);
        QVERIFY(m_host->progress == 250 && m_host->max >= 250);
        // A frame's completion and errors do not end the build.
        page->fireNavigateError(404, "frame-7");
        complete(*page, {P + "a", P + "b"}, "frame-7");
        QVERIFY(m_build->running() && m_host->list == QStringList{P + "kept"});
        page->fireDocumentComplete();
        QVERIFY(m_host->list == QStringList({P + "a", P + "b"}) && m_host->page == P);
        QVERIFY(m_host->idle() && !m_build->running() && m_host->errors.isEmpty());
        // The invisible browser is let go once the build is over.
        std::weak_ptr<FakeBrowserWindow> gone = page;
        page.reset();
        QTRY_VERIFY(gone.expired());
    }

    void pageReadUpToTheListsRoom()
    {
        // The page is asked for no more different addresses than the list
        // could take (its room plus what it may repeat); a page cut there says so.
        m_host->list = {P + "kept"};
        auto page = build(P, true);
        QVERIFY(page);
        auto doc = std::make_shared<HtmlDocument>(*makeDocument(P, {P + "kept", P + "a"}));
        doc->cut = true;
        page->doc = doc;
        page->fireDocumentComplete();
        QCOMPARE(page->askedMaxLinks, qsizetype(LinkList::MaxItems));
        QCOMPARE(m_host->list, QStringList({P + "kept", P + "a"}));
        QTRY_COMPARE(m_host->pageCut, qsizetype(LinkList::MaxItems));

        // "Include images and media" reaches the read; a read that stopped
        // early lists what it found, texts beside, and says so.
        m_build->setIncludeMedia(true);
        page = build(P, false);
        doc = std::make_shared<HtmlDocument>(*makeDocument(P, {P + "b", P + "c"}));
        doc->texts = {"Bee"};
        doc->unfinished = true;
        page->doc = doc;
        page->fireDocumentComplete();
        QVERIFY(page->askedMedia);
        QCOMPARE(m_host->list, QStringList({P + "b", P + "c"}));
        QCOMPARE(m_host->texts.mid(m_host->texts.size() - 2), QStringList({"Bee", ""}));
        QTRY_COMPARE(m_host->unfinished, 1);
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
        QTest::newRow("no-browser-at-all") << "none" << true << Problem + "\r\n\r\nError: No web browser is available.";
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
        m_host->list = {P + "kept"};
        m_build->stallMs = 300;
        m_host->fake.failCreate = how == u"no-browser";
        m_host->noBrowser = how == u"none";
        auto page = build(P, append);
        if (page)
            page->fireProgress(3, 10);
        if (how.toInt()) {
            page->fireNavigateError(how.toInt());
            complete(*page, {P + "error-page-link"});
        } else if (how == u"not-html") {
            page->html = false;
            page->fireDocumentComplete();
        } else if (how == u"esc") {
            m_build->cancel();
            QCOMPARE(page->stopCalls, 1);
        } else if (how == u"gone") {
            page->fireQuit();
        } else if (how == u"stall") {
            QTRY_COMPARE_WITH_TIMEOUT(m_host->errors.size(), 1, 5000);
            QCOMPARE(page->stopCalls, 1);
        }
        QCOMPARE(m_host->errors.value(0), message);
        // The bar gives way to the count again, however the build ended.
        QVERIFY(m_host->list == kept && m_host->idle() && m_host->countShown && !m_build->running());
        if (page) {
            complete(*page, {P + "late"}); // a late completion of an ended build adds nothing
            QCOMPARE(m_host->list, kept);
        }
        // The next build runs as any other, without an old error.
        m_host->fake.failCreate = m_host->noBrowser = false;
        complete(*build(P, true), {P + "fresh"});
        QCOMPARE(m_host->list, kept + QStringList{P + "fresh"});
        QCOMPARE(m_host->errors.size(), message.isNull() ? 0 : 1);
    }

    void pageOpenInBrowserIsListedAtOnce()
    {
        m_host->list = {P + "kept"};
        m_host->fake.addWindow(P + "other")->doc = makeDocument(P + "other", {P + "x"});
        auto open = m_host->fake.addWindow(P);
        open->doc = makeDocument(P, {P + "a", P + "b"});
        auto page = build(P, false);
        QVERIFY(m_host->list == QStringList({P + "a", P + "b"}) && open->registeredAsBrowser);
        complete(*page, {P + "a", P + "c"}); // the page is loaded afresh all the same
        QVERIFY(m_host->list == QStringList({P + "a", P + "c"}) && m_host->idle());
    }

    void handOvers()
    {
        m_host->list = {P + "old"};
        m_build->setAppend(true);
        m_host->fake.addWindow(P + "other")->doc = makeDocument(P, {}, {makeDocument(P + "g", {})});
        m_host->fake.addWindow(P)->broken = true;
        auto shown = m_host->fake.addWindow(P);
        shown->doc = makeDocument(P, {P + "a", P + "old"}, {makeDocument(P + "f", {P + "f"})});
        // Cleared whatever `append` says, then filled from the window.
        m_build->handOver(P);
        QTRY_COMPARE(m_host->list, QStringList({P + "a", P + "old", P + "f"}));
        QVERIFY(shown->innerTexts.size() == 1 && !m_build->running() && m_host->fake.harvests.isEmpty());
        // Several in a row all wait their turn: none overwrites another.
        for (const QString &address : {P, P + "other", P})
            m_build->handOver(address);
        QTRY_COMPARE(shown->innerTexts.size(), 3);
        QVERIFY(m_host->fake.windows.first()->innerTexts.size() == 1 && m_host->errors.isEmpty());
        // Without any browser window, each tick says so.
        m_host->fake.windows.clear();
        m_build->handOver(P);
        QTRY_COMPARE(m_host->errors.size(), 1);
    }

    void filters()
    {
        // Whether the build applies the filters; which links pass is the
        // filter table's business.
        m_build->setFilters({"gif"});
        for (const bool applied : {true, false}) {
            m_build->setFiltersApplied(applied);
            complete(*build(P, false), {P + "a.gif", P + "c.html"});
            QCOMPARE(m_host->list.size(), applied ? 1 : 2);
        }
    }

    void windowCommands()
    {
        tvtest::MainWindowFixture fx(false);
        CRegSettings settings = CRegSettings::program();
        Filters::save(settings, {"A - gif"});
        fx.form->Form_Load();
        auto *applyFilters = fx.form->findChild<QAction *>("mnuopappfilt");
        applyFilters->trigger();
        QCOMPARE(settings.GetSetting("Filters", "Apply Filters"), QStringLiteral("1"));
        // A dialog cancelled builds nothing and leaves the window usable.
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<Form5 *>(modal);
            QVERIFY(dialog);
            dialog->Command3->click();
        });
        fx.form->findChild<QAction *>("mnufURL")->trigger();
        QVERIFY(fx.browser.harvests.isEmpty() && fx.form->findChild<QMenuBar *>()->isEnabled());
        // Loading: the window takes no input until the page completes; Esc ends it.
        tvtest::answerUrlDialog(P, false);
        fx.form->findChild<QAction *>("mnufURL")->trigger();
        auto *list = fx.form->findChild<LinkList *>("List1");
        QVERIFY(fx.browser.harvests.size() == 1 && !list->isEnabled() && QApplication::overrideCursor());
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(list->isEnabled() && !QApplication::overrideCursor() && tvtest::panel(*fx.form, "pnlStatus") == idleBanner());
        // Deleting the last filter takes the menu item and the setting off.
        tvtest::whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<Form3 *>(modal);
            QVERIFY(dialog);
            dialog->List1->clear();
            dialog->Command2->click();
        });
        fx.form->findChild<QAction *>("mnuopfilt")->trigger();
        QVERIFY(!applyFilters->isEnabled() && !applyFilters->isChecked());
        QCOMPARE(settings.GetSetting("Filters", "Apply Filters"), QStringLiteral("0"));
    }
};

TV_TEST_MAIN(TestUrlBuild)
#include "tst_urlbuild.moc"
