// The DevTools message router against a scripted WebSocket server.
#include "platform/cdpconnection.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

// A browser stand-in: records requests and lets the test answer them.
class ScriptedEndpoint : public QObject
{
public:
    ScriptedEndpoint() : m_server(QStringLiteral("fake"), QWebSocketServer::NonSecureMode)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            connect(m_client, &QWebSocket::textMessageReceived, this,
                    [this](const QString &m) {
                        requests << QJsonDocument::fromJson(m.toUtf8()).object();
                        if (onRequest)
                            onRequest(requests.last());
                    });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1/devtools/browser/x").arg(m_server.serverPort())); }
    void say(const QJsonObject &message) { m_client->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson())); }
    void reply(int id, const QJsonObject &result, const QString &session = {})
    {
        QJsonObject m{{"id", id}, {"result", result}};
        if (!session.isEmpty())
            m.insert("sessionId", session);
        say(m);
    }
    void hangUp() { m_client->close(); }

    QList<QJsonObject> requests;
    std::function<void(const QJsonObject &)> onRequest; // answers as requests come

private:
    QWebSocketServer m_server;
    QWebSocket *m_client = nullptr;
};

} // namespace

class TestCdpConnection : public QObject
{
    Q_OBJECT

private slots:
    void interleavedRepliesFindTheirRequests()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        QStringList got;
        QList<QPair<QString, QString>> events;
        connect(&c, &tv::CdpConnection::event, this, [&](const QString &session, const QString &method, const QJsonObject &) {
            events << qMakePair(session, method);
        });
        const int a = c.send("A.a", {}, {}, [&](const tv::CdpReply &r) { got << "a:" + r.result.value("v").toString(); });
        const int b = c.send("B.b", {{"x", 1}}, "S1", [&](const tv::CdpReply &r) { got << "b:" + r.result.value("v").toString(); });
        QTRY_COMPARE(browser.requests.size(), 2);
        QCOMPARE(browser.requests[1].value("sessionId").toString(), QStringLiteral("S1"));
        QCOMPARE(browser.requests[1].value("params").toObject().value("x").toInt(), 1);
        browser.say({{"method", "E.one"}, {"params", QJsonObject{}}, {"sessionId", "S1"}});
        browser.reply(b, {{"v", "B"}}, "S1");
        browser.say({{"method", "E.two"}, {"params", QJsonObject{}}, {"sessionId", "unknown-session"}});
        browser.reply(a, {{"v", "A"}});
        QTRY_COMPARE(got, QStringList({"b:B", "a:A"}));
        QCOMPARE(events, (QList<QPair<QString, QString>>{{"S1", "E.one"}, {"unknown-session", "E.two"}}));
        QCOMPARE(c.pendingCount(), 0);
    }

    void errorReplyCarriesCodeAndMessage()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        browser.onRequest = [&](const QJsonObject &request) {
            browser.say({{"id", request.value("id").toInt()},
                         {"error", QJsonObject{{"code", -32000}, {"message", "Cannot navigate to invalid URL"}}}});
        };
        const tv::CdpReply r = c.call("Page.navigate", {{"url", "x"}});
        QVERIFY(!r.ok);
        QCOMPARE(r.errorCode, -32000);
        QCOMPARE(r.errorMessage, QStringLiteral("Cannot navigate to invalid URL"));
    }

    void unansweredRequestTimesOut()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        const tv::CdpReply r = c.call("Never.answered", {}, {}, 100);
        QVERIFY(!r.ok);
        QCOMPARE(r.errorCode, 0);
        QVERIFY(r.errorMessage.contains("in time"));

        // Its handler runs once; an answer after the time-out is dropped.
        QList<tv::CdpReply> replies;
        const int id = c.send("Late.answer", {}, {}, [&](const tv::CdpReply &reply) { replies << reply; }, 100);
        QTRY_COMPARE(replies.size(), 1);
        browser.reply(id, {{"v", "late"}});
        browser.onRequest = [&](const QJsonObject &request) { browser.reply(request.value("id").toInt(), {}); };
        QVERIFY(c.call("Marker", {}, {}, 5000).ok); // answered after the late answer, on the same socket
        QCOMPARE(replies.size(), 1);
        QVERIFY(!replies[0].ok);
        QCOMPARE(c.pendingCount(), 0);
    }

    void closeFailsPendingRequests()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        QSignalSpy closed(&c, &tv::CdpConnection::closed);
        QList<tv::CdpReply> replies;
        for (int i = 0; i < 3; ++i)
            c.send("Slow.call", {}, {}, [&](const tv::CdpReply &r) { replies << r; });
        QTRY_COMPARE(browser.requests.size(), 3);
        browser.hangUp();
        QTRY_COMPARE(closed.size(), 1);
        QCOMPARE(replies.size(), 3);
        for (const auto &r : replies)
            QVERIFY(!r.ok);
        QVERIFY(!c.isOpen());
        // Later requests fail at once instead of waiting.
        QVERIFY(!c.call("After.close", {}, {}, 60000).ok);
    }

    void waitInsideAnEventHandlerGetsItsAnswer()
    {
        // A handler that calls and waits must not starve the socket.
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        QString nested;
        connect(&c, &tv::CdpConnection::event, this, [&](const QString &, const QString &method, const QJsonObject &) {
            if (method != "Go.now")
                return;
            browser.onRequest = [&](const QJsonObject &request) { browser.reply(request.value("id").toInt(), {{"v", "inner"}}); };
            nested = c.call("Inner.call", {}, {}, 5000).result.value("v").toString();
        });
        browser.say({{"method", "Go.now"}, {"params", QJsonObject{}}});
        QTRY_COMPARE(nested, QStringLiteral("inner"));
    }

    void openFailsOnNothingListening()
    {
        tv::CdpConnection c;
        QVERIFY(!c.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/devtools/browser/x").arg(tvtest::HttpServer::closedPort())), 2000));
        QVERIFY(!c.isOpen());
    }

    void largeMessagesAreAccepted()
    {
        ScriptedEndpoint browser;
        tv::CdpConnection c;
        QVERIFY(c.open(browser.url(), 5000));
        QStringList got;
        c.send("Big.one", {}, {}, [&](const tv::CdpReply &r) { got << r.result.value("v").toString(); });
        QTRY_COMPARE(browser.requests.size(), 1);
        const QString big(8 * 1024 * 1024, QLatin1Char('x')); // far above the socket's frame default
        browser.reply(browser.requests[0].value("id").toInt(), {{"v", big}});
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 1, 20000);
        QCOMPARE(got[0].size(), big.size());
    }
};

TV_TEST_MAIN(TestCdpConnection)
#include "tst_cdpconnection.moc"
