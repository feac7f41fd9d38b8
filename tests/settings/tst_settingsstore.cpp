#include "settings/settingsstore.h"
#include "support/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

using tv::CRegSettings;


class TestCRegSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QFile::remove(CRegSettings::program().fileName());
    }

    void fileLivesUnderConfigHome()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("False")));
        const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillmere/Tallyvane.ini");
        QCOMPARE(s.fileName(), expected);
        QVERIFY(QFile::exists(expected));
    }

    void firstRunGivesDefaults()
    {
        const CRegSettings s = CRegSettings::program();
        QCOMPARE(s.GetSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")), QStringLiteral("True"));
        QCOMPARE(s.GetSetting(QStringLiteral("slideshow"), QStringLiteral("Interval"), QStringLiteral("4")), QStringLiteral("4"));
        QCOMPARE(s.GetSetting(QStringLiteral("Options"), QStringLiteral("Missing")), QString());
        QVERIFY(s.GetAllSettings(QStringLiteral("File Types")).isEmpty());
    }

    void savedTextComesBackExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks-kept") << QStringLiteral("  padded value  ");
        QTest::newRow("comma-is-not-a-list") << QStringLiteral("Images, GIF - gif");
        QTest::newRow("non-latin") << QStringLiteral("Bilder \u00e4\u00f6\u00fc \u65e5\u672c");
        QTest::newRow("equals-and-semicolon") << QStringLiteral("a=b; c");
    }
    void savedTextComesBackExactly()
    {
        QFETCH(QString, value);
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("New Section"), QStringLiteral("Key"), value));
        // A fresh object reads the file again.
        QCOMPARE(CRegSettings::program().GetSetting(QStringLiteral("New Section"), QStringLiteral("Key"), QStringLiteral("dflt")), value);
    }

    void emptyStringIsNotMissing()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"), QString()));
        QCOMPARE(s.GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"), QStringLiteral("/default")), QString());
    }

    void starIsTheUnnamedValue()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("S"), QStringLiteral("*"), QStringLiteral("unnamed")));
        QCOMPARE(s.GetSetting(QStringLiteral("S"), QStringLiteral("*")), QStringLiteral("unnamed"));
        const auto pairs = s.GetAllSettings(QStringLiteral("S"));
        QCOMPARE(pairs.size(), 1);
        QCOMPARE(pairs.first().first, QString());
        QVERIFY(s.DeleteSetting(QStringLiteral("S"), QStringLiteral("*")));
        QCOMPARE(s.GetSetting(QStringLiteral("S"), QStringLiteral("*"), QStringLiteral("gone")), QStringLiteral("gone"));
    }

    void getAllSettingsInNaturalOrder()
    {
        CRegSettings s = CRegSettings::program();
        // Written out of order on purpose: enumeration order must not depend on it.
        for (int i : {10, 2, 0, 1, 11, 3})
            QVERIFY(s.SaveSetting(QStringLiteral("File Types"), QStringLiteral("Type %1").arg(i), QStringLiteral("d%1 - e%1").arg(i)));
        const auto pairs = s.GetAllSettings(QStringLiteral("File Types"));
        QStringList names;
        for (const auto &p : pairs)
            names << p.first;
        QCOMPARE(names, (QStringList{QStringLiteral("Type 0"), QStringLiteral("Type 1"), QStringLiteral("Type 2"),
                                     QStringLiteral("Type 3"), QStringLiteral("Type 10"), QStringLiteral("Type 11")}));
        QCOMPARE(pairs.at(4).second, QStringLiteral("d10 - e10"));
    }

    void nonStringValuesAreLeftOut()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("Mixed"), QStringLiteral("Text"), QStringLiteral("x")));
        {
            QSettings raw(s.fileName(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("Mixed/List"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
            raw.setValue(QStringLiteral("Mixed/Bytes"), QByteArray("\x01\x02", 2));
            raw.sync();
        }
        const auto pairs = CRegSettings::program().GetAllSettings(QStringLiteral("Mixed"));
        QCOMPARE(pairs.size(), 1);
        QCOMPARE(pairs.first().first, QStringLiteral("Text"));
    }

    void deleteValueAndSection()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("File Types"), QStringLiteral("Type 0"), QStringLiteral("GIF - gif")));
        QVERIFY(s.SaveSetting(QStringLiteral("File Types"), QStringLiteral("Type 1"), QStringLiteral("JPEG - jpg")));
        QVERIFY(s.SaveSetting(QStringLiteral("Filters"), QStringLiteral("Apply Filters"), QStringLiteral("1")));
        QVERIFY(s.DeleteSetting(QStringLiteral("File Types"), QStringLiteral("Type 0")));
        QCOMPARE(s.GetAllSettings(QStringLiteral("File Types")).size(), 1);
        QVERIFY(s.DeleteSetting(QStringLiteral("File Types")));
        QVERIFY(s.GetAllSettings(QStringLiteral("File Types")).isEmpty());
        // Other sections stay.
        QCOMPARE(s.GetSetting(QStringLiteral("Filters"), QStringLiteral("Apply Filters")), QStringLiteral("1"));
        // Deleting what is not there reports failure.
        QVERIFY(!s.DeleteSetting(QStringLiteral("File Types")));
        QVERIFY(!s.DeleteSetting(QStringLiteral("Filters"), QStringLiteral("Nope")));
    }

    void anotherCompanyIsAnotherFile()
    {
        CRegSettings other;
        other.setCompany(QStringLiteral("  Other  "));
        other.setAppName(QStringLiteral("Tallyvane"));
        QCOMPARE(other.Company(), QStringLiteral("Other"));
        QVERIFY(other.SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("False")));
        QCOMPARE(CRegSettings::program().GetSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")),
                 QStringLiteral("True"));
        QFile::remove(other.fileName());
    }

    void unwritableStoreReportsFailure()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")));
        QFile::setPermissions(s.fileName(), QFile::ReadOwner);
        if (QFileInfo(s.fileName()).isWritable())
            QSKIP("running with rights that ignore file permissions");
        QVERIFY(!s.SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("False")));
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("2-before-10") << "Type 2" << "Type 10" << true;
        QTest::newRow("same") << "Type 1" << "Type 1" << false;
        QTest::newRow("prefix-first") << "Type" << "Type 0" << true;
        QTest::newRow("huge-numbers") << "Type 99999999999999999999" << "Type 100000000000000000000" << true;
        QTest::newRow("letters") << "Apple" << "banana" << true;
    }
    void naturalOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, less);
        QCOMPARE(tv::naturalLess(a, b), less);
    }
};

TV_TEST_MAIN(TestCRegSettings)
#include "tst_settingsstore.moc"
