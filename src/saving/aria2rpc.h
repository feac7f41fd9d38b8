#pragma once

// Handing links to an aria2 download daemon over its JSON-RPC interface:
// the calls, their batches, and the client that sends them.

#include <QByteArray>
#include <QList>
#include <QAbstractSocket>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <list>

class QNetworkAccessManager;
class QTimer;
class QWebSocket;

namespace tv {

// One download for aria2: the link, the page it was found on (empty when
// none), and the identifier chosen here so that the same download sent twice
// is added once. aria2 is to name the file as a saved target would be named.
struct Aria2Link
{
    QString url;
    QString referer;
    QString gid;
};

// The links to send, each with a gid of its own: consecutive numbers from a
// random start, 16 hexadecimal digits, never all zero (aria2 reserves that
// one). `pages` runs beside `urls` (missing entries: no page).
QList<Aria2Link> aria2Links(const QStringList &urls, const QStringList &pages = {});

// aria2 drops a request over --rpc-max-request-size, 2 MiB by default; the
// envelope and the HTTP head stay well inside what is left.
inline constexpr qsizetype Aria2MaxRequestBytes = 2 * 1024 * 1024 - 64 * 1024;

// The JSON-RPC request bodies that carry the links as aria2.addUri calls in
// system.multicall batches, each body under `maxBytes` and holding at most
// `maxCalls` calls, every call carrying the token.
class Aria2Batches
{
public:
    Aria2Batches(QString token, QString dir, qsizetype maxBytes = Aria2MaxRequestBytes, int maxCalls = 1000);

    // The body for links[from...]; `count` tells how many it holds (0 only
    // when links[from] alone is too large for a request).
    QByteArray next(const QList<Aria2Link> &links, qsizetype from, qsizetype *count) const;
    // A multicall asking aria2.tellStatus of each gid.
    QByteArray statusQuery(const QStringList &gids) const;
    // The JSON-RPC id of the last body made: each body gets the next number.
    qint64 lastId() const { return m_lastId; }

    QByteArray addUriCall(const Aria2Link &link) const;
    void setLimits(qsizetype maxBytes, int maxCalls)
    {
        m_maxBytes = maxBytes;
        m_maxCalls = maxCalls;
    }

private:
    QByteArray envelope(const QByteArray &calls) const;

    QString m_token;
    QString m_dir;
    qsizetype m_maxBytes;
    int m_maxCalls;
    mutable qint64 m_lastId = 0;
};

// What became of one call of a multicall answer.
struct Aria2CallResult
{
    bool ok = false;
    QString message;   // aria2's reason when not ok
};

// Reads an answer to a multicall: one result per call, or an error text
// (`unauthorized` set when aria2 refused the token).
struct Aria2Answer
{
    QList<Aria2CallResult> calls;
    QString error;
    bool unauthorized = false;
    bool valid = false;   // it was a JSON-RPC answer at all
};
Aria2Answer parseAria2Answer(const QByteArray &body, qsizetype expectedCalls);

// Whether sending a token to this address would carry it over the network
// in clear: a token, to http:// or ws:// on a host that is not this machine.
bool tokenTravelsInClear(const QUrl &address, const QString &token);
// Whether the address is one the client can talk to: http, https, or
// aria2's WebSocket form ws, wss; with a host.
bool isAria2Address(const QUrl &address);

enum class Aria2SendStatus { Done, Cancelled, Failed };

struct Aria2SendResult
{
    Aria2SendStatus status = Aria2SendStatus::Done;
    qsizetype sent = 0;        // added by aria2 (or there already from an earlier send)
    qsizetype refused = 0;
    qsizetype total = 0;
    QString firstRefusal;      // "<link>: <aria2's reason>"
    QString errorText;         // why the send failed, in plain words
};

// "N sent, M refused" and, when something was refused, the first reason.
QString aria2Summary(const Aria2SendResult &result);

// Sends links to aria2 in batches, two requests on their way at most (aria2
// works on one while the next travels), without blocking the thread; over
// HTTP(S) or over one WebSocket for ws:// and wss:// addresses. A batch
// whose answer is lost is sent again; calls aria2 refuses are checked against
// the downloads it holds, so one that is already there counts as sent.
class Aria2Sender final : public QObject
{
    Q_OBJECT
public:
    Aria2Sender(QUrl address, QString token, QString dir, QObject *parent = nullptr);
    ~Aria2Sender() override;

    void setBatchLimits(qsizetype maxBytes, int maxCalls);
    // How long one request may take before its answer counts as lost.
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }

    void start(QList<Aria2Link> links);
    // Stops once the batches on their way are answered.
    void cancel();
    bool running() const { return m_running; }
    const Aria2SendResult &result() const { return m_result; }

signals:
    void progress(qsizetype done, qsizetype total);
    void finished(const tv::Aria2SendResult &result);

private:
    struct Batch
    {
        qsizetype first = 0;
        qsizetype count = 0;
        QByteArray body;               // the request on its way, kept to send it again
        qint64 id = 0;                 // its JSON-RPC id
        bool posted = false;           // on the WebSocket: sent since it last opened
        int attempts = 0;
        bool checking = false;         // the answer awaited is a status query
        QList<qsizetype> unsure;       // links refused, being checked
        QStringList reasons;
        QPointer<QNetworkReply> reply;
    };

    void fill();
    void post(Batch &batch);
    void replied(Batch *batch, QNetworkReply *reply);
    void answered(Batch *batch, const QByteArray &body, int httpStatus);
    void openSocket();
    void socketMessage(const QString &message);
    void socketLost(QWebSocket *socket);
    QString socketError() const;
    void batchAnswered(Batch &batch, const Aria2Answer &answer);
    void batchDone(Batch *batch);
    void refuse(qsizetype link, const QString &reason);
    void finish(Aria2SendStatus status, const QString &errorText = QString());
    QString transportError(QNetworkReply::NetworkError error, const QString &errorString) const;
    // An https address whose TLS handshake never completed.
    bool tlsFailed() const;

    QUrl m_address;
    Aria2Batches m_batches;
    QNetworkAccessManager *m_network;
    QList<Aria2Link> m_links;
    std::list<Batch> m_inFlight;
    qsizetype m_next = 0;          // first link not yet in a batch
    qsizetype m_done = 0;          // links of the answered batches
    qsizetype m_firstRefused = -1;
    QStringList m_sslErrors;
    int m_timeoutMs = 120000;
    bool m_secured = false;        // a TLS handshake with the address completed
    bool m_overSocket = false;     // ws:// or wss://
    QWebSocket *m_socket = nullptr;
    bool m_socketOpened = false;   // it opened once: a later loss may be a lost answer
    QTimer *m_socketTimeout = nullptr;
    bool m_socketTimedOut = false;
    QAbstractSocket::SocketError m_socketFailure = QAbstractSocket::UnknownSocketError;
    QString m_socketFailureText;
    bool m_running = false;
    bool m_cancelled = false;
    Aria2SendResult m_result;
};

} // namespace tv
