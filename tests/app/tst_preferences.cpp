// "Program Preferences" from the main window: what "Save" stores and sets and
// that the on-top change shows at once and at the next start, that "Cancel"
// changes nothing; its help.
#include "app/mainwindow.h"
#include "settings/preferencesdialog.h"
#include "support/mainwindowfixture.h"
#include "winsupport/helpwindow.h"

#include <QRadioButton>

using tv::Form12;

namespace {

QString stored(const char *key)
{
    return tv::CRegSettings::program().GetSetting(QStringLiteral("Options"), QLatin1String(key), QStringLiteral("-"));
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

    // Opens the preferences from the menu of a loaded window; `act` handles the dialog.
    tv::Form1 &runPreferences(const std::function<void(Form12 *)> &act)
    {
        if (!m_fx->form->isVisible())
            m_fx->form->Form_Load();
        tvtest::whenModal([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<Form12 *>(modal))
                act(dialog);
        });
        m_fx->form->mnuopoptions_Click();
        return *m_fx->form;
    }

private slots:
    void init() { m_fx = std::make_unique<tvtest::MainWindowFixture>(false); }
    void cleanup()
    {
        m_fx.reset();
        delete tv::HelpWindow::instance();
    }

    void saveStoresAndSets()
    {
        // ontop, newwin, owaction: what is stored under On Top, New Window,
        // Overwrite Action.
        for (const auto &[ontop, newwin, owaction, texts] : {std::tuple{false, false, 0, "False 0 0"},
                                                             {true, true, 3, "True 1 3"}}) {
            tv::Form1 &form = runPreferences([&](Form12 *dialog) {
                QVERIFY(!topmost(*m_fx->form)); // out of the topmost layer while open
                dialog->chkontop->setChecked(ontop);
                dialog->oplnkopen[newwin ? 0 : 1]->setChecked(true);
                dialog->opowaction[owaction]->setChecked(true);
                QTest::mouseClick(dialog->Command1, Qt::LeftButton);
            });
            QCOMPARE(QStringList({stored("On Top"), stored("New Window"), stored("Overwrite Action")}).join(u' '),
                     QLatin1String(texts));
            QCOMPARE(form.ontop, ontop);
            QCOMPARE(form.newwin, newwin);
            QCOMPARE(form.owaction, owaction);
            QCOMPARE(topmost(form), ontop);
            m_fx->reopen();
            QCOMPARE(topmost(*m_fx->form), ontop);
        }
    }

    void cancelChangesNothing()
    {
        tv::Form1 &form = runPreferences([](Form12 *dialog) {
            dialog->chkontop->setChecked(false);
            dialog->oplnkopen[0]->setChecked(true);
            dialog->opowaction[3]->setChecked(true);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(stored("On Top"), QStringLiteral("-"));
        QVERIFY(form.ontop && !form.newwin && form.owaction == 0);
        QVERIFY(topmost(form));
    }

    void help()
    {
        tv::Form1 &form = runPreferences([](Form12 *dialog) {
            QTest::mouseClick(dialog->Command3, Qt::LeftButton);
            QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("topic6.html"));
            QVERIFY(dialog->isVisible());
            dialog->Command2_Click();
        });
        // The toolbar's help button is the menu's command.
        form.Toolbar1_ButtonClick(QStringLiteral("help"));
        QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("index.html"));
    }
};

TV_TEST_MAIN(TestForm12)
#include "tst_preferences.moc"
