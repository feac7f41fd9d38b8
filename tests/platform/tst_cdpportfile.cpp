// Reading a browser's DevToolsActivePort and checking that it still answers.
#include "platform/devtoolsport.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QTemporaryDir>

using tvtest::HttpServer;

class TestCdpPortFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("port"); // 0: not usable
        QTest::addColumn<QString>("path");
        QTest::newRow("two-lines") << QByteArray("9222\n/devtools/browser/abc\n") << 9222 << "/devtools/browser/abc";
        QTest::newRow("no-final-newline") << QByteArray("9222\n/devtools/browser/abc") << 9222 << "/devtools/browser/abc";
        QTest::newRow("crlf") << QByteArray("9222\r\n/devtools/browser/abc\r\n") << 9222 << "/devtools/browser/abc";
        QTest::newRow("empty") << QByteArray() << 0 << QString();
        QTest::newRow("one-line-still-being-written") << QByteArray("9222\n") << 0 << QString();
        QTest::newRow("port-only-no-newline") << QByteArray("9222") << 0 << QString();
        QTest::newRow("port-not-a-number") << QByteArray("x\n/devtools/browser/abc\n") << 0 << QString();
        QTest::newRow("port-zero") << QByteArray("0\n/devtools/browser/abc\n") << 0 << QString();
        QTest::newRow("port-too-large") << QByteArray("70000\n/devtools/browser/abc\n") << 0 << QString();
        QTest::newRow("path-of-something-else") << QByteArray("9222\n/json/version\n") << 0 << QString();
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, port);
        QFETCH(QString, path);
        const auto e = tv::parseDevToolsActivePort(content);
        QCOMPARE(bool(e), port != 0);
        if (e) {
            QCOMPARE(int(e->port), port);
            QCOMPARE(e->path, path);
            QCOMPARE(e->webSocketUrl().toString(), QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path));
        }
    }

    void missingFileIsNoBrowser()
    {
        QTemporaryDir dir;
        QVERIFY(!tv::readDevToolsActivePort(dir.path()));
    }

    void readsTheProfilesFile()
    {
        QTemporaryDir dir;
        QFile f(tv::devToolsActivePortFile(dir.path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("4711\n/devtools/browser/u\n");
        f.close();
        const auto e = tv::readDevToolsActivePort(dir.path());
        QVERIFY(e);
        QCOMPARE(e->port, quint16(4711));
    }

    void probe_data()
    {
        QTest::addColumn<QString>("answeredPath"); // what /json/version names; "" = nothing listens
        QTest::addColumn<bool>("alive");
        QTest::newRow("nothing-listens") << QString() << false;
        QTest::newRow("another-browser-took-the-port") << "/devtools/browser/other" << false;
        QTest::newRow("the-browser-itself") << "/devtools/browser/mine" << true;
    }
    void probe()
    {
        QFETCH(QString, answeredPath);
        QFETCH(bool, alive);
        HttpServer server;
        tv::DevToolsEndpoint endpoint{HttpServer::closedPort(), QStringLiteral("/devtools/browser/mine")};
        if (!answeredPath.isEmpty()) {
            QVERIFY(server.listen());
            endpoint.port = server.port();
            server.route("/json/version", {200, "application/json",
                                           QStringLiteral("{\"Browser\":\"Chrome/156\",\"webSocketDebuggerUrl\":"
                                                          "\"ws://127.0.0.1:%1%2\"}")
                                               .arg(server.port())
                                               .arg(answeredPath)
                                               .toUtf8()});
        }
        QCOMPARE(tv::probeDevToolsEndpoint(endpoint, 2000), alive);
    }

    void probeGivesUpOnALateAnswer()
    {
        // The right answer, but far later than the probe waits: "not running".
        HttpServer server;
        QVERIFY(server.listen());
        server.route("/json/version", {200, "application/json",
                                       QStringLiteral("{\"webSocketDebuggerUrl\":\"ws://127.0.0.1:%1/devtools/browser/x\"}")
                                           .arg(server.port())
                                           .toUtf8(),
                                       60000});
        QVERIFY(!tv::probeDevToolsEndpoint({server.port(), QStringLiteral("/devtools/browser/x")}, 300));
    }
};

TV_TEST_MAIN(TestCdpPortFile)
#include "tst_cdpportfile.moc"
