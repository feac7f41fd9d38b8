#pragma once

#include "platform/cdp/cdppipetransport.h"
#include "platform/cdp/companionlink.h"

class QLocalSocket;

namespace tv {

// The viewer's browser through its companion's Unix-domain socket: the same
// NUL-ended messages as on the browser's own pipe, after the companion's
// greeting.
class CdpSocketTransport final : public CdpTransport
{
    Q_OBJECT
public:
    enum class Result {
        Connected,
        NoCompanion, // nobody listens there (a socket left by a companion that has gone)
        Refused,     // another client holds the companion
        Failed,      // no greeting in time, or not a companion
    };

    explicit CdpSocketTransport(QObject *parent = nullptr);
    ~CdpSocketTransport() override;

    // Connects and waits up to timeoutMs for the greeting, letting events run.
    Result open(const QString &path, int timeoutMs);
    const companion::Hello &hello() const { return m_hello; }

    bool isOpen() const override;
    void sendMessage(const QByteArray &message) override;
    void close() override;

private:
    void readAvailable();
    void end();

    QLocalSocket *m_socket;
    CdpFrameReader m_in;
    companion::Hello m_hello;
    bool m_greeted = false;
    bool m_ended = false;
};

} // namespace tv
