#pragma once

#include "platform/cdp/cdppipetransport.h"

#include <QObject>
#include <QSet>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QProcess;

namespace tv {

// Runs one browser with --remote-debugging-pipe and offers that pipe to one
// client at a time on a Unix-domain socket (mode 0600). Messages pass
// through whole; only request ids and the browser's sessions are watched, so
// that what a client left behind (sessions, auto-attach, target discovery,
// replies still on their way) never reaches the next one. Ends, removing its
// socket, when the browser ends.
class BrowserCompanion final : public QObject
{
    Q_OBJECT
public:
    BrowserCompanion(QString socketPath, QString program, QStringList arguments, QObject *parent = nullptr);
    ~BrowserCompanion() override;

    // Listens and starts the browser; false, with the reason, on failure.
    bool start(QString *error);
    // Ends the browser, and then itself.
    void stop() { end(); }

signals:
    void finished();

private:
    bool listen(QString *error);
    void accept();
    void fromClient();
    void clientGone();
    void fromBrowser(const QByteArray &message);
    void watchSessions(const QByteArray &message);
    void resetBrowser();
    void sendOwn(const QString &method, const QJsonObject &params, const QString &sessionId = {});
    void end();

    QString m_socketPath;
    QString m_program;
    QStringList m_arguments;
    QLocalServer *m_server = nullptr;
    QProcess *m_browser = nullptr;
    CdpPipeTransport *m_pipe = nullptr;
    QLocalSocket *m_client = nullptr;
    CdpFrameReader m_fromClient;
    qint64 m_nextId = 1;      // above every id used so far, by any client or by us
    qint64 m_clientFirstId = 1;
    QSet<qint64> m_ownIds;    // our own requests, whose replies nobody else gets
    QSet<QString> m_sessions; // the browser's sessions attached to targets
    bool m_ended = false;
};

} // namespace tv
