// How a link target is named in the destination folder.
#include "saving/targetnames.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>

#include <cstring>

#include <dirent.h>

class TestTargetNames : public QObject
{
    Q_OBJECT
private slots:
    void fromUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("trailing-slash") << "http://h/dir/" << "index.html";
        QTest::newRow("no-dot") << "http://h/dir/readme" << "index.html";
        QTest::newRow("last-segment") << "http://h/a/b.txt" << "b.txt";
        QTest::newRow("no-slash-whole-text") << "b.txt" << "b.txt";
        QTest::newRow("query-kept") << "http://h/get.php?id=3" << "get.php?id=3";
        QTest::newRow("percent-decoded") << "http://h/my%20photo.jpg" << "my photo.jpg";
        QTest::newRow("utf8-decoded") << "http://h/%C3%BCber.txt" << QString::fromUtf8("\u00fcber.txt");
        QTest::newRow("encoded-slash-stays-inside") << "http://h/..%2F..%2Fetc%2Fpasswd.x" << "_.._.._etc_passwd.x";
        QTest::newRow("dot-dot") << "http://h/a/.." << "index.html";
        QTest::newRow("encoded-dot-dot") << "http://h/%2E%2E" << "index.html";
        QTest::newRow("control-chars") << "http://h/a%0A%00b.txt" << "a__b.txt";
        QTest::newRow("dot-file-shown") << "http://h/.profile" << "_.profile";
        QTest::newRow("bidi-controls-dropped") << "http://h/%E2%80%AEgpj.exe%E2%81%A6" << "gpj.exe";
    }
    void fromUrl()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        QCOMPARE(tv::TargetFileName(url), name);
    }

    void longNamesShortened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ending");
        QTest::newRow("ascii-keeps-extension") << QString(300, u'a') + ".jpeg" << ".jpeg";
        QTest::newRow("multibyte-whole-chars") << QString(150, QChar(0x00fc)) + ".txt" << ".txt";
        QTest::newRow("long-extension-cut") << "a." + QString(300, u'b') << "bbbb";
        QTest::newRow("lone-surrogates-measured-as-written") << QString(120, QChar(0xd800)) + ".txt" << ".txt";
        QTest::newRow("surrogates-not-split") << QString::fromUtf8("\U0001F600").repeated(80) + ".png" << ".png";
    }
    void longNamesShortened()
    {
        QFETCH(QString, name);
        QFETCH(QString, ending);
        const QString safe = tv::SafeFileName(name);
        QVERIFY(safe.toUtf8().size() <= tv::MaxNameBytes);
        QVERIFY(safe.toUtf8().size() > tv::MaxNameBytes - 4);
        QVERIFY(safe.endsWith(ending));
        QVERIFY(QString::fromUtf8(safe.toUtf8()) == safe); // no broken character
        QTemporaryDir dir;
        QFile file(dir.filePath(tv::NumberedName(safe, 99999) + ".part"));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
        // The bytes the file system got, not what the name was measured as.
        DIR *folder = opendir(QFile::encodeName(dir.path()).constData());
        size_t written = 0;
        while (const dirent *entry = readdir(folder))
            written = std::max(written, strlen(entry->d_name));
        closedir(folder);
        QCOMPARE(qsizetype(written), (safe + "(99999).part").toUtf8().size());
        QVERIFY(written <= 255);
    }

    void numberedAndUnique()
    {
        QCOMPARE(tv::NumberedName("photo.jpg", 1), QStringLiteral("photo(1).jpg"));
        QCOMPARE(tv::NumberedName("a.tar.gz", 2), QStringLiteral("a(2).tar.gz"));
        QCOMPARE(tv::NumberedName("README", 3), QStringLiteral("README(3)"));
        QCOMPARE(tv::NumberedName(".profile", 4), QStringLiteral(".profile(4)"));

        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        for (const char *existing : {"x.jpg", "x(1).jpg", "y.jpg", "z.jpg.part"})
            QFile(folder + existing).open(QIODevice::WriteOnly);
        QDir().mkdir(folder + "w(1).jpg"); // a folder is no file of that name
        qint32 counter = 0;
        QCOMPARE(tv::UniqueName(folder, "x.jpg", counter), QStringLiteral("x(2).jpg"));
        // The counter goes on across the files of one transfer.
        QCOMPARE(tv::UniqueName(folder, "y.jpg", counter), QStringLiteral("y(3).jpg"));
        counter = 0;
        QCOMPARE(tv::UniqueName(folder, "w.jpg", counter), QStringLiteral("w(1).jpg"));
        QCOMPARE(tv::PartialName(folder, "y.jpg"), QStringLiteral("y.jpg.part"));
        QCOMPARE(tv::PartialName(folder, "z.jpg"), QStringLiteral("z(1).jpg.part"));
    }
};

TV_TEST_MAIN(TestTargetNames)
#include "tst_targetnames.moc"
