// Reaching a browser: its DevToolsActivePort file and the probe that it still
// answers, and the message router against a scripted WebSocket server.
#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/devtoolsport.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QWebSocketServer>

using tvtest::HttpServer;

namespace {

// A browser stand-in: records requests; the test answers them with say().
class ScriptedEndpoint : public QObject
{
public:
    ScriptedEndpoint() : m_server(QStringLiteral("fake"), QWebSocketServer::NonSecureMode)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            connect(m_client, &QWebSocket::textMessageReceived, this,
                    [this](const QString &m) { requests << QJsonDocument::fromJson(m.toUtf8()).object(); });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1/devtools/browser/x").arg(m_server.serverPort())); }
    void say(const QJsonObject &message) { m_client->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson())); }
    void hangUp() { m_client->close(); }

    QList<QJsonObject> requests;

private:
    QWebSocketServer m_server;
    QWebSocket *m_client = nullptr;
};

} // namespace

class TestCdpConnection : public QObject
{
    Q_OBJECT

private slots:
    void portFile()
    {
        for (const auto &[content, port] : {std::pair{"9222\n/devtools/browser/abc\n", 9222}, {"9222\r\n/devtools/browser/abc\r\n", 9222},
                                            {"", 0}, {"9222\n", 0}, {"x\n/devtools/browser/abc\n", 0},
                                            {"70000\n/devtools/browser/abc\n", 0}}) {
            const auto e = tv::parseDevToolsActivePort(content);
            QVERIFY2(bool(e) == (port != 0), content);
            if (e)
                QCOMPARE(e->webSocketUrl().toString(), QStringLiteral("ws://127.0.0.1:9222/devtools/browser/abc"));
        }
        QTemporaryDir dir;
        QVERIFY(tvtest::writeFile(tv::devToolsActivePortFile(dir.path()), "4711\n/devtools/browser/u\n"));
        QCOMPARE(tv::readDevToolsActivePort(dir.path())->port, quint16(4711));
    }

    void probe()
    {
        // What /json/version names decides whether the browser still answers
        // there; nothing listening, or an answer too late, is no browser.
        HttpServer server;
        QVERIFY(server.listen());
        const auto answer = [&](const QString &path, int delayMs = 0) {
            const QString body = QStringLiteral("{\"webSocketDebuggerUrl\":\"ws://127.0.0.1:%1%2\"}").arg(server.port()).arg(path);
            server.route("/json/version", {200, "application/json", body.toUtf8(), delayMs});
        };
        const tv::DevToolsEndpoint mine{server.port(), QStringLiteral("/devtools/browser/mine")};
        QVERIFY(!tv::probeDevToolsEndpoint({HttpServer::closedPort(), mine.path}, 2000));
        answer(QStringLiteral("/devtools/browser/other"));
        QVERIFY(!tv::probeDevToolsEndpoint(mine, 2000));
        answer(mine.path);
        QVERIFY(tv::probeDevToolsEndpoint(mine, 2000));
        answer(mine.path, 60000);
        QVERIFY(!tv::probeDevToolsEndpoint(mine, 300));
    }

    void interleavedRepliesFindTheirRequests()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        QStringList got;
        QList<QPair<QString, QString>> events;
        connect(&c, &tv::CdpConnection::eventReceived, this, [&](const QString &session, const QString &method, const QJsonObject &) {
            events << qMakePair(session, method);
        });
        const int a = c.send("A.a", {}, {}, [&](const tv::CdpReply &r) { got << "a:" + r.result.value("v").toString(); });
        const int b = c.send("B.b", {{"x", 1}}, "S1", [&](const tv::CdpReply &r) { got << "b:" + r.result.value("v").toString(); });
        QTRY_COMPARE(browser.requests.size(), 2);
        QCOMPARE(browser.requests[1].value("sessionId").toString(), QStringLiteral("S1"));
        QCOMPARE(browser.requests[1].value("params").toObject().value("x").toInt(), 1);
        browser.say({{"method", "E.one"}, {"params", QJsonObject{}}, {"sessionId", "S1"}});
        browser.say({{"id", b}, {"result", QJsonObject{{"v", "B"}}}, {"sessionId", "S1"}});
        browser.say({{"method", "E.two"}, {"params", QJsonObject{}}, {"sessionId", "unknown-session"}});
        browser.say({{"id", a}, {"result", QJsonObject{{"v", "A"}}}});
        QTRY_COMPARE(got, QStringList({"b:B", "a:A"}));
        QCOMPARE(events, (QList<QPair<QString, QString>>{{"S1", "E.one"}, {"unknown-session", "E.two"}}));
        QCOMPARE(c.pendingCount(), 0);
    }

    void unansweredRequestsTimeOutOrFailAtClose()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        const tv::CdpReply late = c.call("Never.answered", {}, {}, 100);
        QVERIFY(!late.ok && late.errorCode == 0 && late.errorMessage.contains("in time"));
        QSignalSpy closed(&c, &tv::CdpConnection::closed);
        QList<tv::CdpReply> replies;
        for (int i = 0; i < 3; ++i)
            c.send("Slow.call", {}, {}, [&](const tv::CdpReply &r) { replies << r; });
        QTRY_COMPARE(browser.requests.size(), 4);
        browser.hangUp();
        QTRY_COMPARE(closed.size(), 1);
        QCOMPARE(replies.size(), 3);
        for (const auto &r : replies)
            QVERIFY(!r.ok);
        QVERIFY(!c.isOpen());
        // Later requests fail at once instead of waiting.
        QVERIFY(!c.call("After.close", {}, {}, 60000).ok);
    }
};

TV_TEST_MAIN(TestCdpConnection)
#include "tst_cdpconnection.moc"
