#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "settings/settingsstore.h"
#include "support/testenv.h"

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

private:
    QStringList storedKeys() const;
    void add(Form3 &dialog, const QString &description, const QString &extension);

    CRegSettings m_settings = CRegSettings::program();
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;
};

void TestForm3::init()
{
    QFile::remove(m_settings.fileName());
    m_boxes = std::make_unique<tvtest::MessageBoxScript>();
}

void TestForm3::cleanup()
{
    m_boxes.reset();
}

QStringList TestForm3::storedKeys() const
{
    QSettings ini(m_settings.fileName(), QSettings::IniFormat);
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
    Filters::save(m_settings, {"Pictures - jpg"});
    Form3 dialog(m_settings);
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

    Filters::save(m_settings, existing);
    Form3 dialog(m_settings);
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
    Filters::save(m_settings, {"A - a", "B - b", "C - c"});
    Form3 dialog(m_settings);
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
    Filters::save(m_settings, {"A - a", "B - b", "C - c"});
    Form3 dialog(m_settings);
    dialog.List1->setCurrentRow(0);
    dialog.Command4_Click();
    add(dialog, "D", "d");
    dialog.Command2->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedKeys(), QStringList({"Type 0", "Type 1", "Type 2"}));
    QCOMPARE(Filters::load(m_settings), QStringList({"B - b", "C - c", "D - d"}));
}

void TestForm3::cancelChangesNothing()
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

TV_TEST_MAIN(TestForm3)
#include "tst_filtersdialog.moc"
