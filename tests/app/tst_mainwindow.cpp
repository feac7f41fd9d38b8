#include "app/mainwindow.h"
#include "app/linklist.h"
#include "platform/commoncontrols.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

using tv::Form1;
using tv::MessageBoxRequest;
using tvtest::FakeBrowserComponent;

namespace {

QStringList captions(const QMenu *menu)
{
    QStringList out;
    for (const QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + u'=' + a->text());
    return out;
}

QStringList links(int n, const QString &stem = QStringLiteral("http://127.0.0.1/page"))
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << stem + QString::number(i);
    return out;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    FakeBrowserComponent *m_browser = nullptr;
    tvtest::MessageBoxScript *m_boxes = nullptr;

    Form1 &loadForm()
    {
        m_fx->form->Form_Load();
        return *m_fx->form;
    }
    QString countText() const { return m_fx->countText(); }
    QString statusPanel() const { return m_fx->form->sbStatusBar->Panels(QStringLiteral("pnlStatus"))->Text(); }
    void saveSetting(const QString &section, const QString &key, const QString &value)
    {
        QVERIFY(tv::CRegSettings::program().SaveSetting(section, key, value));
    }

private slots:
    void init()
    {
        m_fx = std::make_unique<tvtest::MainWindowFixture>(false);
        m_browser = &m_fx->browser;
        m_boxes = &m_fx->boxes;
        // Keep the pointer away from every window unless a test moves it.
        QCursor::setPos(5000, 5000);
    }
    void cleanup()
    {
        m_fx->form->Timer3->stop();
        m_fx.reset();
    }

    void menuBarHasEveryItemInOrder()
    {
        Form1 &f = loadForm();
        QCOMPARE(f.windowTitle(), QStringLiteral("Tallyvane"));
        const QList<QAction *> top = f.menuBar()->actions();
        QCOMPARE(top.size(), 4);
        QCOMPARE(top.at(0)->text(), QStringLiteral("&File"));
        QCOMPARE(top.at(1)->text(), QStringLiteral("&List"));
        QCOMPARE(top.at(2)->text(), QStringLiteral("&Options"));
        QCOMPARE(top.at(3)->text(), QStringLiteral("&Help"));
        QCOMPARE(captions(f.mnuf), (QStringList{"mnufileopen=&Open selected link", "-",
                                                "mnufsav=Save selected link &target(s) to disk",
                                                "mnufsavlst=Save &list to text file", "-", "mnufEx=&Exit"}));
        QCOMPARE(captions(f.mnulst),
                 (QStringList{"mnufURL=Build list from &URL", "mnufClip=Build list from &Clipboard",
                              "mnufFile=Build list from &file", "mnufSeq=Build &sequential list",
                              "mnulstSingle=&Add single link", "-", "mnulstsrch=Search &list", "mnulstclr=&Clear list",
                              "mnulstselall=Select &all"}));
        QCOMPARE(captions(f.mnuo), (QStringList{"mnuopoptions=&Preferences...", "-", "mnuopappfilt=Apply &filters",
                                                "mnuopfilt=&Manage filters..."}));
        QCOMPARE(captions(f.mnuh), (QStringList{"mnuHelpCont=&Contents", "mnuhelptour=&Interactive Tour", "-",
                                                "mnuhelpfreesoft=&More free software", "mnuHelpAbt=&About..."}));
        QCOMPARE(captions(f.mnusavepop), (QStringList{"mnusavpopopen=&Open selected link",
                                                      "mnusavepoptrgt=Save selected link target(s) to disk"}));
        QCOMPARE(f.mnusavepop->defaultAction(), f.mnusavpopopen);
        for (QAction *a : top)
            QVERIFY(a->menu() != f.mnusavepop);
    }

    void toolbarButtonsInOrder()
    {
        Form1 &f = loadForm();
        QStringList seen;
        for (QWidget *w : f.toolbarItems()) {
            auto *b = qobject_cast<tv::ToolButton *>(w);
            seen << (b ? b->Key() + u'=' + b->ToolTipText() : QStringLiteral("-"));
        }
        QCOMPARE(seen, (QStringList{"list_url=Build list from URL", "list_clp=Build list from Clipboard",
                                    "list_file=Build list from file", "list_seq=Build sequential list", "-",
                                    "back=Open previous link in browser", "fwd=Open next link in browser",
                                    "hide_br=Hide browser", "slideshow=Slideshow", "-", "sav=Save target(s) to disk",
                                    "resize=Compact mode", "help=Help"}));
        QVERIFY(f.Buttons(QStringLiteral("slideshow"))->isCheckable());
        for (QWidget *w : f.toolbarItems()) {
            if (auto *b = qobject_cast<tv::ToolButton *>(w))
                QVERIFY2(!b->icon().pixmap(24, 24).isNull(), qPrintable(b->Key()));
        }
        QMenu *sav = f.Buttons(QStringLiteral("sav"))->menu();
        QVERIFY(sav);
        QCOMPARE(sav->actions(), (QList<QAction *>{f.savtgt, f.savelist}));
    }

    void settingsAreLoaded_data()
    {
        QTest::addColumn<QStringList>("stored");  // section, key, value, ...
        QTest::addColumn<QStringList>("ftypes");
        QTest::addColumn<bool>("filters");
        QTest::addColumn<int>("owaction");
        QTest::addColumn<bool>("ontop");
        QTest::addColumn<bool>("newwin");
        QTest::newRow("first-run-defaults") << QStringList{} << QStringList{} << false << 0 << true << false;
        // Only the first " - " separates; a value without one is taken whole.
        QTest::newRow("stored-values")
            << QStringList{"File Types", "Type 0", "JPEG image - jpg", "File Types", "Type 1", "Odd - name - zip",
                           "File Types", "Type 2", "gif", "Filters", "Apply Filters", "1",
                           "Options", "Overwrite Action", "2", "Options", "On Top", "False",
                           "Options", "New Window", "1"}
            << QStringList{"jpg", "name - zip", "gif"} << true << 2 << false << true;
        QTest::newRow("apply-filters-without-types-stays-off")
            << QStringList{"Filters", "Apply Filters", "1"} << QStringList{} << false << 0 << true << false;
        QTest::newRow("odd-values-fall-back")
            << QStringList{"File Types", "Type 0", "GIF - gif", "Filters", "Apply Filters", "yes",
                           "Options", "On Top", "maybe", "Options", "Overwrite Action", "x"}
            << QStringList{"gif"} << false << 0 << true << false;
    }
    void settingsAreLoaded()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, ftypes);
        QFETCH(bool, filters);
        QFETCH(int, owaction);
        QFETCH(bool, ontop);
        QFETCH(bool, newwin);
        for (int i = 0; i + 2 < stored.size(); i += 3)
            saveSetting(stored[i], stored[i + 1], stored[i + 2]);
        Form1 &f = loadForm();
        QCOMPARE(f.ftypes, ftypes);
        QCOMPARE(f.mnuopappfilt->isEnabled(), !ftypes.isEmpty());
        QCOMPARE(f.mnuopappfilt->isChecked(), filters);
        QCOMPARE(f.owaction, owaction);
        QCOMPARE(f.ontop, ontop);
        QCOMPARE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint), ontop);
        QCOMPARE(f.newwin, newwin);
        QCOMPARE(f.Status(), tv::idleBanner());
        QCOMPARE(f.minimumSize(), f.size());
        QVERIFY(f.Timer1->isActive());
        QVERIFY(!f.Timer2->isActive());
        QVERIFY(!f.Timer3->isActive());
    }

    void modalDialogLeavesTheTopmostLayerWhileOpen()
    {
        Form1 &f = loadForm();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QDialog dialog;
        bool topmostWhileOpen = true;
        bool visibleWhileOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            topmostWhileOpen = f.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            visibleWhileOpen = f.isVisible();
            dialog.accept();
        });
        QCOMPARE(f.showModal(&dialog), int(QDialog::Accepted));
        QVERIFY(!topmostWhileOpen);
        QVERIFY(visibleWhileOpen);
        QVERIFY(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.isVisible());
        QCOMPARE(dialog.parentWidget(), &f);

        f.ontop = false;
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        f.showModal(&dialog);
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void countDisplayAndClear()
    {
        Form1 &f = loadForm();
        f.List1->AppendMany(links(1));
        f.ShowCount();
        QCOMPARE(countText(), QStringLiteral("1 links found"));
        f.List1->AppendMany(links(2, QStringLiteral("http://b/")));
        f.ShowCount();
        QCOMPARE(countText(), QStringLiteral("3 links found"));
        f.setStatus(QStringLiteral("Something else"));
        f.mnulstclr_Click();
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(countText(), QString());
        QCOMPARE(f.Status(), QStringLiteral("Something else"));
        QCOMPARE(f.List1->ListIndex(), -1);
        QCOMPARE(f.List1->SelCount(), 0);
    }

    void selectAll()
    {
        Form1 &f = loadForm();
        f.mnulstselall_Click();
        QCOMPARE(f.List1->SelCount(), 0);
        f.List1->AppendMany(links(3));
        f.mnulstselall_Click();
        QCOMPARE(f.List1->SelCount(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(f.List1->Selected(i));
    }

    void horizontalExtentRule()
    {
        Form1 &f = loadForm();
        f.List1->RefreshExtent();
        QCOMPARE(f.List1->HorizontalExtent(), 0);
        QCOMPARE(f.List1->horizontalScrollBar()->maximum(), 0);

        const QString shortOne = QStringLiteral("http://a/");
        const QString longOne = QStringLiteral("http://127.0.0.1/") + QString(300, u'x');
        f.List1->AppendMany({shortOne, longOne, shortOne});
        f.List1->RefreshExtent();
        const int scrollBar = f.List1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, f.List1);
        const int expected = QFontMetrics(f.List1->font()).horizontalAdvance(longOne) + scrollBar + 10;
        QCOMPARE(f.List1->HorizontalExtent(), expected);
        // The scroll bar is there exactly when the extent exceeds the visible width.
        QCOMPARE(f.List1->horizontalScrollBar()->maximum(), expected - f.List1->viewport()->width());

        f.List1->Clear();
        f.List1->Append(shortOne);
        f.List1->RefreshExtent();
        QCOMPARE(f.List1->horizontalScrollBar()->maximum(), 0);
    }

    void listHoldsAtMost32767()
    {
        Form1 &f = loadForm();
        QCOMPARE(f.List1->AppendMany(links(tv::LinkList::MaxItems - 1)), tv::LinkList::MaxItems - 1);
        QVERIFY(f.List1->Append(QStringLiteral("http://last/")));
        QVERIFY(!f.List1->Append(QStringLiteral("http://one-too-many/")));
        QCOMPARE(f.List1->AppendMany(links(5)), 0);
        QCOMPARE(f.List1->ListCount(), tv::LinkList::MaxItems);
        QCOMPARE(f.List1->List(tv::LinkList::MaxItems - 1), QStringLiteral("http://last/"));
        tv::reportListFull(&f, 5);
        QCOMPARE(m_boxes->shown().size(), 1);
        QVERIFY(m_boxes->shown().first().text.contains(u"5 link(s) were left out"));
    }

    void dragOfferAndDrop()
    {
        Form1 &f = loadForm();
        QMimeData text;
        text.setText(QStringLiteral("http://127.0.0.1/dropped.html"));
        QDragEnterEvent enterText(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.List1->viewport(), &enterText);
        QVERIFY(enterText.isAccepted());
        QCOMPARE(enterText.dropAction(), Qt::CopyAction);

        QMimeData image;
        image.setImageData(QImage(4, 4, QImage::Format_RGB32));
        QDragEnterEvent enterImage(QPoint(5, 5), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.List1->viewport(), &enterImage);
        QVERIFY(!enterImage.isAccepted());

        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.List1->viewport(), &drop);
        // The drop builds a list from the page, without the dialog.
        QCOMPARE(m_browser->harvests.size(), 1);
        auto page = m_browser->harvests.first().lock();
        QVERIFY(page);
        QCOMPARE(page->navigations, QStringList{QStringLiteral("http://127.0.0.1/dropped.html")});
        QVERIFY(m_boxes->shown().isEmpty());
        f.CancelBuild();
    }

    void availabilityRules()
    {
        Form1 &f = loadForm();
        f.Timer1_Timer();
        for (QAction *a : {f.mnufsav, f.savtgt, f.savelist, f.mnufsavlst, f.mnufileopen, f.mnusavpopopen, f.mnusavepoptrgt})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (const char *key : {"sav", "back", "fwd", "slideshow", "hide_br"})
            QVERIFY2(!f.Buttons(QLatin1String(key))->isEnabled(), key);
        for (QAction *a : {f.mnufURL, f.mnulstclr, f.mnuopoptions, f.mnuHelpCont})
            QVERIFY(a->isEnabled());

        f.List1->AppendMany(links(3));
        f.List1->setListIndex(0);
        f.Timer1_Timer();
        QVERIFY(!f.Buttons(QStringLiteral("back"))->isEnabled());
        QVERIFY(f.Buttons(QStringLiteral("fwd"))->isEnabled());
        QVERIFY(f.Buttons(QStringLiteral("sav"))->isEnabled());
        QVERIFY(f.Buttons(QStringLiteral("slideshow"))->isEnabled());
        QVERIFY(f.mnufileopen->isEnabled());
        QVERIFY(f.mnusavpopopen->isEnabled());

        f.List1->setListIndex(2);
        f.List1->setSelected(0, false);
        f.List1->setSelected(1, true);
        f.Timer1_Timer();
        QVERIFY(f.Buttons(QStringLiteral("back"))->isEnabled());
        QVERIFY(!f.Buttons(QStringLiteral("fwd"))->isEnabled());
        QCOMPARE(f.List1->SelCount(), 2);
        QVERIFY(!f.mnufileopen->isEnabled());
        QVERIFY(!f.mnusavpopopen->isEnabled());
        QVERIFY(f.mnusavepoptrgt->isEnabled());
        QVERIFY(f.mnufsav->isEnabled());
        QVERIFY(f.savtgt->isEnabled());

        f.webbrowser1 = m_browser->createWindow();
        f.Timer1_Timer();
        QVERIFY(f.Buttons(QStringLiteral("hide_br"))->isEnabled());
    }

    void statusPanelReturnsToIdleBanner()
    {
        Form1 &f = loadForm();
        f.setStatus(QStringLiteral("Done something."));
        QCOMPARE(statusPanel(), QStringLiteral("Done something."));
        f.Timer1_Timer();
        QCOMPARE(statusPanel(), tv::idleBanner());
        QCOMPARE(f.Status(), QStringLiteral("Done something."));  // the stored text stays
        for (const QString &kept : {QStringLiteral("Slideshow in progress."), QStringLiteral("Loading link...")}) {
            f.setStatus(kept);
            f.Timer1_Timer();
            QCOMPARE(statusPanel(), kept);
        }
        // Any text stays while the pointer is on the toolbar, its right edge included.
        f.setStatus(QStringLiteral("Done something."));
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseMove(f.Toolbar1, QPoint(f.Toolbar1->width() - 1, 1));
        QCursor::setPos(f.Toolbar1->mapToGlobal(QPoint(f.Toolbar1->width(), 1)));
        f.Timer1_Timer();
        QCOMPARE(statusPanel(), QStringLiteral("Done something."));
    }

    void toolbarHints()
    {
        Form1 &f = loadForm();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        tv::ToolButton *fwd = f.Buttons(QStringLiteral("fwd"));
        const int left = fwd->geometry().left();
        f.setStatus(QStringLiteral("before"));
        f.Toolbar1_MouseMove(left);  // on the edge: nothing new
        QCOMPARE(statusPanel(), QStringLiteral("before"));
        f.Toolbar1_MouseMove(left + fwd->width() / 2);
        QCOMPARE(statusPanel(), QStringLiteral("Open next link in browser"));
        // Over a separator the panel becomes empty.
        QWidget *separator = f.toolbarItems().at(4);
        QVERIFY(!qobject_cast<tv::ToolButton *>(separator));
        f.Toolbar1_MouseMove(separator->geometry().center().x());
        QCOMPARE(statusPanel(), QString());
        // Past every button the previous hint stays.
        f.Toolbar1_MouseMove(f.Toolbar1->width() + 100);
        QCOMPARE(statusPanel(), QString());
    }

    void slideshowRefusesClicksOnTheList()
    {
        Form1 &f = loadForm();
        f.List1->AppendMany(links(2));
        f.List1->setListIndex(0);
        f.Buttons(QStringLiteral("slideshow"))->setValue(1);
        f.List1_DblClick();
        f.List1_MouseUp(Qt::LeftButton, Qt::NoModifier, 1, 1);
        f.List1_MouseUp(Qt::RightButton, Qt::NoModifier, 1, 1);
        QCOMPARE(m_boxes->shown().size(), 2);
        const MessageBoxRequest &r = m_boxes->shown().first();
        QCOMPARE(r.title, QStringLiteral("Slideshow in Progress"));
        QCOMPARE(r.text, QStringLiteral("You have a slideshow in progress. Please stop the slideshow before performing any other tasks."));
        QCOMPARE(r.icon, tv::MsgIcon::Exclamation);
        QVERIFY(m_browser->created.isEmpty());
    }

    void openSelectedLinkAdoptsTheLastPageWindow()
    {
        auto folder = m_browser->addWindow(QStringLiteral("file:///home"), false);
        auto first = m_browser->addWindow(QStringLiteral("http://127.0.0.1/one"));
        auto second = m_browser->addWindow(QStringLiteral("http://127.0.0.1/two"));
        Form1 &f = loadForm();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.List1->AppendMany(links(3));
        // The item nearest to the pointer is the one opened.
        const QRect item1 = f.List1->visualRect(f.List1->model()->index(1, 0));
        QCursor::setPos(f.List1->viewport()->mapToGlobal(item1.center()));
        f.mnufileopen_Click();
        QCOMPARE(f.webbrowser1, std::static_pointer_cast<tv::BrowserWindow>(second));
        QCOMPARE(second->navigations, QStringList{QStringLiteral("http://127.0.0.1/page1")});
        QVERIFY(first->navigations.isEmpty());
        QVERIFY(!f.openedone);
        QVERIFY(!f.openRequest());
        QVERIFY(second->m_visible);

        // The viewer closed by the user is forgotten.
        second->fireQuit();
        QVERIFY(!f.webbrowser1);
    }

    void tourOpensAWindowOfItsOwn()
    {
        m_browser->addWindow(QStringLiteral("http://127.0.0.1/open")); // never taken for the tour
        Form1 &f = loadForm();
        f.mnuhelptour_Click();
        f.mnuhelptour_Click(); // the same window again
        QCOMPARE(m_browser->created.size(), 1);
        auto tour = m_browser->created.first();
        QCOMPARE(tour->navigations, QStringList(2, QStringLiteral("http://www.example.com/TallyvaneTour/tour1.shtml")));
        QVERIFY(tour->m_visible && f.webbrowser3 == tour && f.openedone && !f.webbrowser1);
        tour->fireQuit();
        QVERIFY(!f.webbrowser3 && !f.openedone);
    }

    void enterOpensTheCurrentItem_data()
    {
        QTest::addColumn<bool>("current");
        QTest::addColumn<bool>("failCreate");
        QTest::addColumn<int>("created");
        QTest::addColumn<int>("boxes");
        QTest::newRow("no-page-window-creates-one") << true << false << 1 << 0;
        QTest::newRow("no-current-item-does-nothing") << false << false << 0 << 0;
        QTest::newRow("browser-failure-is-reported") << true << true << 0 << 1;
    }
    void enterOpensTheCurrentItem()
    {
        QFETCH(bool, current);
        QFETCH(bool, failCreate);
        QFETCH(int, created);
        QFETCH(int, boxes);
        m_browser->addWindow(QStringLiteral("file:///home"), false);
        m_browser->failCreate = failCreate;
        Form1 &f = loadForm();
        f.List1->AppendMany(links(2));
        if (current)
            f.List1->setListIndex(0);
        f.List1_KeyPress(13);
        QCOMPARE(m_browser->created.size(), created);
        QCOMPARE(f.openedone, created == 1);
        if (created)
            QCOMPARE(m_browser->created.first()->navigations, QStringList{QStringLiteral("http://127.0.0.1/page0")});
        QCOMPARE(m_boxes->shown().size(), boxes);
        if (boxes) {
            QCOMPARE(m_boxes->shown().first().title, QStringLiteral("Error"));
            QCOMPARE(m_boxes->shown().first().icon, tv::MsgIcon::Critical);
        }
    }

    void escWhenIdleResetsStatusAndProgress()
    {
        Form1 &f = loadForm();
        f.List1->AppendMany(links(4));
        f.ShowCount();
        f.setProgressMax(10);
        f.setProgress(5);
        QVERIFY(f.sbStatusBar->Panels(QStringLiteral("pnlProgress"))->hasPicture());
        f.setFormEnabled(false);
        f.setStatus(QStringLiteral("Busy"));
        QTest::keyClick(f.List1, Qt::Key_Escape);
        QCOMPARE(f.Status(), tv::idleBanner());
        QVERIFY(f.FormEnabled());
        QCOMPARE(f.Progress(), 0);
        QCOMPARE(f.ProgressMax(), 100);
        QVERIFY(!f.sbStatusBar->Panels(QStringLiteral("pnlProgress"))->hasPicture());
        QCOMPARE(countText(), QStringLiteral("4 links found"));
        QCOMPARE(f.List1->ListCount(), 4);
    }

    void closeAsksOnlyWhenABrowserWasOpened_data()
    {
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("viewerQuits");
        QTest::newRow("nothing-opened-no-question") << false << false << int(tv::MsgResult::Yes) << 0 << 0;
        QTest::newRow("yes-closes-the-browser") << true << false << int(tv::MsgResult::Yes) << 1 << 1;
        QTest::newRow("no-keeps-the-browser") << true << false << int(tv::MsgResult::No) << 1 << 0;
        QTest::newRow("browser-already-gone") << true << true << int(tv::MsgResult::Yes) << 1 << 1;
    }
    void closeAsksOnlyWhenABrowserWasOpened()
    {
        QFETCH(bool, opened);
        QFETCH(bool, gone);
        QFETCH(int, answer);
        QFETCH(int, asked);
        QFETCH(int, viewerQuits);
        Form1 &f = loadForm();
        auto viewer = std::static_pointer_cast<tvtest::FakeBrowserWindow>(m_browser->createWindow());
        viewer->broken = gone;
        f.webbrowser1 = viewer;
        f.openedone = opened;
        // A harvest still running always ends with the window.
        auto harvest = std::static_pointer_cast<tvtest::FakeBrowserWindow>(m_browser->createHarvestWindow());
        f.setWb2(harvest);
        m_boxes->answer(tv::MsgResult(answer));
        QSignalSpy unloaded(&f, &Form1::unloaded);
        f.close();
        QCOMPARE(m_boxes->shown().size(), asked);
        if (asked) {
            const MessageBoxRequest &r = m_boxes->shown().first();
            QCOMPARE(r.title, QStringLiteral("Close Browser Window?"));
            QCOMPARE(r.text, QStringLiteral("Tallyvane openend a web browser window while it was running and it is still open. Do you wish to close it as well?"));
            QCOMPARE(r.icon, tv::MsgIcon::Question);
            QCOMPARE(r.buttons, tv::MsgButtons::YesNo);
        }
        if (!gone)
            QCOMPARE(viewer->quitCalls, viewerQuits);
        QCOMPARE(harvest->quitCalls, 1);
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!f.Timer1->isActive());
    }

    void exitEndsAtOnce()
    {
        Form1 &f = loadForm();
        f.openedone = true;
        QTimer::singleShot(0, &f, &Form1::mnufEx_Click);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(m_boxes->shown().isEmpty());
        QCOMPARE(m_browser->shutdownCalls, 1);
    }

    void emptyHandOverOnlyRestoresTheWindow()
    {
        Form1 &f = loadForm();
        f.showMinimized();
        f.receiveHandOver(QString());
        QVERIFY(!f.isMinimized());
        QVERIFY(f.nurl.isEmpty());
        QVERIFY(!f.Timer3->isActive());
    }

    void handOversInARowAreAllKept()
    {
        Form1 &f = loadForm();
        f.receiveHandOver(QStringLiteral("http://127.0.0.1/1"));
        f.receiveHandOver(QStringLiteral("http://127.0.0.1/2"));
        f.receiveHandOver(QStringLiteral("http://127.0.0.1/3"));
        QCOMPARE(f.nurl, QStringLiteral("http://127.0.0.1/1"));
        // No browser window is open: each tick reports that once.
        QTRY_COMPARE(m_boxes->shown().size(), 3);
        QVERIFY(!f.Timer3->isActive());
        QCOMPARE(f.nurl, QStringLiteral("http://127.0.0.1/3"));
    }
};

TV_TEST_MAIN(TestForm1)
#include "tst_mainwindow.moc"
