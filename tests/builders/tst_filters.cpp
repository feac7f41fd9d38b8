#include "builders/filters.h"
#include "builders/pathpart.h"
#include "platform/runtimeerror.h"
#include "settings/settingsstore.h"
#include "support/testenv.h"

#include <QFile>
#include <QSettings>

using namespace tv;

class TestFilters : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void extensionOf_data();
    void extensionOf();
    void pathPart_data();
    void pathPart();
    void matches_data();
    void matches();
    void saveWritesWholeSection();
    void loadKeepsStoredOrder();
    void applyFilters_data();
    void applyFilters();

private:
    CRegSettings m_settings;
};

void TestFilters::init()
{
    QFile::remove(m_settings.fileName());
}

void TestFilters::extensionOf_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("extension");
    QTest::newRow("plain") << "Pictures - jpg" << "jpg";
    QTest::newRow("first-separator-only") << "Pics - old - jpg" << "old - jpg";
    QTest::newRow("kept-as-typed") << "Raw -  .JPG " << " .JPG ";
    QTest::newRow("empty-extension") << "Nothing - " << "";
    QTest::newRow("no-separator-taken-whole") << "jpg" << "jpg";
    QTest::newRow("dash-without-blanks-is-no-separator") << "a-b" << "a-b";
}

void TestFilters::extensionOf()
{
    QFETCH(QString, entry);
    QFETCH(QString, extension);
    QCOMPARE(Filters::extensionOf(entry), extension);
}

void TestFilters::pathPart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("parts"); // drive, folder, name, extension
    QTest::newRow("windows-path") << "C:\\dir\\file.txt" << QStringList{"C:", "\\dir\\", "file", ".txt"};
    QTest::newRow("web-address") << "http://host/dir/pic.gif" << QStringList{"", "", "http://host/dir/pic", ".gif"};
    // No dot after the host: the host's last dot starts the extension.
    QTest::newRow("bare-host-slash") << "http://www.example.com/" << QStringList{"", "", "http://www.example", ".com/"};
    QTest::newRow("only-last-dot") << "http://h/a.b.c/x.tar.gz" << QStringList{"", "", "http://h/a.b.c/x.tar", ".gz"};
    // A dot with nothing after it gives no extension; the next dot is tried.
    QTest::newRow("trailing-dot") << "a.b." << QStringList{"", "", "a", ".b"};
    QTest::newRow("no-dot") << "readme" << QStringList{"", "", "readme", ""};
    QTest::newRow("trailing-backslash") << "C:\\dir\\" << QStringList{"C:", "\\", "dir\\", ""};
    QTest::newRow("drive-only") << "D:" << QStringList{"D:", "", "", ""};
    QTest::newRow("dot-in-folder-only") << "C:\\a.b\\file" << QStringList{"C:", "\\a.b\\", "file", ""};
}

void TestFilters::pathPart()
{
    QFETCH(QString, path);
    QFETCH(QStringList, parts);
    for (int part = 0; part < 4; ++part)
        QCOMPARE(PathPart(path, part), parts.at(part));
    for (const int other : {-1, 4}) {
        try {
            PathPart(path, other);
            QFAIL("no error raised");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.number(), 1L);
        }
    }
}

void TestFilters::matches_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<bool>("passes");
    const QStringList jpg{"jpg"};
    QTest::newRow("same-extension") << "http://h/a.jpg" << jpg << true;
    QTest::newRow("case-differs") << "http://h/a.JPG" << jpg << false;
    QTest::newRow("longer-extension") << "http://h/a.jpeg" << jpg << false;
    QTest::newRow("query-after-extension") << "http://h/a.jpg?x=1" << jpg << false;
    QTest::newRow("no-dot") << "file" << jpg << false;
    // A dot with nothing after it is passed over and cut off.
    QTest::newRow("trailing-dot-falls-back-to-earlier-dot") << "http://h.jpg/a." << QStringList{"jpg/a"} << true;
    QTest::newRow("trailing-dot-no-jpg") << "http://h.jpg/a." << jpg << false;
    QTest::newRow("host-label") << "http://example.com" << QStringList{"com"} << true;
    QTest::newRow("second-member") << "http://h/a.gif" << QStringList{"jpg", "gif"} << true;
    QTest::newRow("no-extension-against-empty-filter") << "file" << QStringList{""} << true;
    QTest::newRow("dot-typed-filter") << "http://h/a.jpg" << QStringList{".jpg"} << false;
}

void TestFilters::matches()
{
    QFETCH(QString, address);
    QFETCH(QStringList, extensions);
    QFETCH(bool, passes);
    QCOMPARE(Filters::matches(address, extensions), passes);
}

void TestFilters::saveWritesWholeSection()
{
    m_settings.SaveSetting("File Types", "Type 0", "Old - a");
    m_settings.SaveSetting("File Types", "Type 7", "Old - b");
    m_settings.SaveSetting("File Types", "Custom", "Old - c");
    Filters::save(m_settings, {"Pictures - jpg", "Movies - avi"});

    QSettings ini(m_settings.fileName(), QSettings::IniFormat);
    ini.beginGroup("File Types");
    QStringList keys = ini.childKeys();
    keys.sort();
    QCOMPARE(keys, QStringList({"Type 0", "Type 1"}));
    QCOMPARE(ini.value("Type 0").toString(), QStringLiteral("Pictures - jpg"));
    QCOMPARE(ini.value("Type 1").toString(), QStringLiteral("Movies - avi"));
    ini.endGroup();

    Filters::save(m_settings, {});
    QVERIFY(m_settings.GetAllSettings("File Types").isEmpty());
    QCOMPARE(Filters::load(m_settings), QStringList());
}

void TestFilters::loadKeepsStoredOrder()
{
    QStringList entries;
    for (int i = 0; i < 12; ++i)
        entries.append(QStringLiteral("Kind %1 - e%1").arg(i));
    Filters::save(m_settings, entries);
    // "Type 10" comes after "Type 9", not after "Type 1".
    QCOMPARE(Filters::load(m_settings), entries);
}

void TestFilters::applyFilters_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("absent-is-off") << QString() << false;
    QTest::newRow("one") << "1" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("other-number") << "-1" << true;
    QTest::newRow("leading-number") << "2x" << true;
    QTest::newRow("text-is-off") << "yes" << false;
}

void TestFilters::applyFilters()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    if (!stored.isNull())
        m_settings.SaveSetting("Filters", "Apply Filters", stored);
    QCOMPARE(Filters::applyFilters(m_settings), on);

    Filters::setApplyFilters(m_settings, !on);
    QCOMPARE(m_settings.GetSetting("Filters", "Apply Filters"), on ? QStringLiteral("0") : QStringLiteral("1"));
}

TV_TEST_MAIN(TestFilters)
#include "tst_filters.moc"
