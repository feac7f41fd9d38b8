#include "app/form1.h"
#include "builders/filters.h"
#include "builders/form3.h"
#include "builders/form5.h"
#include "support/fakebrowser.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>

using namespace tv;

class TestForm3 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void enabling();
    void add_data();
    void add();
    void deleteRemovesSelectedEntry();
    void saveRenumbersFromZero();
    void cancelChangesNothing();
    void menuAfterDialog_data();
    void menuAfterDialog();
    void applyFiltersToggleIsStored();
    void urlDialogTellsFilterState();

private:
    QStringList storedKeys() const;
    void add(Form3 &dialog, const QString &description, const QString &extension);

    std::unique_ptr<tvtest::MainWindowFixture> m_fixture;
    tvtest::MessageBoxScript *m_boxes = nullptr;
    tvtest::FakeBrowserComponent *m_browser = nullptr;
    Form1 *m_form = nullptr;
};

void TestForm3::init()
{
    m_fixture = std::make_unique<tvtest::MainWindowFixture>(false);
    m_boxes = &m_fixture->boxes;
    m_browser = &m_fixture->browser;
    m_form = m_fixture->form.get();
}

void TestForm3::cleanup()
{
    m_fixture.reset();
}

QStringList TestForm3::storedKeys() const
{
    QSettings ini(m_form->settings().fileName(), QSettings::IniFormat);
    ini.beginGroup("File Types");
    QStringList keys = ini.childKeys();
    std::sort(keys.begin(), keys.end(), naturalLess);
    return keys;
}

void TestForm3::add(Form3 &dialog, const QString &description, const QString &extension)
{
    dialog.Text1->setText(description);
    dialog.Text2->setText(extension);
    dialog.Command1_Click();
}

void TestForm3::enabling()
{
    Filters::save(m_form->settings(), {"Pictures - jpg"});
    Form3 dialog(m_form);
    QVERIFY(dialog.Command2->isDefault());
    QVERIFY(!dialog.Command1->isEnabled());
    QVERIFY(!dialog.Command4->isEnabled());
    dialog.Text1->setText("d");
    dialog.Timer1_Timer();
    QVERIFY(!dialog.Command1->isEnabled());
    dialog.Text2->setText("e");
    QTRY_VERIFY(dialog.Command1->isEnabled());
    dialog.Text1->clear();
    QTRY_VERIFY(!dialog.Command1->isEnabled());
    dialog.List1->setCurrentRow(0);
    QTRY_VERIFY(dialog.Command4->isEnabled());
}

void TestForm3::add_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("duplicate");

    QTest::newRow("new-type-added") << QStringList{"Pictures - jpg"} << "Movies" << "avi" << QString();
    QTest::newRow("same-extension-refused") << QStringList{"Pictures - jpg"} << "Photos" << "jpg" << "jpg";
    QTest::newRow("case-differs-accepted") << QStringList{"Pictures - jpg"} << "Photos" << "JPG" << QString();
    QTest::newRow("same-description-other-extension")
        << QStringList{"Pictures - jpg"} << "Pictures" << "png" << QString();
    // The description's own " - " moves the separator: "old - jpg" is new.
    QTest::newRow("separator-in-description")
        << QStringList{"Pictures - jpg"} << "Pics - old" << "jpg" << QString();
    QTest::newRow("later-entry-matches") << QStringList{"A - a", "B - b"} << "C" << "b" << "b";
}

void TestForm3::add()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, description);
    QFETCH(QString, extension);
    QFETCH(QString, duplicate);

    Filters::save(m_form->settings(), existing);
    Form3 dialog(m_form);
    add(dialog, description, extension);
    const QString entry = description + " - " + extension;
    if (duplicate.isNull()) {
        QVERIFY(m_boxes->shown().isEmpty());
        QCOMPARE(dialog.entries(), existing + QStringList{entry});
        QVERIFY(dialog.Text1->text().isEmpty());
        QVERIFY(dialog.Text2->text().isEmpty());
    } else {
        QCOMPARE(m_boxes->shown().size(), 1);
        const MessageBoxRequest box = m_boxes->shown().first();
        QCOMPARE(box.title, QStringLiteral("Duplicate Type"));
        QCOMPARE(box.text, QStringLiteral("You already have the type \"%1\" in the list.").arg(duplicate));
        QCOMPARE(box.icon, MsgIcon::Information);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QCOMPARE(dialog.entries(), existing);
        QCOMPARE(dialog.Text1->text(), description);
        QCOMPARE(dialog.Text2->text(), extension);
    }
}

void TestForm3::deleteRemovesSelectedEntry()
{
    Filters::save(m_form->settings(), {"A - a", "B - b", "C - c"});
    Form3 dialog(m_form);
    dialog.Command4_Click();
    QCOMPARE(dialog.List1->count(), 3);
    dialog.List1->setCurrentRow(1);
    dialog.Command4_Click();
    QCOMPARE(dialog.entries(), QStringList({"A - a", "C - c"}));
    // No current entry afterwards, so Delete is off until one is picked.
    QTRY_VERIFY(!dialog.Command4->isEnabled());
    dialog.Command4_Click();
    QCOMPARE(dialog.entries(), QStringList({"A - a", "C - c"}));
}

void TestForm3::saveRenumbersFromZero()
{
    Filters::save(m_form->settings(), {"A - a", "B - b", "C - c"});
    Form3 dialog(m_form);
    dialog.List1->setCurrentRow(0);
    dialog.Command4_Click();
    add(dialog, "D", "d");
    dialog.Command2->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedKeys(), QStringList({"Type 0", "Type 1", "Type 2"}));
    QCOMPARE(Filters::load(m_form->settings()), QStringList({"B - b", "C - c", "D - d"}));
    QCOMPARE(m_form->ftypes, QStringList({"b", "c", "d"}));
}

void TestForm3::cancelChangesNothing()
{
    Filters::save(m_form->settings(), {"A - a", "B - b"});
    m_form->ftypes = QStringList{"a", "b"};
    Form3 dialog(m_form);
    add(dialog, "C", "c");
    dialog.List1->setCurrentRow(0);
    dialog.Command4_Click();
    dialog.Command3->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(Filters::load(m_form->settings()), QStringList({"A - a", "B - b"}));
    QCOMPARE(m_form->ftypes, QStringList({"a", "b"}));
}

void TestForm3::menuAfterDialog_data()
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

void TestForm3::menuAfterDialog()
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

void TestForm3::applyFiltersToggleIsStored()
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

void TestForm3::urlDialogTellsFilterState()
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

TV_TEST_MAIN(TestForm3)
#include "tst_form3.moc"
