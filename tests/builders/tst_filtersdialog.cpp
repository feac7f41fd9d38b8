// "Manage Filters": adding with the duplicate rule, deleting, and what "Save"
// and "Cancel" leave in the store.
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "settings/settingsstore.h"
#include "support/testenv.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <tuple>

using namespace tv;

class TestForm3 : public QObject
{
    Q_OBJECT

    CRegSettings m_settings = CRegSettings::program();

    static void add(Form3 &dialog, const QString &description, const QString &extension)
    {
        dialog.Text1->setText(description);
        dialog.Text2->setText(extension);
        dialog.Command1_Click();
    }

private slots:
    void init() { QFile::remove(m_settings.fileName()); }

    void add()
    {
        // The duplicate rule compares extensions exactly.
        for (const auto &[description, extension, refused] :
             {std::tuple{"Movies", "avi", false}, {"Photos", "jpg", true}, {"Photos", "JPG", false}}) {
            const QStringList existing{"A - a", "Pictures - jpg"};
            Filters::save(m_settings, existing);
            tvtest::MessageBoxScript boxes;
            Form3 dialog(m_settings);
            add(dialog, QLatin1String(description), QLatin1String(extension));
            QCOMPARE(boxes.shown().size(), refused ? 1 : 0);
            QCOMPARE(dialog.entries(), refused ? existing : existing + QStringList{QStringLiteral("%1 - %2").arg(description, extension)});
        }
    }

    void saveOrCancel()
    {
        for (const bool save : {true, false}) {
            Filters::save(m_settings, {"A - a", "B - b", "C - c"});
            Form3 dialog(m_settings);
            dialog.Command4_Click(); // nothing picked: nothing goes
            dialog.List1->setCurrentRow(0);
            dialog.Command4_Click();
            add(dialog, "D", "d");
            (save ? dialog.Command2 : dialog.Command3)->click();
            QCOMPARE(dialog.result(), int(save ? QDialog::Accepted : QDialog::Rejected));
            QCOMPARE(Filters::load(m_settings),
                     save ? QStringList({"B - b", "C - c", "D - d"}) : QStringList({"A - a", "B - b", "C - c"}));
        }
    }

    void enterAddsATypedFilterElseSaves()
    {
        Filters::save(m_settings, {"A - a"});
        Form3 dialog(m_settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.Text1->setFocus();
        QTest::keyClicks(dialog.Text1, "Movies");
        QTest::keyClick(dialog.Text1, Qt::Key_Return); // one field only: Save
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Filters::load(m_settings), QStringList({"A - a"}));

        dialog.Text1->clear();
        dialog.show();
        QTest::keyClicks(dialog.Text1, "Movies");
        QTest::keyClicks(dialog.Text2, "avi");
        dialog.Text2->setFocus();
        QTest::keyClick(dialog.Text2, Qt::Key_Tab); // Tab reaches Add
        QCOMPARE(dialog.focusWidget(), dialog.Command1);
        dialog.Text2->setFocus();
        QTest::keyClick(dialog.Text2, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.entries(), QStringList({"A - a", "Movies - avi"}));
        QTest::keyClick(dialog.Text2, Qt::Key_Enter); // the fields are empty again
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Filters::load(m_settings), QStringList({"A - a", "Movies - avi"}));
    }
};

TV_TEST_MAIN(TestForm3)
#include "tst_filtersdialog.moc"
