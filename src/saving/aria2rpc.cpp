#include "saving/aria2rpc.h"

#include "saving/targetnames.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QSslError>
#include <QTimer>
#include <QWebSocket>

namespace tv {

namespace {

// A JSON string literal, written directly: a batch of a thousand calls is
// made many times faster than through QJsonDocument.
void appendJsonString(QString &out, const QString &text)
{
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            out += c;
        }
    }
    out += u'"';
}

void appendOption(QString &out, const char *name, const QString &value)
{
    if (value.isEmpty())
        return;
    if (!out.endsWith(u'{'))
        out += u',';
    out += u'"';
    out += QLatin1String(name);
    out += QStringLiteral("\":");
    appendJsonString(out, value);
}

QString tokenParam(const QString &token)
{
    if (token.isEmpty())
        return QString();
    QString param;
    appendJsonString(param, QStringLiteral("token:") + token);
    return param + u',';
}

bool isUnauthorized(const QString &message)
{
    return message == u"Unauthorized";
}

// Answers that may mean the request arrived and only its answer was lost.
bool answerMayBeLost(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

constexpr int MaxAttempts = 3;

} // namespace

QList<Aria2Link> aria2Links(const QStringList &urls, const QStringList &pages)
{
    QList<Aria2Link> links;
    links.reserve(urls.size());
    quint64 gid = QRandomGenerator::system()->generate64();
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (++gid == 0)
            ++gid;
        links.append({urls.at(i), pages.value(i), QStringLiteral("%1").arg(gid, 16, 16, QChar(u'0'))});
    }
    return links;
}

Aria2Batches::Aria2Batches(QString token, QString dir, qsizetype maxBytes, int maxCalls)
    : m_token(std::move(token)), m_dir(std::move(dir)), m_maxBytes(maxBytes), m_maxCalls(maxCalls)
{
}

QByteArray Aria2Batches::addUriCall(const Aria2Link &link) const
{
    QString call = QStringLiteral("{\"methodName\":\"aria2.addUri\",\"params\":[") + tokenParam(m_token) + u'[';
    appendJsonString(call, link.url);
    call += QStringLiteral("],{");
    appendOption(call, "gid", link.gid);
    appendOption(call, "dir", m_dir);
    appendOption(call, "out", TargetFileName(link.url));
    appendOption(call, "referer", link.referer);
    call += QStringLiteral("}]}");
    return call.toUtf8();
}

QByteArray Aria2Batches::envelope(const QByteArray &calls) const
{
    return QByteArrayLiteral("{\"jsonrpc\":\"2.0\",\"id\":") + QByteArray::number(++m_lastId) +
           QByteArrayLiteral(",\"method\":\"system.multicall\",\"params\":[[") + calls + QByteArrayLiteral("]]}");
}

QByteArray Aria2Batches::next(const QList<Aria2Link> &links, qsizetype from, qsizetype *count) const
{
    // Room for an id of up to 20 digits.
    const qsizetype room = m_maxBytes - envelope(QByteArray()).size() - 20;
    QByteArray calls;
    qsizetype n = 0;
    for (qsizetype i = from; i < links.size() && n < m_maxCalls; ++i, ++n) {
        const QByteArray call = addUriCall(links.at(i));
        if (calls.size() + call.size() + 1 > room)
            break;
        if (!calls.isEmpty())
            calls += ',';
        calls += call;
    }
    *count = n;
    return n == 0 ? QByteArray() : envelope(calls);
}

QByteArray Aria2Batches::statusQuery(const QStringList &gids) const
{
    QString calls;
    for (const QString &gid : gids) {
        if (!calls.isEmpty())
            calls += u',';
        calls += QStringLiteral("{\"methodName\":\"aria2.tellStatus\",\"params\":[") + tokenParam(m_token);
        appendJsonString(calls, gid);
        calls += QStringLiteral(",[\"gid\"]]}");
    }
    return envelope(calls.toUtf8());
}

Aria2Answer parseAria2Answer(const QByteArray &body, qsizetype expectedCalls)
{
    Aria2Answer answer;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    const QJsonObject top = doc.object();
    if (!doc.isObject() || top.value(u"jsonrpc").toString() != u"2.0")
        return answer;
    if (top.contains(u"error")) {
        answer.valid = true;
        answer.error = top.value(u"error").toObject().value(u"message").toString();
        answer.unauthorized = isUnauthorized(answer.error);
        return answer;
    }
    const QJsonValue result = top.value(u"result");
    if (!result.isArray())
        return answer;
    answer.valid = true;
    for (const QJsonValue call : result.toArray()) {
        Aria2CallResult r;
        r.ok = call.isArray();
        if (!r.ok) {
            r.message = call.toObject().value(u"message").toString();
            answer.unauthorized = answer.unauthorized || isUnauthorized(r.message);
        }
        answer.calls.append(r);
    }
    if (answer.calls.size() != expectedCalls)
        answer.error = QStringLiteral("aria2 answered %1 of %2 calls").arg(answer.calls.size()).arg(expectedCalls);
    return answer;
}

bool isAria2Address(const QUrl &address)
{
    const QString scheme = address.scheme().toLower();
    return address.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"ws" || scheme == u"wss") &&
           !address.host().isEmpty();
}

bool tokenTravelsInClear(const QUrl &address, const QString &token)
{
    const QString scheme = address.scheme().toLower();
    if (token.isEmpty() || (scheme != u"http" && scheme != u"ws"))
        return false;
    const QString host = address.host().toLower();
    if (host == u"localhost" || host.endsWith(u".localhost"))
        return false;
    const QHostAddress ip(host);
    return ip.isNull() || !ip.isLoopback();
}

QString aria2Summary(const Aria2SendResult &result)
{
    QString text = QStringLiteral("%1 sent, %2 refused").arg(result.sent).arg(result.refused);
    if (!result.firstRefusal.isEmpty())
        text += QStringLiteral("\n\nThe first refused: %1").arg(result.firstRefusal);
    return text;
}

Aria2Sender::Aria2Sender(QUrl address, QString token, QString dir, QObject *parent)
    : QObject(parent), m_address(std::move(address)), m_batches(std::move(token), std::move(dir)),
      m_network(new QNetworkAccessManager(this)), m_socketTimeout(new QTimer(this))
{
    const QString scheme = m_address.scheme().toLower();
    m_overSocket = scheme == u"ws" || scheme == u"wss";
    m_socketTimeout->setSingleShot(true);
    connect(m_socketTimeout, &QTimer::timeout, this, [this] {
        if (!m_socket)
            return;
        m_socketTimedOut = true;
        m_socket->abort();
    });
    connect(m_network, &QNetworkAccessManager::sslErrors, this, [this](QNetworkReply *, const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            m_sslErrors.append(e.errorString());
    });
}

Aria2Sender::~Aria2Sender()
{
    m_running = false;
    if (m_socket)
        m_socket->disconnect(this);
    for (Batch &batch : m_inFlight) {
        if (batch.reply)
            batch.reply->abort();
    }
}

void Aria2Sender::setBatchLimits(qsizetype maxBytes, int maxCalls)
{
    m_batches.setLimits(maxBytes, maxCalls);
}

void Aria2Sender::start(QList<Aria2Link> links)
{
    m_links = std::move(links);
    m_result = Aria2SendResult();
    m_result.total = m_links.size();
    m_next = 0;
    m_done = 0;
    m_firstRefused = -1;
    m_running = true;
    m_cancelled = false;
    fill();
}

void Aria2Sender::cancel()
{
    m_cancelled = true;
    if (m_running && m_inFlight.empty())
        finish(Aria2SendStatus::Cancelled);
}

void Aria2Sender::fill()
{
    constexpr std::size_t MaxInFlight = 2;
    while (!m_cancelled && m_next < m_links.size() && m_inFlight.size() < MaxInFlight) {
        Batch batch;
        batch.first = m_next;
        batch.body = m_batches.next(m_links, m_next, &batch.count);
        if (batch.count == 0) {
            // One link alone too large for a request aria2 accepts.
            refuse(m_next, QStringLiteral("too long to send"));
            ++m_next;
            ++m_done;
            continue;
        }
        batch.id = m_batches.lastId();
        m_next += batch.count;
        m_inFlight.push_back(std::move(batch));
        post(m_inFlight.back());
    }
    if (m_inFlight.empty())
        finish(m_done < m_links.size() ? Aria2SendStatus::Cancelled : Aria2SendStatus::Done);
}

void Aria2Sender::post(Batch &batch)
{
    ++batch.attempts;
    if (m_overSocket) {
        batch.posted = false;
        if (m_socket && m_socketOpened) {
            m_socket->sendTextMessage(QString::fromUtf8(batch.body));
            batch.posted = true;
            if (!m_socketTimeout->isActive())
                m_socketTimeout->start(m_timeoutMs);
        } else {
            openSocket();
        }
        return;
    }
    QNetworkRequest request(m_address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    batch.reply = m_network->post(request, batch.body);
    connect(batch.reply, &QNetworkReply::encrypted, this, [this] { m_secured = true; });
    connect(batch.reply, &QNetworkReply::finished, this,
            [this, b = &batch, reply = batch.reply.data()] { replied(b, reply); });
}

void Aria2Sender::replied(Batch *batch, QNetworkReply *reply)
{
    reply->deleteLater();
    if (!m_running)
        return;
    const QByteArray body = reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0 && error != QNetworkReply::NoError) {
        // aria2 may have added a batch whose answer was lost: the same
        // gids sent again add nothing twice.
        if (answerMayBeLost(error) && batch->attempts < MaxAttempts && !tlsFailed()) {
            post(*batch);
            return;
        }
        finish(Aria2SendStatus::Failed, transportError(error, reply->errorString()));
        return;
    }
    answered(batch, body, status);
}

void Aria2Sender::answered(Batch *batch, const QByteArray &body, int status)
{
    const Aria2Answer answer = parseAria2Answer(body, batch->checking ? batch->unsure.size() : batch->count);
    const QString where = m_address.toDisplayString(QUrl::RemoveUserInfo);
    if (!answer.valid) {
        const QString how = status != 200 ? QStringLiteral("the server answered HTTP %1").arg(status)
                                          : QStringLiteral("its answer is not aria2's");
        finish(Aria2SendStatus::Failed,
               QStringLiteral("%1 is not an aria2 RPC address (%2). aria2's is usually http://host:6800/jsonrpc.")
                   .arg(where, how));
        return;
    }
    if (answer.unauthorized) {
        finish(Aria2SendStatus::Failed, QStringLiteral("aria2 refused the secret token."));
        return;
    }
    if (!answer.error.isEmpty()) {
        finish(Aria2SendStatus::Failed, QStringLiteral("aria2 at %1 answered: %2").arg(where, answer.error));
        return;
    }
    if (!batch->checking) {
        batchAnswered(*batch, answer);
        return;
    }
    for (qsizetype i = 0; i < batch->unsure.size(); ++i) {
        if (answer.calls.at(i).ok)
            ++m_result.sent;
        else
            refuse(batch->unsure.at(i), batch->reasons.at(i));
    }
    batchDone(batch);
}

void Aria2Sender::batchAnswered(Batch &batch, const Aria2Answer &answer)
{
    QStringList gids;
    for (qsizetype i = 0; i < answer.calls.size(); ++i) {
        if (answer.calls.at(i).ok) {
            ++m_result.sent;
        } else {
            batch.unsure.append(batch.first + i);
            batch.reasons.append(answer.calls.at(i).message);
            gids.append(m_links.at(batch.first + i).gid);
        }
    }
    if (gids.isEmpty()) {
        batchDone(&batch);
        return;
    }
    // aria2 gives a gid it already holds the same reason as a link it cannot
    // use: ask which of these it holds.
    batch.checking = true;
    batch.attempts = 0;
    batch.body = m_batches.statusQuery(gids);
    batch.id = m_batches.lastId();
    post(batch);
}

void Aria2Sender::batchDone(Batch *batch)
{
    m_done += batch->count;
    m_inFlight.remove_if([batch](const Batch &b) { return &b == batch; });
    emit progress(m_done, m_links.size());
    fill();
}

void Aria2Sender::refuse(qsizetype link, const QString &reason)
{
    ++m_result.refused;
    if (m_firstRefused < 0 || link < m_firstRefused) {
        m_firstRefused = link;
        m_result.firstRefusal = m_links.at(link).url.left(200) + QStringLiteral(": ") + reason;
    }
}

void Aria2Sender::finish(Aria2SendStatus status, const QString &errorText)
{
    m_running = false;
    for (Batch &batch : m_inFlight) {
        if (batch.reply)
            batch.reply->abort();
    }
    m_inFlight.clear();
    m_result.status = status;
    m_result.errorText = errorText;
    emit finished(m_result);
}

bool Aria2Sender::tlsFailed() const
{
    const QString scheme = m_address.scheme().toLower();
    return (scheme == u"https" || scheme == u"wss") && !m_secured;
}

void Aria2Sender::openSocket()
{
    if (m_socket)
        return;
    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    m_socketOpened = false;
    m_socketTimedOut = false;
    m_socketFailure = QAbstractSocket::UnknownSocketError;
    m_socketFailureText.clear();
    QWebSocket *socket = m_socket;
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        m_socketOpened = true;
        m_secured = true;   // for wss: the handshake is done (ws never asks)
        for (Batch &batch : m_inFlight) {
            if (!batch.posted) {
                socket->sendTextMessage(QString::fromUtf8(batch.body));
                batch.posted = true;
            }
        }
    });
    connect(socket, &QWebSocket::textMessageReceived, this, &Aria2Sender::socketMessage);
    connect(socket, &QWebSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            m_sslErrors.append(e.errorString());
    });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket](QAbstractSocket::SocketError error) {
                // The first error says why; the disconnection after it may not.
                if (socket == m_socket && m_socketFailure == QAbstractSocket::UnknownSocketError) {
                    m_socketFailure = error;
                    m_socketFailureText = socket->errorString();
                }
                socketLost(socket);
            });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { socketLost(socket); });
    m_socketTimeout->start(m_timeoutMs);
    socket->open(m_address);
}

void Aria2Sender::socketMessage(const QString &message)
{
    const QByteArray body = message.toUtf8();
    const qint64 id = QJsonDocument::fromJson(body).object().value(u"id").toInteger();
    for (Batch &batch : m_inFlight) {
        if (batch.id == id) {
            m_socketTimeout->start(m_timeoutMs);
            answered(&batch, body, 200);
            return;
        }
    }
}

void Aria2Sender::socketLost(QWebSocket *socket)
{
    if (socket != m_socket)
        return;
    if (m_socketFailure == QAbstractSocket::UnknownSocketError) {
        m_socketFailure = socket->error();
        m_socketFailureText = socket->errorString();
    }
    m_socket = nullptr;
    socket->disconnect(this);
    socket->deleteLater();
    m_socketTimeout->stop();
    if (!m_running || m_inFlight.empty())
        return;
    // Opened and then lost: the answers may be what was lost.
    bool again = m_socketOpened && !tlsFailed();
    for (const Batch &batch : m_inFlight)
        again = again && batch.attempts < MaxAttempts;
    if (again) {
        for (Batch &batch : m_inFlight) {
            ++batch.attempts;
            batch.posted = false;
        }
        openSocket();
        return;
    }
    finish(Aria2SendStatus::Failed, socketError());
}

QString Aria2Sender::socketError() const
{
    const QString text = m_socketFailureText;
    if (m_socketTimedOut)
        return transportError(QNetworkReply::TimeoutError, text);
    switch (m_socketFailure) {
    case QAbstractSocket::ConnectionRefusedError:
        // The server answered the WebSocket handshake with something else.
        if (text.contains(QStringLiteral("status code"), Qt::CaseInsensitive) ||
            text.contains(QStringLiteral("handshake"), Qt::CaseInsensitive))
            return QStringLiteral("%1 is not an aria2 RPC address (%2). aria2's is usually ws://host:6800/jsonrpc.")
                .arg(m_address.toDisplayString(QUrl::RemoveUserInfo), text);
        return transportError(QNetworkReply::ConnectionRefusedError, text);
    case QAbstractSocket::HostNotFoundError:
        return transportError(QNetworkReply::HostNotFoundError, text);
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
        return transportError(QNetworkReply::SslHandshakeFailedError, text);
    default:
        return transportError(QNetworkReply::RemoteHostClosedError, text);
    }
}

QString Aria2Sender::transportError(QNetworkReply::NetworkError error, const QString &errorString) const
{
    const QString host = m_address.host();
    const QString scheme = m_address.scheme().toLower();
    const int port = m_address.port(scheme == u"https" || scheme == u"wss" ? 443 : 80);
    if (error == QNetworkReply::ConnectionRefusedError)
        return QStringLiteral("Nothing is listening at %1, port %2. Is aria2 running there with --enable-rpc and "
                              "this --rpc-listen-port?")
            .arg(host)
            .arg(port);
    if (error == QNetworkReply::HostNotFoundError)
        return QStringLiteral("The host %1 could not be found.").arg(host);
    if (error == QNetworkReply::SslHandshakeFailedError || !m_sslErrors.isEmpty() || tlsFailed()) {
        const QString why = !m_sslErrors.isEmpty() ? m_sslErrors.join(QStringLiteral("; "))
                            : error == QNetworkReply::RemoteHostClosedError
                                ? QStringLiteral("the server ended the connection during the handshake (does it "
                                                 "speak TLS?)")
                                : errorString;
        return QStringLiteral("The secure (TLS) connection to %1 failed: %2").arg(host, why);
    }
    if (error == QNetworkReply::TimeoutError || error == QNetworkReply::OperationCanceledError)
        return QStringLiteral("aria2 at %1 did not answer within %2 s.").arg(host).arg(m_timeoutMs / 1000);
    if (error == QNetworkReply::RemoteHostClosedError)
        return QStringLiteral("%1 closed the connection without an answer (an aria2 started with an "
                              "--rpc-max-request-size under 2M does that).")
            .arg(host);
    return QStringLiteral("Sending to %1 failed: %2").arg(host, errorString);
}

} // namespace tv
