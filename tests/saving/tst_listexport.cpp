// Writing the list to a text file, and reading it back.
#include "saving/listexport.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

class TestListExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void writesCrLfLines()
    {
        const std::pair<QStringList, QByteArray> rows[] = {
            {{}, {}},
            {{"http://a", "ftp://b"}, "http://a\r\nftp://b\r\n"},
            {{"http://a/x,y", " http://b", ""}, "http://a/x,y\r\n http://b\r\n\r\n"},
            {{QString::fromUtf8("http://a/\u00e9")}, "http://a/\xc3\xa9\r\n"},
        };
        const QString path = m_dir.filePath(QStringLiteral("list.txt"));
        // Each one replaces the longer file before it.
        for (const auto &[items, bytes] : rows) {
            const tv::ListExportResult result = tv::SaveListToFile(path, items);
            QVERIFY2(result.ok, qPrintable(result.errorText));
            QCOMPARE(tvtest::readFile(path), bytes);
        }
    }

    void unwritableTarget()
    {
        QVERIFY(tvtest::writeFile(m_dir.filePath(QStringLiteral("plainfile"))));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("afolder")));
        for (const char *relative : {"plainfile/list.txt", "nowhere/list.txt", "afolder"}) {
            const tv::ListExportResult result = tv::SaveListToFile(m_dir.filePath(QLatin1String(relative)), {"http://a"});
            QVERIFY2(!result.ok && !result.errorText.isEmpty(), relative);
        }
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("afolder"))).isDir());
    }

    void failedWriteKeepsPreviousFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("keep.txt"));
        QVERIFY(tv::SaveListToFile(path, {"http://old.example/1", "http://old.example/2"}).ok);
        const QByteArray before = tvtest::readFile(path);

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
        QCOMPARE(tvtest::readFile(path), before);
        // No half-written temporary file is left behind either.
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.txt*")}, QDir::Files), QStringList{"keep.txt"});
    }
};

TV_TEST_MAIN(TestListExport)
#include "tst_listexport.moc"
