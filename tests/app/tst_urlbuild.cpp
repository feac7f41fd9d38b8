#include "app/mainwindow.h"
#include "app/linklist.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "support/urldialoganswer.h"
#include "platform/commoncontrols.h"
#include "support/fakebrowser.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace tv;
using tvtest::FakeBrowserWindow;
using tvtest::makeDocument;

namespace {

const QString Problem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");
const QString Building = QStringLiteral("Bulding list (press \"Esc\" to cancel).");
const QString P = QStringLiteral("http://site.test/");

} // namespace

class TestUrlBuild : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dialogBuildRunsToCompletion();
    void navigationErrorMessage_data();
    void navigationErrorMessage();
    void frameCompletionAndErrorsDoNotEndBuild();
    void filtersApplied_data();
    void filtersApplied();
    void dialogCancelledBuildsNothing();
    void progressFollowsBrowser();
    void unreadableDocumentEndsWithShortError();
    void browserThatCannotStart();
    void stalledLoadEnds();
    void fullListReportsLeftOut();
    void handOverHarvests();
    void handOverWithoutBrowserWindows_data();
    void handOverWithoutBrowserWindows();
    void filterMenuAfterDialog_data();
    void filterMenuAfterDialog();
    void applyFiltersToggleIsStored();
    void urlDialogTellsFilterState();

private:
    // Runs the menu command with the dialog answered: address, append.
    std::shared_ptr<FakeBrowserWindow> buildFromDialog(const QString &address, bool append);
    std::shared_ptr<FakeBrowserWindow> lastHarvest() const;
    void fill(const QStringList &entries);
    QString countText() const { return m_form->sbStatusBar->Panels("pnlProgress")->Text(); }
    void verifyIdle();

    std::unique_ptr<tvtest::MainWindowFixture> m_fixture;
    tvtest::MessageBoxScript *m_boxes = nullptr;
    tvtest::FakeBrowserComponent *m_browser = nullptr;
    Form1 *m_form = nullptr;
};

void TestUrlBuild::init()
{
    m_fixture = std::make_unique<tvtest::MainWindowFixture>(false);
    m_boxes = &m_fixture->boxes;
    m_browser = &m_fixture->browser;
    m_form = m_fixture->form.get();
}

void TestUrlBuild::cleanup()
{
    m_fixture.reset();
    QVERIFY(!QApplication::overrideCursor());
}

std::shared_ptr<FakeBrowserWindow> TestUrlBuild::lastHarvest() const
{
    return m_browser->harvests.isEmpty() ? nullptr : m_browser->harvests.last().lock();
}

void TestUrlBuild::fill(const QStringList &entries)
{
    for (const QString &e : entries)
        m_form->List1->Append(e);
}

std::shared_ptr<FakeBrowserWindow> TestUrlBuild::buildFromDialog(const QString &address, bool append)
{
    bool answered = false;
    tvtest::answerUrlDialog(address, append, &answered);
    const qsizetype before = m_browser->harvests.size();
    m_form->mnufURL_Click();
    if (!answered)
        qWarning("the URL dialog did not come up");
    return m_browser->harvests.size() > before ? lastHarvest() : nullptr;
}

void TestUrlBuild::verifyIdle()
{
    QVERIFY(m_form->FormEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_form->Status(), idleBanner());
    QVERIFY(!m_form->wb2);
    QCOMPARE(m_form->Progress(), 0);
    QCOMPARE(m_form->ProgressMax(), 100);
    QVERIFY(!m_form->sbStatusBar->Panels("pnlProgress")->hasPicture());
}

void TestUrlBuild::dialogBuildRunsToCompletion()
{
    m_form->Form_Load();
    auto page = buildFromDialog(P, false);
    QVERIFY(page);
    // Loading: the window is disabled and busy until the page completes.
    QCOMPARE(page->navigations, QStringList{P});
    QVERIFY(page->silentSet);
    QVERIFY(!m_form->FormEnabled());
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(m_form->Status(), Building);
    QCOMPARE(m_form->wb2, std::static_pointer_cast<BrowserWindow>(page));

    page->doc = makeDocument(P, {P + "a", P + "b"});
    page->fireDocumentComplete();
    QCOMPARE(m_form->List1->Items(), QStringList({P + "a", P + "b"}));
    QCOMPARE(countText(), QStringLiteral("2 links found"));
    verifyIdle();
    QVERIFY(m_boxes->shown().isEmpty());
    // The invisible browser is let go once the build is over.
    std::weak_ptr<FakeBrowserWindow> gone = page;
    page.reset();
    QTRY_VERIFY(gone.expired());
}

void TestUrlBuild::navigationErrorMessage_data()
{
    QTest::addColumn<qint32>("status");
    QTest::addColumn<bool>("append");
    QTest::addColumn<QString>("errorText");

    QTest::newRow("404-replace") << 404 << false << "Object not found. ";
    QTest::newRow("unlisted-moniker-code-negative") << qint32(0x800C0011u) << true << "-2146697199";
}

void TestUrlBuild::navigationErrorMessage()
{
    QFETCH(qint32, status);
    QFETCH(bool, append);
    QFETCH(QString, errorText);

    m_form->Form_Load();
    fill({P + "kept"});
    auto page = buildFromDialog(P, append);
    QVERIFY(page);
    page->fireNavigateError(status);
    QVERIFY(m_form->navError);
    QCOMPARE(m_form->navErrorText, errorText);
    // The browser ends on its own error page; its links are not harvested.
    page->doc = makeDocument(P, {P + "error-page-link"});
    page->fireDocumentComplete();

    QCOMPARE(m_boxes->shown().size(), 1);
    const MessageBoxRequest box = m_boxes->shown().first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.text, Problem + "\r\n\r\nError: " + errorText);
    QCOMPARE(m_form->List1->Items(), append ? QStringList{P + "kept"} : QStringList{});
    QCOMPARE(countText(), QStringLiteral("%1 links found").arg(append ? 1 : 0));
    verifyIdle();

    // The next build starts without the old error.
    auto next = buildFromDialog(P, true);
    QVERIFY(next);
    QVERIFY(!m_form->navError);
    QCOMPARE(m_form->navErrorText, QString());
    next->doc = makeDocument(P, {P + "fresh"});
    next->fireDocumentComplete();
    QCOMPARE(m_form->List1->Items().last(), P + "fresh");
    QCOMPARE(m_boxes->shown().size(), 1);
}

void TestUrlBuild::frameCompletionAndErrorsDoNotEndBuild()
{
    m_form->Form_Load();
    auto page = buildFromDialog(P, false);
    QVERIFY(page);
    page->fireNavigateError(404, "frame-7");
    page->doc = makeDocument(P, {P + "a"});
    page->fireDocumentComplete("frame-7");
    QVERIFY(!m_form->navError);
    QVERIFY(m_form->wb2);
    QVERIFY(!m_form->FormEnabled());
    QCOMPARE(m_form->List1->ListCount(), 0);
    page->fireDocumentComplete();
    QCOMPARE(m_form->List1->Items(), QStringList{P + "a"});
    QVERIFY(m_boxes->shown().isEmpty());
    verifyIdle();
}

void TestUrlBuild::filtersApplied_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QStringList>("ftypes");
    QTest::addColumn<QStringList>("expected");
    const QStringList all{P + "a.gif", P + "b.GIF", P + "c.html", "http://bare-host.example"};
    // Which links pass is the filter table's business; here only whether it applies.
    QTest::newRow("checked-filters") << true << QStringList{"gif"} << QStringList{P + "a.gif"};
    QTest::newRow("unchecked-lists-all") << false << QStringList{"gif"} << all;
    QTest::newRow("checked-without-types-lists-all") << true << QStringList{} << all;
}

void TestUrlBuild::filtersApplied()
{
    QFETCH(bool, checked);
    QFETCH(QStringList, ftypes);
    QFETCH(QStringList, expected);

    m_form->Form_Load();
    m_form->ftypes = ftypes;
    m_form->mnuopappfilt->setEnabled(true);
    m_form->mnuopappfilt->setChecked(checked);
    auto page = buildFromDialog(P, false);
    QVERIFY(page);
    page->doc = makeDocument(P, {P + "a.gif", P + "b.GIF", P + "c.html", "http://bare-host.example"});
    page->fireDocumentComplete();
    QCOMPARE(m_form->List1->Items(), expected);
}

void TestUrlBuild::dialogCancelledBuildsNothing()
{
    m_form->Form_Load();
    fill({P + "kept"});
    m_form->append = true;
    tvtest::whenModal([](QWidget *modal) {
        if (auto *dialog = qobject_cast<Form5 *>(modal))
            dialog->Command3->click();
    });
    m_form->mnufURL_Click();
    QVERIFY(m_browser->harvests.isEmpty());
    QCOMPARE(m_form->List1->Items(), QStringList{P + "kept"});
    QVERIFY(m_form->append);
    QVERIFY(m_form->FormEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!m_form->wb2);
}

void TestUrlBuild::progressFollowsBrowser()
{
    m_form->Form_Load();
    fill({P + "x"});
    auto page = buildFromDialog(P, true);
    QVERIFY(page);
    StatusPanel *panel = m_form->sbStatusBar->Panels("pnlProgress");

    page->fireProgress(3, 10);
    QCOMPARE(m_form->ProgressMax(), 10);
    QCOMPARE(m_form->Progress(), 3);
    QVERIFY(panel->hasPicture());
    QCOMPARE(panel->Text(), QString());

    // The total not known yet: no error, the bar keeps going.
    page->fireProgress(4, 0);
    QCOMPARE(m_form->Progress(), 4);
    QVERIFY(m_form->ProgressMax() >= 4);
    page->fireProgress(250, 0);
    QCOMPARE(m_form->Progress(), 250);
    QVERIFY(m_form->ProgressMax() >= 250);
    page->fireProgress(7, -5);
    QVERIFY(m_form->ProgressMax() >= 7);
    QVERIFY(panel->hasPicture());

    // The load ended: the count text comes back.
    page->fireProgress(-1, 12);
    QCOMPARE(m_form->ProgressMax(), 100);
    QCOMPARE(m_form->Progress(), 0);
    QVERIFY(!panel->hasPicture());
    QCOMPARE(panel->Text(), QStringLiteral("1 links found"));
    QVERIFY(m_form->wb2);
    page->fireProgress(0, 0);
    QVERIFY(!panel->hasPicture());

    page->doc = makeDocument(P, {P + "y"});
    page->fireDocumentComplete();
    QCOMPARE(panel->Text(), QStringLiteral("2 links found"));
    verifyIdle();
}

void TestUrlBuild::unreadableDocumentEndsWithShortError()
{
    m_form->Form_Load();
    fill({P + "kept"});
    auto page = buildFromDialog(P, true);
    QVERIFY(page);
    // A picture or a PDF: no HTML document to read.
    page->html = false;
    page->fireDocumentComplete();
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->shown().first().text, Problem);
    QCOMPARE(m_boxes->shown().first().icon, MsgIcon::Critical);
    QCOMPARE(m_form->List1->Items(), QStringList{P + "kept"});
    QCOMPARE(countText(), QStringLiteral("1 links found"));
    verifyIdle();
}

void TestUrlBuild::browserThatCannotStart()
{
    m_form->Form_Load();
    m_browser->failCreate = true;
    buildFromDialog(P, false);
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->shown().first().text, Problem + "\r\n\r\nError: cannot start a browser");
    verifyIdle();

    // A drop too ends at once, and the next drop is not mistaken for this one.
    m_boxes->clear();
    m_form->List1_OLEDragDrop(P + "dropped");
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_form->goturl, QString());
    verifyIdle();
}

void TestUrlBuild::stalledLoadEnds()
{
    m_form->Form_Load();
    fill({P + "kept"});
    m_form->buildStallMs = 300;
    auto page = buildFromDialog(P, false);
    QVERIFY(page);
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes->shown().size(), 1, 5000);
    QCOMPARE(m_boxes->shown().first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->shown().first().text, Problem);
    QCOMPARE(page->stopCalls, 1);
    QCOMPARE(m_form->List1->Items(), QStringList{P + "kept"});
    verifyIdle();
    page->doc = makeDocument(P, {P + "late"});
    page->fireDocumentComplete();
    QCOMPARE(m_form->List1->Items(), QStringList{P + "kept"});
}

void TestUrlBuild::fullListReportsLeftOut()
{
    m_form->Form_Load();
    QStringList many;
    for (int i = 0; i < LinkList::MaxItems - 2; ++i)
        many.append(P + QString::number(i));
    m_form->List1->AppendMany(many);
    auto page = buildFromDialog(P, true);
    QVERIFY(page);
    page->doc = makeDocument(P, {P + "0", P + "n1", P + "n2", P + "n3", P + "n4", P + "n3"});
    page->fireDocumentComplete();
    QCOMPARE(m_form->List1->ListCount(), LinkList::MaxItems);
    QCOMPARE(m_form->List1->List(LinkList::MaxItems - 1), P + "n2");
    QCOMPARE(countText(), QStringLiteral("32767 links found"));
    verifyIdle();
    QTRY_COMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().first().title, QStringLiteral("List Full"));
    QVERIFY2(m_boxes->shown().first().text.contains(u" 2 "), qPrintable(m_boxes->shown().first().text));
}

void TestUrlBuild::handOverHarvests()
{
    m_form->Form_Load();
    fill({P + "old"});
    m_form->append = true;
    auto other = m_browser->addWindow(P + "other");
    auto broken = m_browser->addWindow(P);
    broken->broken = true;
    auto shown = m_browser->addWindow(P);
    shown->doc = makeDocument(P, {P + "a", P + "old"}, {makeDocument(P + "f", {P + "f"})});

    m_form->receiveHandOver(P);
    QCOMPARE(m_form->nurl, P);
    QVERIFY(m_form->Timer3->isActive());
    // Cleared whatever `append` says, then filled from the window.
    QTRY_COMPARE(m_form->List1->Items(), QStringList({P + "a", P + "old", P + "f"}));
    QVERIFY(!m_form->Timer3->isActive());
    QCOMPARE(shown->innerTexts, (QList<QPair<QString, QString>>{{"insttxt", "poop"}}));
    QCOMPARE(countText(), QStringLiteral("3 links found"));
    QVERIFY(!m_form->wb2);
    QVERIFY(m_boxes->shown().isEmpty());
    QVERIFY(m_browser->harvests.isEmpty());
}

void TestUrlBuild::handOverWithoutBrowserWindows_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<bool>("message");
    QTest::newRow("no-browser-window-open") << "none" << true;
    QTest::newRow("window-list-unavailable") << "fail" << true;
    QTest::newRow("no-window-shows-the-page") << "other" << false;
}

void TestUrlBuild::handOverWithoutBrowserWindows()
{
    QFETCH(QString, windows);
    QFETCH(bool, message);

    m_form->Form_Load();
    fill({P + "old"});
    if (windows == u"fail")
        m_browser->failEnumerate = true;
    if (windows == u"other")
        m_browser->addWindow(P + "other")->doc = makeDocument(P + "other", {P + "x"});

    m_form->receiveHandOver(P);
    QTRY_VERIFY(!m_form->Timer3->isActive());
    if (message) {
        QCOMPARE(m_boxes->shown().size(), 1);
        const MessageBoxRequest box = m_boxes->shown().first();
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.text, QStringLiteral("Error listing links automatically. Please use \"Build list from URL\" in "
                                          "\"List\" menu."));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(m_form->List1->Items(), QStringList{P + "old"});
    } else {
        QVERIFY(m_boxes->shown().isEmpty());
        QCOMPARE(m_form->List1->ListCount(), 0);
        QCOMPARE(countText(), QStringLiteral("0 links found"));
    }
    QVERIFY(!m_form->wb2);
    QVERIFY(m_form->FormEnabled());
}

void TestUrlBuild::filterMenuAfterDialog_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("apply");
    QTest::addColumn<bool>("deleteAll");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("applyAfter");

    QTest::newRow("filters-and-apply-on") << QStringList{"A - a"} << "1" << false << true << true << "1";
    QTest::newRow("filters-and-apply-off") << QStringList{"A - a"} << "0" << false << false << true << "0";
    QTest::newRow("last-filter-deleted") << QStringList{"A - a"} << "1" << true << false << false << "0";
    QTest::newRow("no-filters-ever") << QStringList{} << "1" << false << false << false << "0";
}

void TestUrlBuild::filterMenuAfterDialog()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, apply);
    QFETCH(bool, deleteAll);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    QFETCH(QString, applyAfter);

    Filters::save(m_form->settings(), stored);
    m_form->settings().SaveSetting("Filters", "Apply Filters", apply);
    m_form->Form_Load();

    bool answered = false;
    tvtest::whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<Form3 *>(modal);
        QVERIFY(dialog);
        answered = true;
        if (deleteAll) {
            while (dialog->List1->count() > 0) {
                dialog->List1->setCurrentRow(0);
                dialog->Command4_Click();
            }
        }
        dialog->Command2->click();
    });
    m_form->mnuopfilt_Click();
    QVERIFY(answered);
    QCOMPARE(m_form->mnuopappfilt->isChecked(), checked);
    QCOMPARE(m_form->mnuopappfilt->isEnabled(), enabled);
    QCOMPARE(m_form->settings().GetSetting("Filters", "Apply Filters"), applyAfter);
    QCOMPARE(m_form->ftypes, deleteAll ? QStringList() : Filters::extensionsOf(stored));
}

void TestUrlBuild::applyFiltersToggleIsStored()
{
    Filters::save(m_form->settings(), {"A - a"});
    m_form->Form_Load();
    QVERIFY(m_form->mnuopappfilt->isEnabled());
    QVERIFY(!m_form->mnuopappfilt->isChecked());
    m_form->mnuopappfilt->trigger();
    QVERIFY(m_form->mnuopappfilt->isChecked());
    QCOMPARE(m_form->settings().GetSetting("Filters", "Apply Filters"), QStringLiteral("1"));
    m_form->mnuopappfilt->trigger();
    QVERIFY(!m_form->mnuopappfilt->isChecked());
    QCOMPARE(m_form->settings().GetSetting("Filters", "Apply Filters"), QStringLiteral("0"));
}

void TestUrlBuild::urlDialogTellsFilterState()
{
    for (const bool on : {false, true}) {
        m_form->mnuopappfilt->setChecked(on);
        QString label;
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<Form5 *>(modal);
            QVERIFY(dialog);
            label = dialog->Label2->text();
            dialog->Command3->click();
        });
        m_form->mnufURL_Click();
        QCOMPARE(label, on ? QStringLiteral("Filters will be applied. (See \"Options\" menu.)")
                           : QStringLiteral("Filters will not be applied. (See \"Options\" menu.)"));
        QVERIFY(m_form->FormEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_browser->harvests.isEmpty());
    }
}

TV_TEST_MAIN(TestUrlBuild)
#include "tst_urlbuild.moc"
