// "Program Preferences": what it shows, what "Save" stores and sets, that
// "Cancel" changes nothing, and that the on-top change shows at once; help,
// About and the maker's page from the main window.
#include "app/mainwindow.h"
#include "platform/desktopservices.h"
#include "settings/settingsstore.h"
#include "settings/preferencesdialog.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "winsupport/aboutdialog.h"
#include "winsupport/helpwindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>

#include <functional>
#include <memory>

using tv::Form12;
using tv::Preferences;

namespace {

QString stored(const QString &key)
{
    return tv::CRegSettings::program().GetSetting(QStringLiteral("Options"), key, QStringLiteral("<none>"));
}

bool topmost(const QWidget &w)
{
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

class TestForm12 : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;

    tv::Form1 &loadMainWindow()
    {
        m_fx->form->Form_Load();
        return *m_fx->form;
    }

    // Opens the preferences from the menu; `act` handles the dialog.
    void runPreferences(const std::function<void(Form12 *)> &act)
    {
        bool seen = false;
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<Form12 *>(modal);
            seen = dialog != nullptr;
            if (!dialog) {
                modal->close();
                return;
            }
            act(dialog);
        });
        m_fx->form->mnuopoptions_Click();
        QVERIFY(seen);
    }

private slots:
    void init()
    {
        m_fx = std::make_unique<tvtest::MainWindowFixture>(false);
    }
    void cleanup()
    {
        m_fx.reset();
        delete tv::HelpWindow::instance();
    }

    void firstRunState()
    {
        tv::Form1 &form = loadMainWindow();
        runPreferences([&](Form12 *dialog) {
            QVERIFY(dialog->chkontop->isChecked());
            QVERIFY(!dialog->oplnkopen[0]->isChecked());
            QVERIFY(dialog->oplnkopen[1]->isChecked());
            QVERIFY(dialog->opowaction[0]->isChecked());
            QVERIFY(!topmost(form));
            dialog->Command2_Click();
        });
        QVERIFY(topmost(form));
    }

    void saveStoresAndSets_data()
    {
        QTest::addColumn<bool>("ontop");
        QTest::addColumn<bool>("newwin");
        QTest::addColumn<int>("owaction");
        QTest::addColumn<QString>("onTopText");
        QTest::addColumn<QString>("newWindowText");
        QTest::addColumn<QString>("actionText");
        QTest::newRow("on-top-off") << false << false << 0 << "False" << "0" << "0";
        QTest::newRow("on-top-on") << true << false << 0 << "True" << "0" << "0";
        QTest::newRow("new-window") << true << true << 0 << "True" << "1" << "0";
        QTest::newRow("overwrite") << true << false << 1 << "True" << "0" << "1";
        QTest::newRow("skip-file") << true << false << 2 << "True" << "0" << "2";
        QTest::newRow("unique-name") << false << true << 3 << "False" << "1" << "3";
    }
    void saveStoresAndSets()
    {
        QFETCH(bool, ontop);
        QFETCH(bool, newwin);
        QFETCH(int, owaction);
        QFETCH(QString, onTopText);
        QFETCH(QString, newWindowText);
        QFETCH(QString, actionText);
        tv::Form1 &form = loadMainWindow();
        // Start from the opposite of every choice, so each one is a change.
        form.ontop = !ontop;
        form.newwin = !newwin;
        form.owaction = (owaction + 1) % 4;
        form.applyZOrder(form.ontop);
        runPreferences([&](Form12 *dialog) {
            dialog->chkontop->setChecked(ontop);
            dialog->oplnkopen[newwin ? 0 : 1]->setChecked(true);
            dialog->opowaction[owaction]->setChecked(true);
            QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        });
        QCOMPARE(stored(QStringLiteral("On Top")), onTopText);
        QCOMPARE(stored(QStringLiteral("New Window")), newWindowText);
        QCOMPARE(stored(QStringLiteral("Overwrite Action")), actionText);
        QCOMPARE(form.ontop, ontop);
        QCOMPARE(form.newwin, newwin);
        QCOMPARE(form.owaction, owaction);
        // The new on-top state is in force as soon as the dialog has closed.
        QCOMPARE(topmost(form), ontop);
    }

    void onTopOffHoldsForTheNextStart()
    {
        tv::Form1 &form = loadMainWindow();
        QVERIFY(topmost(form));
        runPreferences([&](Form12 *dialog) {
            dialog->chkontop->setChecked(false);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QVERIFY(!topmost(form));
        m_fx->reopen();
        tv::Form1 &next = *m_fx->form;
        QVERIFY(!next.ontop);
        QVERIFY(!topmost(next));
    }

    void cancelAfterChangingEverything()
    {
        tv::Form1 &form = loadMainWindow();
        form.newwin = false;
        form.owaction = 1;
        runPreferences([&](Form12 *dialog) {
            dialog->chkontop->setChecked(false);
            dialog->oplnkopen[0]->setChecked(true);
            dialog->opowaction[3]->setChecked(true);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(stored(QStringLiteral("On Top")), QStringLiteral("<none>"));
        QCOMPARE(stored(QStringLiteral("New Window")), QStringLiteral("<none>"));
        QCOMPARE(stored(QStringLiteral("Overwrite Action")), QStringLiteral("<none>"));
        QVERIFY(form.ontop);
        QVERIFY(!form.newwin);
        QCOMPARE(form.owaction, 1);
        // The z-order comes back from the unchanged member.
        QVERIFY(topmost(form));
    }

    void actionOutsideTheOptions()
    {
        // A hand-edited "Overwrite Action" of 7: no option shows it, and
        // "Save" neither stores nor changes it.
        tv::CRegSettings::program().SaveSetting(QStringLiteral("Options"), QStringLiteral("Overwrite Action"), QStringLiteral("7"));
        tv::Form1 &form = loadMainWindow();
        QCOMPARE(form.owaction, 7);
        runPreferences([&](Form12 *dialog) {
            for (QRadioButton *option : dialog->opowaction)
                QVERIFY(!option->isChecked());
            dialog->Command1_Click();
        });
        QCOMPARE(form.owaction, 7);
        QCOMPARE(stored(QStringLiteral("Overwrite Action")), QStringLiteral("7"));
        QCOMPARE(stored(QStringLiteral("On Top")), QStringLiteral("True"));
    }

    void helpOpensTopicSix()
    {
        loadMainWindow();
        runPreferences([&](Form12 *dialog) {
            QTest::mouseClick(dialog->Command3, Qt::LeftButton);
            tv::HelpWindow *help = tv::HelpWindow::instance();
            QVERIFY(help);
            QVERIFY(help->isVisible());
            QCOMPARE(help->source().fileName(), QStringLiteral("topic6.html"));
            QCOMPARE(help->pageTitle(), QStringLiteral("Program Preferences"));
            // The dialog stays open.
            QVERIFY(dialog->isVisible());
            dialog->Command2_Click();
        });
    }

    void moreFreeSoftware()
    {
        tv::Form1 &form = loadMainWindow();
        QStringList opened;
        const tv::ShellOpener previous = tv::setShellOpener([&](QWidget *, const QString &target) {
            opened.append(target);
            return 42L;
        });
        form.mnuhelpfreesoft->trigger();
        tv::setShellOpener(previous);
        QCOMPARE(opened, QStringList{tv::MakerHomePage()});
    }

    void aboutFromTheMenu()
    {
        tv::Form1 &form = loadMainWindow();
        bool seen = false;
        tvtest::whenModal([&](QWidget *modal) {
            seen = qobject_cast<tv::FrmAbt *>(modal) && modal->parentWidget() == &form;
            modal->close();
        });
        form.mnuHelpAbt_Click();
        QVERIFY(seen);
    }

    void mainWindowContents()
    {
        tv::Form1 &form = loadMainWindow();
        form.mnuHelpCont_Click();
        QVERIFY(tv::HelpWindow::instance());
        QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("index.html"));
        emit tv::HelpWindow::instance()->browser->anchorClicked(QUrl(QStringLiteral("topic6.html")));
        // The toolbar's help button is the same command.
        form.Toolbar1_ButtonClick(QStringLiteral("help"));
        QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("index.html"));
    }
};

TV_TEST_MAIN(TestForm12)
#include "tst_preferences.moc"
