#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace tv {

// At most one copy per user session: the first copy holds a lock file and
// listens on a local socket in the user's runtime folder; a later copy hands
// its address over through that socket and ends.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)
public:
    // Longest address accepted, in characters.
    static constexpr qint32 MaxAddressChars = 32768;

    explicit SingleInstance(const QString &id, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the first copy (and listens for hand-overs).
    bool tryBecomeFirst();
    bool isFirst() const { return m_server != nullptr; }

    // What the first copy is asked to do with a handed-over address.
    enum class Request { PageInFront, Build };

    // Sends the address (possibly empty: only bring the first copy forward) to
    // the first copy and waits for its acknowledgement. False when no first
    // copy answered within the time bound.
    bool handOver(const QString &address, int timeoutMs = 5000, Request request = Request::PageInFront) const;

    QString socketPath() const;
    QString lockPath() const;

    // The wire form of a hand-over: byte length (LE, 32 bits), then UTF-16LE
    // text. A build request sets the length's top bit, which copies that know
    // only the page in front refuse.
    static QByteArray encode(const QString &address, Request request = Request::PageInFront);
    // Decodes one complete message; false when it is malformed or incomplete.
    static bool decode(const QByteArray &bytes, QString *address, qsizetype *consumed, Request *request = nullptr);

signals:
    // An empty address only asks to bring the window forward.
    void handedOver(const QString &address);
    // A second start was given this address to build a list from.
    void buildRequested(const QString &address);

private:
    void onNewConnection();
    void readFrom(QLocalSocket *socket);

    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace tv
