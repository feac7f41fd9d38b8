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
        m_fx->form->List1->AppendMany(::links(links));
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
        m_fx->form->findChild<QAction *>(QStringLiteral("mnuopoptions"))->trigger();
        return p;
    }
    QString statusPanel() const { return m_fx->form->sbStatusBar->Panels(QStringLiteral("pnlStatus"))->Text(); }

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
            QCOMPARE(QStringLiteral("%1 %2 | %3 %4 %5 %6").arg(QString::number(f.mnuopappfilt->isEnabled()), QString::number(f.mnuopappfilt->isChecked()),
                         QString::number(p.owaction), QString::number(p.ontop), QString::number(p.newwin), QString::number(f.mnuopmedia->isChecked())),
                     QLatin1String(loaded));
            QVERIFY(topmost(f) == p.ontop);
            QVERIFY(f.minimumSize() == f.size() && f.Timer1->isActive());
        }
        // The menu item turns the option over and stores it.
        m_fx->form->mnuopmedia->trigger();
        QCOMPARE(tv::CRegSettings::program().GetSetting("Options", "Include Media"), QStringLiteral("1"));
        // The bundled pictures stand in for a theme that has none.
        QVERIFY(!m_fx->form->Buttons(QStringLiteral("list_url"))->icon().pixmap(24, 24).isNull());
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
            form.mnuopoptions_Click();
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
        Form1 &form = loadForm();
        QVERIFY(!form.settings().SaveSetting("Options", "On Top", "False"));
        QVERIFY(!form.settings().SaveSetting("Filters", "Apply Filters", "1"));
        QVERIFY(QFile::remove(folder));
        QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->boxes.shown().first().text.contains(folder));
    }

    void modalDialogLeavesTheTopmostLayerWhileOpen()
    {
        Form1 &f = shownForm();
        QDialog dialog;
        bool topmostWhileOpen = true, visibleWhileOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            std::tie(topmostWhileOpen, visibleWhileOpen) = std::pair(topmost(f), f.isVisible());
            dialog.accept();
        });
        QCOMPARE(f.showModal(&dialog), int(QDialog::Accepted));
        // The window is not re-created (hidden and shown) to change layers.
        QVERIFY(!topmostWhileOpen && visibleWhileOpen && topmost(f) && dialog.parentWidget() == &f);
    }

    // Every command that adds links goes through these two.
    void listFull()
    {
        Form1 &f = loadForm(tv::LinkList::MaxItems - 2);
        QCOMPARE(tv::appendWhatFits(*f.List1, links(3, QStringLiteral("http://new/")), 7), qint64(5));
        QCOMPARE(f.List1->Items().mid(tv::LinkList::MaxItems - 2), QStringList({"http://new/0", "http://new/1"}));
        QCOMPARE(tv::appendWhatFits(*f.List1, {QString()}, 1), qint64(1));
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
        Form1 &f = loadForm(3);
        f.List1->setListIndex(2);
        f.List1->setSelected(1, true);
        f.webbrowser1 = m_fx->browser.createWindow();
        f.setStatus(QStringLiteral("Done something."));
        f.Timer1_Timer();
        // The function's answers reach the commands (a few of them).
        QVERIFY(f.mnusavepoptrgt->isEnabled() && f.Buttons(QStringLiteral("hide_br"))->isEnabled());
        QVERIFY(!f.Buttons(QStringLiteral("fwd"))->isEnabled() && !f.mnufileopen->isEnabled());
        // The panel goes back to the banner; the stored status stays.
        QVERIFY(statusPanel() == tv::idleBanner() && f.Status() == "Done something.");
        for (const QString &kept : {QStringLiteral("Slideshow in progress."), QStringLiteral("Loading link...")}) {
            f.setStatus(kept);
            f.Timer1_Timer();
            QCOMPARE(statusPanel(), kept);
        }
        // Any text stays while the pointer is on the toolbar, its right edge included.
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseMove(f.Toolbar1, QPoint(f.Toolbar1->width() - 1, 1));
        QCursor::setPos(f.Toolbar1->mapToGlobal(QPoint(f.Toolbar1->width(), 1)));
        f.setStatus(QStringLiteral("Done something."));
        f.Timer1_Timer();
        QCOMPARE(statusPanel(), QStringLiteral("Done something."));
    }

    void toolbarHintsBetweenButtonEdges()
    {
        // x, the panel after the move: an edge is no button's, so the panel keeps what it had.
        Form1 &f = shownForm();
        const QRect back = f.Buttons(QStringLiteral("back"))->geometry();
        const QRect fwd = f.Buttons(QStringLiteral("fwd"))->geometry();
        const QString previous = QStringLiteral("Open previous link in browser");
        f.setStatus(QStringLiteral("Done something."));
        const std::pair<int, QString> moves[] = {
            {back.left(), f.Status()},
            {back.left() + 1, previous},
            {fwd.left() + fwd.width(), previous},
            {fwd.left() + fwd.width() - 1, QStringLiteral("Open next link in browser")},
            {back.left() - 2, QString()},              // the separator before "back"
            {f.Toolbar1->width() + 50, QString()},     // past every button
        };
        for (const auto &[x, panel] : moves) {
            f.Toolbar1_MouseMove(x);
            QCOMPARE(statusPanel(), panel);
        }
        QCOMPARE(f.Status(), QStringLiteral("Done something."));
    }

    void slideshowRefusesClicksOnTheList()
    {
        Form1 &f = loadForm(2);
        f.List1->setListIndex(0);
        f.Buttons(QStringLiteral("slideshow"))->setValue(1);
        f.List1_DblClick();
        f.List1_MouseUp(Qt::LeftButton, Qt::NoModifier, 1, 1);
        f.List1_MouseUp(Qt::RightButton, Qt::NoModifier, 1, 1);
        QVERIFY(m_fx->boxes.shown().size() == 2 && m_fx->boxes.shown().first().title == "Slideshow in Progress");
        QVERIFY(m_fx->browser.created.isEmpty());
    }

    void openSelectedLinkOpensTheItemUnderThePointer()
    {
        // Which window is adopted is the real-browser viewer test's table.
        auto page = m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/one"));
        Form1 &f = shownForm();
        f.List1->AppendMany(links(3));
        const QRect item1 = f.List1->visualRect(f.List1->model()->index(1, 0));
        QCursor::setPos(f.List1->viewport()->mapToGlobal(item1.center()));
        f.mnufileopen_Click();
        QVERIFY(page->navigations == QStringList{links(3).at(1)} && f.webbrowser1 == page && page->m_visible && !f.openedone && !f.openRequest());
        page->fireQuit(); // closed by the user: forgotten
        QVERIFY(!f.webbrowser1);
    }

    void previousAndNext()
    {
        // selected, focus, button: the one link opened and left selected.
        // Previous on the first and next on the last reopen it.
        const std::tuple<QList<int>, int, const char *, int> rows[] = {
            {{0, 3}, 0, "back", 0}, {{3}, 3, "fwd", 3}, {{0, 1, 2}, 1, "fwd", 2}};
        for (const auto &[selected, focus, key, opened] : rows) {
            init();
            auto page = m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/one"));
            Form1 &f = loadForm(4);
            for (int i : selected)
                f.List1->setSelected(i, true);
            f.List1->setListIndex(focus);
            f.Toolbar1_ButtonClick(QLatin1String(key));
            QVERIFY(f.List1->ListIndex() == opened && f.List1->SelCount() == 1 && f.List1->Selected(opened));
            QCOMPARE(page->navigations, QStringList{links(4).at(opened)});
        }
    }

    void browserThatCannotStart()
    {
        // One message, and the window as it was.
        m_fx->browser.failCreate = true;
        Form1 &f = loadForm(2);
        QVERIFY(!f.openLink(f.List1->List(0)));
        QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->boxes.shown().last().icon == tv::MsgIcon::Critical);
        QVERIFY(!QApplication::overrideCursor() && f.Status() == tv::idleBanner());
        QVERIFY(f.FormEnabled() && !f.webbrowser1 && !f.openedone && f.List1->ListCount() == 2);
    }

    void tourOpensAWindowOfItsOwn()
    {
        m_fx->browser.addWindow(QStringLiteral("http://127.0.0.1/open")); // never taken for the tour
        Form1 &f = loadForm();
        f.mnuhelptour_Click();
        f.mnuhelptour_Click(); // the same window again
        QCOMPARE(m_fx->browser.created.size(), 1);
        auto tour = m_fx->browser.created.first();
        QVERIFY(tour->navigations.size() == 2 && tour->m_visible && f.webbrowser3 == tour && f.openedone && !f.webbrowser1);
        tour->fireQuit();
        QVERIFY(!f.webbrowser3 && !f.openedone);
    }

    void closeAsksOnlyWhenABrowserWasOpened()
    {
        // opened, the answer: how often the viewer quits. A harvest still
        // running always ends with the window.
        for (const auto &[opened, answer, viewerQuits] : {std::tuple{false, tv::MsgResult::Yes, 0},
                                                         {true, tv::MsgResult::Yes, 1},
                                                         {true, tv::MsgResult::No, 0}}) {
            init();
            Form1 &f = loadForm();
            auto viewer = std::static_pointer_cast<tvtest::FakeBrowserWindow>(m_fx->browser.createWindow());
            f.webbrowser1 = viewer;
            f.openedone = opened;
            f.List1_OLEDragDrop(QStringLiteral("http://127.0.0.1/page")); // a build that goes on loading
            auto harvest = m_fx->browser.harvests.last().lock();
            m_fx->boxes.answer(answer);
            QSignalSpy unloaded(&f, &Form1::unloaded);
            f.close();
            QCOMPARE(QList<qsizetype>({m_fx->boxes.shown().size(), viewer->quitCalls, harvest->quitCalls, unloaded.size()}),
                     QList<qsizetype>({opened ? 1 : 0, viewerQuits, 1, 1}));
            QVERIFY(!f.Timer1->isActive());
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
