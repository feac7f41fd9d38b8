// Writing the list to a text file, and reading it back.
#include "saving/listexport.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

class TestListExport : public QObject
{
    Q_OBJECT
private slots:
    void writesCrLfLines_data();
    void writesCrLfLines();
    void replacesLongerFile();
    void unwritableTarget_data();
    void unwritableTarget();
    void failedWriteKeepsPreviousFile();

private:
    static QByteArray readAll(const QString &path);
    QTemporaryDir m_dir;
};

QByteArray TestListExport::readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void TestListExport::writesCrLfLines_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty-list-zero-bytes") << QStringList{} << QByteArray();
    QTest::newRow("one-line-each") << QStringList{"http://a", "ftp://b"} << QByteArray("http://a\r\nftp://b\r\n");
    QTest::newRow("written-as-is") << QStringList{"http://a/x,y", " http://b", ""}
                                   << QByteArray("http://a/x,y\r\n http://b\r\n\r\n");
    QTest::newRow("utf8") << QStringList{QString::fromUtf8("http://a/\u00e9")} << QByteArray("http://a/\xc3\xa9\r\n");
}

void TestListExport::writesCrLfLines()
{
    QFETCH(QStringList, items);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("list.txt"));
    const tv::ListExportResult result = tv::SaveListToFile(path, items);
    QVERIFY2(result.ok, qPrintable(result.errorText));
    QCOMPARE(readAll(path), bytes);
}

void TestListExport::replacesLongerFile()
{
    const QString path = m_dir.filePath(QStringLiteral("replace.txt"));
    QVERIFY(tv::SaveListToFile(path, {"http://long.example/aaaaaaaaaaaaaaaaaaaa", "http://b"}).ok);
    QVERIFY(tv::SaveListToFile(path, {"http://c"}).ok);
    QCOMPARE(readAll(path), QByteArray("http://c\r\n"));
}

void TestListExport::unwritableTarget_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("folder-is-a-file") << "plainfile/list.txt";
    QTest::newRow("missing-folder") << "nowhere/list.txt";
    QTest::newRow("target-is-a-folder") << "afolder";
}

void TestListExport::unwritableTarget()
{
    QFETCH(QString, relative);
    QFile plain(m_dir.filePath(QStringLiteral("plainfile")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("afolder")));

    const tv::ListExportResult result = tv::SaveListToFile(m_dir.filePath(relative), {"http://a"});
    QVERIFY(!result.ok);
    QVERIFY(!result.errorText.isEmpty());
    QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("afolder"))).isDir());
}

void TestListExport::failedWriteKeepsPreviousFile()
{
    const QString path = m_dir.filePath(QStringLiteral("keep.txt"));
    QVERIFY(tv::SaveListToFile(path, {"http://old.example/1", "http://old.example/2"}).ok);
    const QByteArray before = readAll(path);

    // A file-size limit makes the write fail part way, even for root.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QStringList big;
    for (int i = 0; i < 2000; ++i)
        big.append(QStringLiteral("http://new.example/%1").arg(i));
    const tv::ListExportResult result = tv::SaveListToFile(path, big);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!result.ok);
    QVERIFY(!result.errorText.isEmpty());
    QCOMPARE(readAll(path), before);
    // No half-written temporary file is left behind either.
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.txt*")}, QDir::Files), QStringList{"keep.txt"});
}

TV_TEST_MAIN(TestListExport)
#include "tst_listexport.moc"
