// "Manage Filters": enabling, adding with the duplicate rule, deleting, and
// what "Save" and "Cancel" leave in the store.
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
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;

    static void add(Form3 &dialog, const QString &description, const QString &extension)
    {
        dialog.Text1->setText(description);
        dialog.Text2->setText(extension);
        dialog.Command1_Click();
    }

private slots:
    void init()
    {
        QFile::remove(m_settings.fileName());
        m_boxes = std::make_unique<tvtest::MessageBoxScript>();
    }
    void cleanup() { m_boxes.reset(); }

    void enabling()
    {
        Filters::save(m_settings, {"Pictures - jpg"});
        Form3 dialog(m_settings);
        QVERIFY(dialog.Command2->isDefault());
        QVERIFY(!dialog.Command1->isEnabled());
        QVERIFY(!dialog.Command4->isEnabled());
        dialog.Text1->setText("d");
        dialog.Text2->setText("e");
        QTRY_VERIFY(dialog.Command1->isEnabled());
        dialog.List1->setCurrentRow(0);
        QTRY_VERIFY(dialog.Command4->isEnabled());
    }

    void add()
    {
        // The duplicate rule compares extensions exactly; the description's
        // own " - " moves the separator ("old - jpg" is new).
        for (const auto &[description, extension, refused] : {std::tuple{"Movies", "avi", false}, {"Photos", "jpg", true},
                                                              {"Photos", "JPG", false}, {"Pics - old", "jpg", false}}) {
            const QStringList existing{"A - a", "Pictures - jpg"};
            Filters::save(m_settings, existing);
            m_boxes->clear();
            Form3 dialog(m_settings);
            add(dialog, QLatin1String(description), QLatin1String(extension));
            QCOMPARE(m_boxes->shown().isEmpty() ? QString() : m_boxes->shown().first().text,
                     refused ? QStringLiteral("You already have the type \"jpg\" in the list.") : QString());
            QCOMPARE(dialog.entries(), refused ? existing : existing + QStringList{QStringLiteral("%1 - %2").arg(description, extension)});
            QCOMPARE(dialog.Text2->text(), refused ? QLatin1String(extension) : QString());
        }
    }

    void deleteAndSave()
    {
        Filters::save(m_settings, {"A - a", "B - b", "C - c"});
        Form3 dialog(m_settings);
        dialog.Command4_Click(); // nothing picked: nothing goes
        dialog.List1->setCurrentRow(0);
        dialog.Command4_Click();
        // No current entry afterwards, so Delete is off until one is picked.
        QTRY_VERIFY(!dialog.Command4->isEnabled());
        add(dialog, "D", "d");
        dialog.Command2->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Filters::load(m_settings), QStringList({"B - b", "C - c", "D - d"}));
    }

    void cancelChangesNothing()
    {
        Filters::save(m_settings, {"A - a", "B - b"});
        Form3 dialog(m_settings);
        add(dialog, "C", "c");
        dialog.List1->setCurrentRow(0);
        dialog.Command4_Click();
        dialog.Command3->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Filters::load(m_settings), QStringList({"A - a", "B - b"}));
    }
};

TV_TEST_MAIN(TestForm3)
#include "tst_filtersdialog.moc"
