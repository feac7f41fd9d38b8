// The settings store: where its file lives, values as they were written,
// sections in natural key order, deleting, a store that cannot be written,
// and the readers of stored numbers.
#include "settings/settingsstore.h"
#include "support/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <tuple>

using tv::CRegSettings;

class TestCRegSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QFile::remove(CRegSettings::program().fileName()); }

    void valuesComeBackAsWritten()
    {
        CRegSettings s = CRegSettings::program();
        QCOMPARE(s.GetSetting("Options", "On Top", "True"), QStringLiteral("True"));
        const QStringList values{"  padded  ", "Images, GIF - gif", QString::fromUtf8("\u00e4\u65e5"), "a=b; c", ""};
        for (int i = 0; i < values.size(); ++i)
            QVERIFY(s.SaveSetting("Section", QStringLiteral("Key%1").arg(i), values[i]));
        QCOMPARE(s.fileName(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillmere/Tallyvane.ini"));
        // A fresh object reads the file again; an empty value is no missing one.
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(CRegSettings::program().GetSetting("Section", QStringLiteral("Key%1").arg(i), "dflt"), values[i]);
        // "*" is the section's unnamed value.
        QVERIFY(s.SaveSetting("S", "*", "unnamed"));
        QCOMPARE(s.GetAllSettings("S").first(), qMakePair(QString(), QStringLiteral("unnamed")));
    }

    void sectionsInNaturalOrderWithStringsOnly()
    {
        CRegSettings s = CRegSettings::program();
        // Written out of order on purpose: enumeration order must not depend on it.
        for (int i : {10, 2, 0, 1, 11, 3})
            QVERIFY(s.SaveSetting("File Types", QStringLiteral("Type %1").arg(i), QStringLiteral("d%1").arg(i)));
        {
            QSettings raw(s.fileName(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("File Types/List"), QStringList{"a", "b"});
            raw.sync();
        }
        QStringList names;
        for (const auto &p : CRegSettings::program().GetAllSettings("File Types"))
            names << p.first + u'=' + p.second;
        QCOMPARE(names, (QStringList{"Type 0=d0", "Type 1=d1", "Type 2=d2", "Type 3=d3", "Type 10=d10", "Type 11=d11"}));
        QVERIFY(tv::naturalLess("Type", "Type 0"));
        QVERIFY(tv::naturalLess("Type 99999999999999999999", "Type 100000000000000000000"));
        QVERIFY(!tv::naturalLess("Type 1", "Type 1"));
        // A strict weak ordering over digits of other scripts as well: every
        // triple is transitive and no key is less than itself.
        const QStringList keys{"99", QString::fromUtf8("\u0661"), QString::fromUtf8("\u0669\u0669"), QString::fromUtf8("\u06f1"),
                               QString::fromUtf8("\u0680"), ":", "10", "a", "A", "010", QString::fromUtf8("1\u0660")};
        for (const QString &a : keys) {
            QVERIFY(!tv::naturalLess(a, a));
            for (const QString &b : keys)
                for (const QString &c : keys)
                    QVERIFY2(!(tv::naturalLess(a, b) && tv::naturalLess(b, c)) || tv::naturalLess(a, c),
                             qPrintable(a + u' ' + b + u' ' + c));
        }
    }

    void numberReaders()
    {
        // Text, range 0..3 with fallback 9: what a number setting reads;
        // then what a Boolean reads with fallback true.
        const std::tuple<QString, qint32, bool> rows[] = {
            {"2", 2, true},   {" 3 ", 3, true},  {"2.7", 2, true},      {"1abc", 1, true},
            {"0", 0, false},  {"-1", 9, true},   {"7", 9, true},        {"", 9, true},
            {"x", 9, true},   {"+0", 0, false},  {"True", 9, true},     {"fALSE", 9, false},
            {"1" + QString(300, u'0'), 9, true}, {"-" + QString(300, u'9'), 9, true},
            {QString(300, u'0') + "3", 3, true}, {"4294967298", 9, true},
        };
        for (const auto &[text, number, boolean] : rows) {
            QVERIFY2(tv::numberSetting(text, 0, 3, 9) == number, qPrintable(text));
            QVERIFY2(tv::booleanText(text, true) == boolean, qPrintable(text));
        }
    }

    void deleteValueAndSection()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting("File Types", "Type 0", "GIF - gif"));
        QVERIFY(s.SaveSetting("File Types", "Type 1", "JPEG - jpg"));
        QVERIFY(s.SaveSetting("Filters", "Apply Filters", "1"));
        QVERIFY(s.DeleteSetting("File Types", "Type 0"));
        QCOMPARE(s.GetAllSettings("File Types").size(), 1);
        QVERIFY(s.DeleteSetting("File Types"));
        QVERIFY(s.GetAllSettings("File Types").isEmpty());
        QCOMPARE(s.GetSetting("Filters", "Apply Filters"), QStringLiteral("1"));
        // Deleting what is not there reports failure.
        QVERIFY(!s.DeleteSetting("File Types"));
        QVERIFY(!s.DeleteSetting("Filters", "Nope"));
    }

    void unwritableStoreReportsFailure()
    {
        CRegSettings s = CRegSettings::program();
        QVERIFY(s.SaveSetting("Options", "On Top", "True"));
        QFile::setPermissions(s.fileName(), QFile::ReadOwner);
        if (QFileInfo(s.fileName()).isWritable())
            QSKIP("running with rights that ignore file permissions");
        QVERIFY(!s.SaveSetting("Options", "On Top", "False"));
    }
};

TV_TEST_MAIN(TestCRegSettings)
#include "tst_settingsstore.moc"
