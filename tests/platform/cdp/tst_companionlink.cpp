// Where the viewer's browser's companion puts its socket, and the request id
// it reads from the messages it passes on.
#include "platform/cdp/companionlink.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using namespace tv;

class TestCompanionLink : public QObject
{
    Q_OBJECT

private slots:
    void socketFolder_data()
    {
        QTest::addColumn<QString>("runtime"); // "unset", or the mode of a runtime folder made here
        QTest::addColumn<bool>("inRuntime");
        QTest::newRow("private-runtime-folder") << "0700" << true;
        QTest::newRow("runtime-folder-open-to-others") << "0755" << false;
        QTest::newRow("unset") << "unset" << false;
    }
    void socketFolder()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, inRuntime);
        QTemporaryDir tmp;
        qputenv("TMPDIR", QFile::encodeName(tmp.filePath(QStringLiteral("t"))));
        QDir().mkpath(tmp.filePath(QStringLiteral("t")));
        const QString dir = tmp.filePath(QStringLiteral("run"));
        if (runtime == QLatin1String("unset")) {
            qunsetenv("XDG_RUNTIME_DIR");
        } else {
            QDir().mkpath(dir);
            ::chmod(QFile::encodeName(dir).constData(), mode_t(runtime.toUInt(nullptr, 8)));
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
        }
        const QString socket = companion::socketPath(QStringLiteral("/some/profile"));
        const QString folder = QFileInfo(socket).path();
        QCOMPARE(folder, inRuntime ? dir + QStringLiteral("/tallyvane") : tmp.filePath(QStringLiteral("t/tallyvane-%1")).arg(::geteuid()));
        QCOMPARE(QFileInfo(folder).permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                                          QFile::WriteUser | QFile::ExeUser);
        QVERIFY(companion::socketPath(QStringLiteral("/other/profile")) != socket);
        // A folder of that name that others may enter is not used.
        ::chmod(QFile::encodeName(folder).constData(), 0711);
        QString why;
        QCOMPARE(companion::socketPath(QStringLiteral("/some/profile"), &why), QString());
        QVERIFY(why.contains(folder));
        qunsetenv("TMPDIR");
    }

    void leadingId_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<qint64>("id"); // -1: none
        QTest::newRow("reply") << QByteArray(R"({"id":42,"result":{}})") << qint64(42);
        QTest::newRow("command") << QByteArray(R"({"id":7,"method":"Page.enable"})") << qint64(7);
        QTest::newRow("event") << QByteArray(R"({"method":"Page.loadEventFired","params":{}})") << qint64(-1);
        QTest::newRow("id-not-first") << QByteArray(R"({"method":"x","id":3})") << qint64(-1);
        QTest::newRow("not-a-number") << QByteArray(R"({"id":"3"})") << qint64(-1);
        QTest::newRow("digits-run-on") << QByteArray(R"({"id":12x})") << qint64(-1);
    }
    void leadingId()
    {
        QFETCH(QByteArray, message);
        QFETCH(qint64, id);
        QCOMPARE(companion::leadingId(message).value_or(-1), id);
    }
};

TV_TEST_MAIN(TestCompanionLink)
#include "tst_companionlink.moc"
