#include "app/module1.h"
#include "platform/runtimeerror.h"
#include "support/testenv.h"


class TestModule1 : public QObject
{
    Q_OBJECT

private slots:
    void pathPart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::newRow("windows-path") << "C:\\dir\\file.txt" << "C:" << "\\dir\\" << "file" << ".txt";
        QTest::newRow("web-address") << "http://host/dir/pic.gif" << "" << "" << "http://host/dir/pic" << ".gif";
        // No dot after the host: the host's last dot starts the extension.
        QTest::newRow("bare-host") << "http://www.example.com" << "" << "" << "http://www.example" << ".com";
        QTest::newRow("bare-host-slash") << "http://www.example.com/" << "" << "" << "http://www.example" << ".com/";
        QTest::newRow("only-last-dot") << "http://h/a.b.c/x.tar.gz" << "" << "" << "http://h/a.b.c/x.tar" << ".gz";
        // A dot with nothing after it gives no extension; the next dot is tried.
        QTest::newRow("trailing-dot") << "a.b." << "" << "" << "a" << ".b";
        QTest::newRow("no-dot") << "readme" << "" << "" << "readme" << "";
        QTest::newRow("trailing-backslash") << "C:\\dir\\" << "C:" << "\\" << "dir\\" << "";
        QTest::newRow("empty") << "" << "" << "" << "" << "";
        QTest::newRow("drive-only") << "D:" << "D:" << "" << "" << "";
        QTest::newRow("dot-in-folder-only") << "C:\\a.b\\file" << "C:" << "\\a.b\\" << "file" << "";
    }
    void pathPart()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QCOMPARE(tv::PathPart(path, 0), drive);
        QCOMPARE(tv::PathPart(path, 1), folder);
        QCOMPARE(tv::PathPart(path, 2), name);
        QCOMPARE(tv::PathPart(path, 3), extension);
    }

    void pathPartRejectsOtherParts_data()
    {
        QTest::addColumn<int>("part");
        QTest::newRow("minus-one") << -1;
        QTest::newRow("four") << 4;
    }
    void pathPartRejectsOtherParts()
    {
        QFETCH(int, part);
        try {
            tv::PathPart(QStringLiteral("C:\\x.txt"), part);
            QFAIL("no error raised");
        } catch (const tv::RuntimeError &e) {
            QCOMPARE(e.number(), 1L);
        }
    }

    void makeLong_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<qint32>("result");
        QTest::newRow("x-and-y") << 10 << 20 << qint32(20 * 65536 + 10);
        // A negative low word fills the high word with ones.
        QTest::newRow("negative-low") << -1 << 5 << qint32(-1);
        QTest::newRow("negative-high") << 3 << -2 << qint32(-2 * 65536 + 3);
        QTest::newRow("min-high") << 0 << -32768 << qint32(0x80000000);
    }
    void makeLong()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(qint32, result);
        QCOMPARE(tv::MakeLong(qint16(low), qint16(high)), result);
    }

    void peekWordReadsLittleEndianWord()
    {
        const unsigned char bytes[] = {0x34, 0x12, 0xFF, 0xFF};
        QCOMPARE(tv::PeekWord(bytes), qint16(0x1234));
        QCOMPARE(tv::PeekWord(bytes + 2), qint16(-1));
    }
};

TV_TEST_MAIN(TestModule1)
#include "tst_module1.moc"
