#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QWebSocket;

namespace tv {

// Carries whole DevTools messages to and from one browser. Messages that
// arrive are handed on in order; disconnected() comes once, after the last
// of them, whichever side ended the connection.
class CdpTransport : public QObject
{
    Q_OBJECT
public:
    // Largest message accepted from a browser. Snapshots of very large pages
    // run to a few MB; anything beyond this is a runaway page.
    static constexpr qint64 MaxIncomingMessage = 256LL * 1024 * 1024;

    using QObject::QObject;
    ~CdpTransport() override = default;

    virtual bool isOpen() const = 0;
    virtual void sendMessage(const QByteArray &message) = 0;
    // Ends the connection; disconnected() follows.
    virtual void close() = 0;

signals:
    void messageReceived(const QByteArray &message);
    void disconnected();
};

// A browser's DevTools endpoint over a WebSocket on 127.0.0.1.
class CdpWebSocketTransport final : public CdpTransport
{
    Q_OBJECT
public:
    explicit CdpWebSocketTransport(QObject *parent = nullptr);
    ~CdpWebSocketTransport() override;

    // Connects and waits up to timeoutMs, letting events run; false on failure.
    bool open(const QUrl &endpoint, int timeoutMs);

    bool isOpen() const override;
    void sendMessage(const QByteArray &message) override;
    void close() override;

private:
    QWebSocket *m_socket;
    bool m_ended = false;
};

} // namespace tv
