// The main window: settings, preferences, the modal wrapping, the list's limit, availability
// and the status rule, opening links, the tour window, closing, the hand-over queue.
#include "app/commandavailability.h"
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "platform/commoncontrols.h"
#include "settings/preferencesdialog.h"
#include "support/mainwindowfixture.h"
#include "winsupport/helpwindow.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>

#include <tuple>

using tv::Form1;

namespace {

QStringList links(int n, const QString &stem = QStringLiteral("http://127.0.0.1/page"))
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << stem + QString::number(i);
    return out;
}

QString stored(const char *key)
{
    return tv::CRegSettings::program().GetSetting(QStringLiteral("Options"), QLatin1String(key), QStringLiteral("-"));
}

bool topmost(const QWidget &w)
{
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;

    Form1 &loadForm(int links = 0)
    {
        m_fx->form->Form_Load();
        tvtest::list1(*m_fx->form).AppendMany(::links(links));
        return *m_fx->form;
    }
    Form1 &shownForm()
    {
        Form1 &f = loadForm();
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("the main window was not exposed");
        return f;
    }
    // What the window holds, as its Preferences dialog shows it.
    tv::Preferences currentPreferences()
    {
        tv::Preferences p{false, false, -1};
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<tv::Form12 *>(modal);
            QVERIFY(dialog);
            p.ontop = dialog->chkontop->isChecked();
            p.newwin = dialog->oplnkopen[0]->isChecked();
            for (int i = 0; i < tv::Preferences::OverwriteActions; ++i)
                if (dialog->opowaction[i]->isChecked())
                    p.owaction = i;
            p.simultaneous = dialog->simuldl->value();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        tvtest::trigger(*m_fx->form, "mnuopoptions");
        return p;
    }
    QString statusPanel() const { return tvtest::panel(*m_fx->form, "pnlStatus"); }

private slots:
    void init()
    {
        m_fx.reset(); // before the next one takes over the message boxes
        m_fx = std::make_unique<tvtest::MainWindowFixture>(false);
        // Keep the pointer away from every window unless a test moves it.
        QCursor::setPos(5000, 5000);
    }
    void cleanup()
    {
        m_fx.reset();
        delete tv::HelpWindow::instance();
    }

    void settingsAreLoaded()
    {
        // What is stored (section, key, value, ...): what the window loads,
        // "filters: offered applied | owaction ontop newwin media".
        const std::pair<QStringList, const char *> rows[] = {
            {{}, "0 0 | 0 1 0 0"},
            {{"File Types", "Type 0", "JPEG image - jpg", "File Types", "Type 1", "gif", "Filters", "Apply Filters", "1",
              "Options", "Overwrite Action", "2", "Options", "On Top", "False", "Options", "New Window", "1",
              "Options", "Include Media", "1"},
             "1 1 | 2 0 1 1"},
            {{"File Types", "Type 0", "GIF - gif", "Filters", "Apply Filters", "yes", "Options", "On Top", "maybe",
              "Options", "Overwrite Action", "x", "Options", "Include Media", "2"},
             "1 0 | 0 1 0 0"},
            // Out of range, however wide: the defaults.
            {{"File Types", "Type 0", "gif", "Filters", "Apply Filters", "2", "Options", "Overwrite Action", "7",
              "Options", "On Top", "-1", "Options", "New Window", "2"},
             "1 0 | 0 1 0 0"},
            {{"Options", "Overwrite Action", "1" + QString(300, u'0'), "Options", "New Window", "1" + QString(300, u'0')},
             "0 0 | 0 1 0 0"},
        };
        for (const auto &[stored, loaded] : rows) {
            init();
            for (int i = 0; i + 2 < stored.size(); i += 3)
                QVERIFY(tv::CRegSettings::program().SaveSetting(stored[i], stored[i + 1], stored[i + 2]));
            Form1 &f = loadForm();
            const tv::Preferences p = currentPreferences();
            QCOMPARE(QStringLiteral("%1 %2 | %3 %4 %5 %6").arg(QString::number(tvtest::part(f, "mnuopappfilt").isEnabled()), QString::number(tvtest::part(f, "mnuopappfilt").isChecked()),
                         QString::number(p.owaction), QString::number(p.ontop), QString::number(p.newwin), QString::number(tvtest::part(f, "mnuopmedia").isChecked())),
                     QLatin1String(loaded));
            QVERIFY(topmost(f) == p.ontop);
            QVERIFY(f.minimumSize() == f.size() && tvtest::part<QTimer>(f, "Timer1").isActive());
        }
        // The menu item turns the option over and stores it.
        tvtest::part(*m_fx->form, "mnuopmedia").trigger();
        QCOMPARE(tv::CRegSettings::program().GetSetting("Options", "Include Media"), QStringLiteral("1"));
        // The bundled pictures stand in for a theme that has none.
        QVERIFY(!tvtest::button(*m_fx->form, "list_url").icon().pixmap(24, 24).isNull());
    }

    void preferences()
    {
        // ontop, newwin, owaction, simultaneous, Save (else Esc): what is
        // stored under On Top, New Window, Overwrite Action, Simultaneous Downloads.
        for (const auto &[ontop, newwin, owaction, simul, save, texts] :
             {std::tuple{false, false, 0, 1, true, "False 0 0 1"},
              {true, true, 3, 8, true, "True 1 3 8"},
              {false, true, 3, 5, false, "- - - -"}}) {
            init();
            Form1 &form = loadForm();
            tvtest::whenModal([&, ontop = ontop, newwin = newwin, owaction = owaction, simul = simul, save = save](QWidget *modal) {
                auto *dialog = qobject_cast<tv::Form12 *>(modal);
                QVERIFY(dialog);
                dialog->chkontop->setChecked(ontop);
                dialog->oplnkopen[newwin ? 0 : 1]->setChecked(true);
                dialog->opowaction[owaction]->setChecked(true);
                dialog->simuldl->setValue(simul);
                if (save)
                    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
                else
                    QTest::keyClick(dialog, Qt::Key_Escape);
            });
            tvtest::trigger(form, "mnuopoptions");
            QCOMPARE(QStringList({stored("On Top"), stored("New Window"), stored("Overwrite Action"),
                                  stored("Simultaneous Downloads")})
                         .join(u' '),
                     QLatin1String(texts));
            QCOMPARE(currentPreferences(), (tv::Preferences{save ? ontop : true, save && newwin, save ? owaction : 0, save ? simul : 1}));
            QCOMPARE(topmost(form), save ? ontop : true);
        }
    }

    void unsavedSettingsToldOnce()
    {
        // A file where the settings folder should be.
        const QString folder = QFileInfo(tv::CRegSettings::program().fileName()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(tvtest::writeFile(folder, {}));
        loadForm();
        QVERIFY(!tv::CRegSettings::program().SaveSetting("Options", "On Top", "False"));
        QVERIFY(!tv::CRegSettings::program().SaveSetting("Filters", "Apply Filters", "1"));
        QVERIFY(QFile::remove(folder));
        QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->boxes.shown().first().text.contains(folder));
    }

    void modalDialogLeavesTheTopmostLayerWhileOpen()
    {
        Form1 &f = shownForm();
        bool topmostWhileOpen = true, visibleWhileOpen = false;
        QWidget *parent = nullptr;
        tvtest::whenModal([&](QWidget *modal) {
            std::tie(topmostWhileOpen, visibleWhileOpen, parent) = std::tuple(topmost(f), f.isVisible(), modal->parentWidget());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        tvtest::trigger(f, "mnuopoptions");
        // The window is not re-created (hidden and shown) to change layers.
        QVERIFY(!topmostWhileOpen && visibleWhileOpen && topmost(f) && parent == &f);
    }

    // Every command that adds links goes through these two.
    void listFull()
    {
        Form1 &f = loadForm(tv::LinkList::MaxItems - 2);
        QCOMPARE(tv::appendWhatFits(tvtest::list1(f), links(3, QStringLiteral("http://new/")), 7), qint64(5));
        QCOMPARE(tvtest::list1(f).Items().mid(tv::LinkList::MaxItems - 2), QStringList({"http://new/0", "http://new/1"}));
        QCOMPARE(tv::appendWhatFits(tvtest::list1(f), {QString()}, 1), qint64(1));
        tv::reportListFull(&f, 0);
        QVERIFY(m_fx->boxes.shown().isEmpty());
        tv::reportListFull(&f, 5);
        QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->boxes.shown().first().text.contains(u" 5 "));
    }

    void availability()
    {
        // count, index, selected, viewer held, transfer running: the enabled
        // commands, in the order of CommandAvailability's members (saveTargets
        // saveButton saveList back fwd slideshow hideBrowser openSelected
        // popupOpen popupSaveTargets).
        const std::tuple<tv::AvailabilityInputs, const char *> rows[] = {
            {{0, -1, 0, false, false}, "0000000000"},
            {{3, 0, 1, false, false}, "1110110111"},
            {{3, 2, 2, false, false}, "1111010001"},
            {{3, 1, 0, false, false}, "0111110000"},
            {{3, -1, 0, false, false}, "0110010000"},
            {{0, -1, 0, true, false}, "0000001000"},
            {{3, 1, 1, false, true}, "1111110111"},
        };
        for (const auto &[in, enabled] : rows) {
            const tv::CommandAvailability a = tv::commandAvailability(in);
            QString seen;
            for (const bool on : {a.saveTargets, a.saveButton, a.saveList, a.back, a.fwd, a.slideshow, a.hideBrowser,
                                  a.openSelected, a.popupOpen, a.popupSaveTargets})
                seen += on ? u'1' : u'0';
            QCOMPARE(seen, QLatin1String(enabled));
        }
    }

    void timerAppliesTheRulesAndTheStatusRule()
    {
        auto page = m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/one"));
        Form1 &f = shownForm();
        tv::LinkList &list = tvtest::list1(f);
        list.AppendMany(links(3));
        list.setListIndex(2);
        emit list.enterPressed(); // the viewer held
        emit page->BeforeNavigate2(page->name(), page->url); // loading
        list.setSelected(1, true);
        tvtest::tick(f);
        // The function's answers reach the commands (a few of them).
        QVERIFY(tvtest::part(f, "mnusavepoptrgt").isEnabled() && tvtest::button(f, "hide_br").isEnabled());
        QVERIFY(!tvtest::button(f, "fwd").isEnabled() && !tvtest::part(f, "mnufileopen").isEnabled());
        QCOMPARE(statusPanel(), QStringLiteral("Loading link..."));
        page->fireDocumentComplete();
        QCOMPARE(statusPanel(), tv::idleBanner());
        // A hint goes back to the banner, but stays while the pointer is on
        // the toolbar, its right edge included; an edge is no button's.
        QToolBar &bar = tvtest::toolbar1(f);
        const QRect back = tvtest::button(f, "back").geometry();
        const QRect fwd = tvtest::button(f, "fwd").geometry();
        const QString previous = QStringLiteral("Open previous link in browser");
        const std::pair<int, QString> moves[] = {
            {back.left(), tv::idleBanner()},
            {back.left() + 1, previous},
            {fwd.left() + fwd.width(), previous},
            {fwd.left() + fwd.width() - 1, QStringLiteral("Open next link in browser")},
            {back.left() - 2, QString()},      // the separator before "back"
            {bar.width() + 50, QString()},     // past every button
        };
        for (const auto &[x, text] : moves) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 1), bar.mapToGlobal(QPointF(x, 1)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&bar, &move);
            QCOMPARE(statusPanel(), text);
        }
        QTest::mouseMove(&bar, QPoint(bar.width() - 1, 1));
        QCursor::setPos(bar.mapToGlobal(QPoint(bar.width(), 1)));
        tvtest::tick(f);
        QCOMPARE(statusPanel(), QString());
        QCursor::setPos(5000, 5000);
        tvtest::tick(f);
        QCOMPARE(statusPanel(), tv::idleBanner());
    }

    void slideshowRefusesClicksOnTheList()
    {
        Form1 &f = loadForm(2);
        tv::LinkList &list = tvtest::list1(f);
        list.setListIndex(0);
        tvtest::button(f, "slideshow").setValue(1);
        emit list.doubleClicked(QPoint(1, 1));
        emit list.mouseReleased(Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        emit list.mouseReleased(Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
        QVERIFY(m_fx->boxes.shown().size() == 2 && m_fx->boxes.shown().first().title == "Slideshow in Progress");
        QVERIFY(m_fx->browser.created.isEmpty());
    }

    void openSelectedLinkOpensTheItemUnderThePointer()
    {
        // Which window is adopted is the real-browser viewer test's table.
        auto page = m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/one"));
        Form1 &f = shownForm();
        tv::LinkList &list = tvtest::list1(f);
        list.AppendMany(links(3));
        const QRect item1 = list.visualRect(list.model()->index(1, 0));
        QCursor::setPos(list.viewport()->mapToGlobal(item1.center()));
        list.setListIndex(0);
        tvtest::tick(f);
        tvtest::trigger(f, "mnufileopen");
        QVERIFY(page->navigations == QStringList{links(3).at(1)} && page->m_visible);
        tvtest::tick(f);
        QVERIFY(tvtest::button(f, "hide_br").isEnabled());
        page->fireQuit(); // closed by the user: forgotten
        tvtest::tick(f);
        QVERIFY(!tvtest::button(f, "hide_br").isEnabled());
        // Not opened by the program: closing asks nothing.
        f.close();
        QVERIFY(m_fx->boxes.shown().isEmpty());
    }

    void previousAndNext()
    {
        // selected, focus, button: the one link opened and left selected.
        const std::tuple<QList<int>, int, const char *, int> rows[] = {{{0, 3}, 2, "back", 1}, {{0, 1, 2}, 1, "fwd", 2}};
        for (const auto &[selected, focus, key, opened] : rows) {
            init();
            auto page = m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/one"));
            Form1 &f = loadForm(4);
            tv::LinkList &list = tvtest::list1(f);
            for (int i : selected)
                list.setSelected(i, true);
            list.setListIndex(focus);
            tvtest::press(f, key);
            QVERIFY(list.ListIndex() == opened && list.SelCount() == 1 && list.Selected(opened));
            QCOMPARE(page->navigations, QStringList{links(4).at(opened)});
        }
    }

    void browserThatCannotStart()
    {
        // One message, and the window as it was.
        m_fx->browser.failCreate = true;
        Form1 &f = loadForm(2);
        tvtest::list1(f).setListIndex(0);
        emit tvtest::list1(f).enterPressed();
        QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->boxes.shown().last().icon == tv::MsgIcon::Critical);
        tvtest::tick(f);
        QVERIFY(!QApplication::overrideCursor() && statusPanel() == tv::idleBanner());
        QVERIFY(tvtest::formEnabled(f) && !tvtest::button(f, "hide_br").isEnabled() && tvtest::list1(f).ListCount() == 2);
    }

    void tourOpensAWindowOfItsOwn()
    {
        m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/open")); // never taken for the tour
        Form1 &f = loadForm();
        tvtest::trigger(f, "mnuhelptour");
        tvtest::trigger(f, "mnuhelptour"); // the same window again
        QCOMPARE(m_fx->browser.created.size(), 1);
        auto tour = m_fx->browser.created.first();
        tvtest::tick(f);
        QVERIFY(tour->navigations.size() == 2 && tour->m_visible && !tvtest::button(f, "hide_br").isEnabled());
        tour->fireQuit();
        // Forgotten: closing asks nothing.
        f.close();
        QVERIFY(m_fx->boxes.shown().isEmpty());
    }

    void closeAsksOnlyWhenABrowserWasOpened()
    {
        // opened, the answer: how often the viewer quits. A harvest still
        // running always ends with the window.
        for (const auto &[opened, answer, viewerQuits] : {std::tuple{false, tv::MsgResult::Yes, 0},
                                                         {true, tv::MsgResult::Yes, 1},
                                                         {true, tv::MsgResult::No, 0}}) {
            init();
            if (!opened)
                m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/open")); // adopted
            Form1 &f = loadForm(1);
            tv::LinkList &list = tvtest::list1(f);
            list.setListIndex(0);
            emit list.enterPressed();
            auto viewer = opened ? m_fx->browser.created.first() : m_fx->browser.windows.first();
            list.Clear();
            emit list.textDropped(QStringLiteral("http://127.0.0.1/page")); // a build that goes on loading
            auto harvest = m_fx->browser.harvests.last().lock();
            m_fx->boxes.answer(answer);
            QSignalSpy unloaded(&f, &Form1::unloaded);
            f.close();
            QCOMPARE(QList<qsizetype>({m_fx->boxes.shown().size(), viewer->quitCalls, harvest->quitCalls, unloaded.size()}),
                     QList<qsizetype>({opened ? 1 : 0, viewerQuits, 1, 1}));
            QVERIFY(!tvtest::part<QTimer>(f, "Timer1").isActive());
        }
    }

    void handOvers()
    {
        Form1 &f = loadForm();
        // An empty address only brings the window back.
        f.showMinimized();
        f.receiveHandOver(QString());
        QVERIFY(!f.isMinimized());
        // An address goes to the build (which finds no browser window showing it).
        f.receiveHandOver(links(1).first());
        QTRY_COMPARE(m_fx->boxes.shown().size(), 1);
    }
};

TV_TEST_MAIN(TestForm1)
#include "tst_mainwindow.moc"
