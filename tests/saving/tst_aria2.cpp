// Handing links to a real aria2 daemon on loopback, and what is remembered.
#include "saving/aria2rpc.h"
#include "saving/aria2settings.h"
#include "saving/sendtoaria2dialog.h"
#include "settings/settingsstore.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace {

// aria2c in RPC mode on a free loopback port, with a random secret; ended by
// its own pid.
struct Aria2Daemon
{
    QTemporaryDir dir;
    QProcess process;
    quint16 port = tvtest::HttpServer::closedPort();
    QString secret = QString::number(QRandomGenerator::system()->generate64(), 36);

    bool start()
    {
        const QString aria2c = QStandardPaths::findExecutable(QStringLiteral("aria2c"));
        if (aria2c.isEmpty())
            return false;
        // One download at a time, towards a port where nothing listens: the
        // downloads end at once and nothing is fetched.
        process.start(aria2c, {QStringLiteral("--enable-rpc"), QStringLiteral("--rpc-listen-port=%1").arg(port),
                               QStringLiteral("--rpc-secret=") + secret, QStringLiteral("--dir=") + dir.path(),
                               QStringLiteral("--no-conf"), QStringLiteral("--quiet"),
                               QStringLiteral("--max-concurrent-downloads=1"), QStringLiteral("--max-tries=1")});
        if (!process.waitForStarted())
            return false;
        return QTest::qWaitFor([this] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(100);
        }, 10000);
    }
    ~Aria2Daemon()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished();
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(port)); }

    QJsonValue call(const QString &method, QJsonArray params)
    {
        params.prepend(QStringLiteral("token:") + secret);
        const QJsonObject request{{"jsonrpc", "2.0"}, {"id", "t"}, {"method", method}, {"params", params}};
        QNetworkAccessManager network;
        QNetworkRequest r(address());
        r.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        std::unique_ptr<QNetworkReply> reply(network.post(r, QJsonDocument(request).toJson()));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 10000))
            return {};
        return QJsonDocument::fromJson(reply->readAll()).object().value(u"result");
    }
    // Every download aria2 holds, by gid.
    QHash<QString, QJsonObject> downloads()
    {
        QHash<QString, QJsonObject> all;
        const QJsonArray keys{"gid", "dir", "files"};
        QJsonArray lists[] = {call("aria2.tellActive", {keys}).toArray(),
                              call("aria2.tellWaiting", {0, 100000, keys}).toArray(),
                              call("aria2.tellStopped", {0, 100000, keys}).toArray()};
        for (const QJsonArray &list : lists) {
            for (const QJsonValue d : list)
                all.insert(d[u"gid"].toString(), d.toObject());
        }
        return all;
    }
};

tv::Aria2SendResult send(const QUrl &address, const QString &token, const QString &dir,
                         const QList<tv::Aria2Link> &links, qsizetype maxBytes = tv::Aria2MaxRequestBytes,
                         int maxCalls = 1000)
{
    tv::Aria2Sender sender(address, token, dir);
    sender.setBatchLimits(maxBytes, maxCalls);
    sender.setRequestTimeoutMs(5000);
    QSignalSpy done(&sender, &tv::Aria2Sender::finished);
    sender.start(links);
    if (!done.wait(60000))
        return {tv::Aria2SendStatus::Failed, 0, 0, 0, {}, QStringLiteral("no end")};
    return sender.result();
}

// Passes the first request on to aria2 and drops the connection instead of
// handing back its answer; later connections pass both ways.
class AnswerDroppingProxy final : public QObject
{
public:
    explicit AnswerDroppingProxy(quint16 target) : m_target(target)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection()) {
                auto *upstream = new QTcpSocket(client);
                upstream->connectToHost(QHostAddress::LocalHost, m_target);
                const bool drop = m_connections++ == 0;
                connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
                connect(upstream, &QTcpSocket::readyRead, client, [client, upstream, drop, this] {
                    const QByteArray answer = upstream->readAll();
                    // A WebSocket's handshake passes; its first answer does not.
                    if (drop && !answer.startsWith("HTTP/1.1 101")) {
                        ++m_dropped;
                        client->abort();
                        client->deleteLater();
                        return;
                    }
                    client->write(answer);
                });
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            }
        });
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(m_server.serverPort())); }
    int dropped() const { return m_dropped; }

private:
    QTcpServer m_server;
    quint16 m_target;
    int m_connections = 0;
    int m_dropped = 0;
};

} // namespace

class TestAria2 : public QObject
{
    Q_OBJECT

    Aria2Daemon m_aria2;
    const QString m_nowhere = QStringLiteral("http://127.0.0.1:%1").arg(tvtest::HttpServer::closedPort());

private slots:
    void initTestCase() { QVERIFY2(m_aria2.start(), "aria2c could not be started"); }

    void linksArriveAsDownloads_data()
    {
        QTest::addColumn<int>("links");
        QTest::addColumn<int>("maxCalls");
        QTest::addColumn<qsizetype>("maxBytes");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("one-batch") << 5 << 1000 << tv::Aria2MaxRequestBytes << "http";
        QTest::newRow("batches-by-count") << 7 << 2 << tv::Aria2MaxRequestBytes << "http";
        // Room for about three calls a request.
        QTest::newRow("batches-by-size") << 7 << 1000 << qsizetype(1200) << "http";
        QTest::newRow("websocket") << 7 << 2 << tv::Aria2MaxRequestBytes << "ws";
    }
    void linksArriveAsDownloads()
    {
        QFETCH(int, links);
        QFETCH(int, maxCalls);
        QFETCH(qsizetype, maxBytes);
        QFETCH(QString, scheme);
        QUrl address = m_aria2.address();
        address.setScheme(scheme);
        const QString page = m_nowhere + QStringLiteral("/gallery.html");
        QStringList urls;
        QStringList pages;
        for (int i = 0; i < links; ++i) {
            // A blank, a non-ASCII name and a name without a dot among them.
            urls << m_nowhere + (i == 0 ? QStringLiteral("/a%20b.jpg") : i == 1 ? QStringLiteral("/\u00e9t\u00e9.png")
                                                                : i == 2 ? QStringLiteral("/folder/") : QStringLiteral("/%1.bin").arg(i));
            pages << (i % 2 ? page : QString());
        }
        const QString dir = m_aria2.dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QList<tv::Aria2Link> sent = tv::aria2Links(urls, pages);
        const tv::Aria2SendResult result = send(address, m_aria2.secret, dir, sent, maxBytes, maxCalls);
        QCOMPARE(int(result.status), int(tv::Aria2SendStatus::Done));
        QCOMPARE(result.sent, links);
        QCOMPARE(result.refused, 0);

        const QHash<QString, QJsonObject> held = m_aria2.downloads();
        const QStringList names = {"a b.jpg", "\u00e9t\u00e9.png", "index.html"};
        for (int i = 0; i < links; ++i) {
            const QJsonObject d = held.value(sent.at(i).gid);
            QCOMPARE(d[u"dir"].toString(), dir);
            const QString name = i < 3 ? names.at(i) : QStringLiteral("%1.bin").arg(i);
            QCOMPARE(d[u"files"][0][u"path"].toString(), dir + u'/' + name);
            const QJsonObject options = m_aria2.call("aria2.getOption", {sent.at(i).gid}).toObject();
            QCOMPARE(options.value(u"referer").toString(), pages.at(i));
        }
    }

    void nothingAddedTwice_data()
    {
        QTest::addColumn<bool>("dropAnswer");
        QTest::addColumn<QString>("scheme");
        // The client sends the batch again by itself.
        QTest::newRow("answer-lost") << true << "http";
        QTest::newRow("websocket-answer-lost") << true << "ws";
        // The user presses Send again with the same links.
        QTest::newRow("sent-again") << false << "http";
    }
    void nothingAddedTwice()
    {
        QFETCH(bool, dropAnswer);
        QFETCH(QString, scheme);
        QStringList urls;
        for (int i = 0; i < 6; ++i)
            urls << m_nowhere + QStringLiteral("/twice-%1.bin").arg(i);
        urls << QStringLiteral("no link at all");
        const QList<tv::Aria2Link> links = tv::aria2Links(urls);
        const qsizetype before = m_aria2.downloads().size();
        AnswerDroppingProxy proxy(m_aria2.port);
        QUrl address = dropAnswer ? proxy.address() : m_aria2.address();
        address.setScheme(scheme);
        if (!dropAnswer)
            QCOMPARE(send(address, m_aria2.secret, {}, links).sent, 6);

        const tv::Aria2SendResult result = send(address, m_aria2.secret, {}, links);
        QCOMPARE(proxy.dropped(), dropAnswer ? 1 : 0);
        QCOMPARE(int(result.status), int(tv::Aria2SendStatus::Done));
        QCOMPARE(result.sent, 6);
        QCOMPARE(result.refused, 1);
        QVERIFY2(result.firstRefusal.startsWith(u"no link at all: "), qPrintable(result.firstRefusal));
        QCOMPARE(m_aria2.downloads().size(), before + 6);
    }

    void cancelStopsBetweenBatches()
    {
        QStringList urls;
        for (int i = 0; i < 40; ++i)
            urls << m_nowhere + QStringLiteral("/cancel-%1.bin").arg(i);
        const qsizetype before = m_aria2.downloads().size();
        tv::Aria2Sender sender(m_aria2.address(), m_aria2.secret, {});
        sender.setBatchLimits(tv::Aria2MaxRequestBytes, 2);
        QObject::connect(&sender, &tv::Aria2Sender::progress, &sender, &tv::Aria2Sender::cancel);
        QSignalSpy done(&sender, &tv::Aria2Sender::finished);
        sender.start(tv::aria2Links(urls));
        QVERIFY(done.wait(20000));
        const tv::Aria2SendResult result = sender.result();
        QCOMPARE(int(result.status), int(tv::Aria2SendStatus::Cancelled));
        // The batches already on their way are answered, no more.
        QVERIFY2(result.sent >= 2 && result.sent <= 4, qPrintable(QString::number(result.sent)));
        QCOMPARE(m_aria2.downloads().size(), before + result.sent);
    }

    void failuresInPlainWords_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        const QString aria2 = QStringLiteral("127.0.0.1:%1/jsonrpc").arg(m_aria2.port);
        QTest::newRow("wrong-token") << "http://" + aria2 << "wrong" << "aria2 refused the secret token.";
        QTest::newRow("no-token") << "http://" + aria2 << "" << "aria2 refused the secret token.";
        QTest::newRow("nothing-listening") << m_nowhere + "/jsonrpc" << "x" << "Nothing is listening at 127.0.0.1";
        QTest::newRow("not-aria2") << "web" << "x" << "is not an aria2 RPC address";
        QTest::newRow("tls-to-plain-port") << "https://" + aria2 << "x" << "The secure (TLS) connection";
        QTest::newRow("websocket-wrong-token") << "ws://" + aria2 << "wrong" << "aria2 refused the secret token.";
        QTest::newRow("websocket-nothing-listening") << "ws" + m_nowhere.mid(4) << "x" << "Nothing is listening";
        QTest::newRow("websocket-not-aria2") << "ws-web" << "x" << "is not an aria2 RPC address";
        QTest::newRow("websocket-tls-to-plain-port") << "wss://" + aria2 << "x" << "The secure (TLS) connection";
    }
    void failuresInPlainWords()
    {
        QFETCH(QString, address);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        tvtest::HttpServer web;
        QVERIFY(web.listen());
        web.route(QStringLiteral("/"), tvtest::HttpServer::Response{200, "text/html", "<html>router</html>"});
        if (address == u"web")
            address = web.url(QStringLiteral("/"));
        if (address == u"ws-web")
            address = QStringLiteral("ws") + web.url(QStringLiteral("/")).mid(4);
        const tv::Aria2SendResult result =
            send(QUrl(address), token, {}, tv::aria2Links({m_nowhere + QStringLiteral("/never.bin")}));
        QCOMPARE(int(result.status), int(tv::Aria2SendStatus::Failed));
        QVERIFY2(result.errorText.startsWith(expected) || result.errorText.contains(expected),
                 qPrintable(result.errorText));
        QCOMPARE(result.sent, 0);
    }

    void tokenInClearOnlyToOtherMachines()
    {
        const std::tuple<const char *, const char *, bool> rows[] = {
            {"http://127.0.0.1:6800/jsonrpc", "t", false},
            {"http://localhost:6800/jsonrpc", "t", false},
            {"http://[::1]:6800/jsonrpc", "t", false},
            {"http://192.168.1.5:6800/jsonrpc", "t", true},
            {"http://nas.local:6800/jsonrpc", "t", true},
            {"https://nas.local:6800/jsonrpc", "t", false},
            {"ws://nas.local:6800/jsonrpc", "t", true},
            {"wss://nas.local:6800/jsonrpc", "t", false},
            {"http://nas.local:6800/jsonrpc", "", false},
        };
        for (const auto &[address, token, clear] : rows)
            QVERIFY2(tv::tokenTravelsInClear(QUrl(QLatin1String(address)), QLatin1String(token)) == clear, address);

        // Asked before anything is sent; No sends nothing (no traffic leaves this machine).
        tv::CRegSettings settings;
        tv::SendToAria2Dialog dialog({m_nowhere + QStringLiteral("/a.bin")}, {}, settings);
        dialog.txtAddress->setText(QStringLiteral("192.0.2.7:6800/jsonrpc"));
        dialog.txtToken->setText(QStringLiteral("t"));
        tvtest::MessageBoxScript boxes;
        boxes.answer(tv::MsgResult::No);
        dialog.cmdSend->click();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().at(0).title, QStringLiteral("Token Sent Unencrypted"));
        QVERIFY(!dialog.sending());
    }

    void tokenKeptOnlyWhenAskedInAPrivateFile()
    {
        tv::CRegSettings settings;
        tv::Aria2Settings values{QStringLiteral("http://nas:6800/jsonrpc"), QStringLiteral("/srv/in"),
                                 QStringLiteral("s3cret"), true};
        QVERIFY(tv::storeAria2Settings(settings, values));
        const QString tokenFile = tv::aria2TokenFile(settings);
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther | QFile::ExeOwner;
        QCOMPARE(QFile::permissions(tokenFile) & (others | QFile::ReadOwner | QFile::WriteOwner),
                 QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!tvtest::readFile(settings.fileName()).contains("s3cret"));
        tv::Aria2Settings loaded = tv::loadAria2Settings(settings);
        QCOMPARE(loaded.token, values.token);
        QCOMPARE(loaded.address, values.address);
        QCOMPARE(loaded.folder, values.folder);

        values.rememberToken = false;
        QVERIFY(tv::storeAria2Settings(settings, values));
        QVERIFY(!QFile::exists(tokenFile));
        QCOMPARE(tv::loadAria2Settings(settings).token, QString());
    }
};

TV_TEST_MAIN(TestAria2)
#include "tst_aria2.moc"
