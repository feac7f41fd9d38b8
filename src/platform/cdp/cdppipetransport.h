#pragma once

#include "platform/cdp/cdptransport.h"

class QSocketNotifier;

namespace tv {

// Cuts the browser's NUL-ended messages out of the bytes read from its pipe.
class CdpFrameReader
{
public:
    // Room for up to `n` more bytes at the end; commit() keeps what was read.
    char *reserve(qsizetype n);
    void commit(qsizetype reserved, qsizetype used);
    void append(QByteArrayView bytes);
    // The next whole message, empty ones skipped; false when none is complete.
    bool next(QByteArray &message);
    // Bytes held of a message not yet complete.
    qsizetype pending() const { return m_in.size() - m_from; }
    void clear();

private:
    QByteArray m_in;
    qsizetype m_from = 0;    // where the next message starts
    qsizetype m_scanned = 0; // bytes of m_in known to hold no NUL
};

// The DevTools connection of a browser that this program starts itself, over
// a pair of pipes (--remote-debugging-pipe): the browser reads commands on
// its descriptor 3 and writes replies and events on its descriptor 4, each
// message ended by a NUL byte. Nothing listens on a port, so no other user
// or program of this machine can reach the browser.
class CdpPipeTransport final : public CdpTransport
{
    Q_OBJECT
public:
    // The browser's command line switch for this transport.
    static QString browserSwitch();

    explicit CdpPipeTransport(QObject *parent = nullptr);
    ~CdpPipeTransport() override;

    // Makes the pipes; false, with the reason, when the system refuses.
    bool create(QString *error = nullptr);
    // To run in the browser's process between fork and exec (a QProcess
    // child process modifier): puts the browser's ends of the pipes on
    // descriptors 3 and 4. Uses only calls that are safe at that point.
    void placeBrowserEnds() const noexcept;
    // Once the browser runs: drops this side's copies of the browser's ends,
    // so that the browser's exit reads as the end of the stream, and starts
    // reading.
    void start();

    bool isOpen() const override;
    void sendMessage(const QByteArray &message) override;
    // Closing the command pipe makes the browser end itself.
    void close() override;

private:
    void readAvailable();
    void writePending();
    void end();
    void closeBrowserEnds();

    int m_commands = -1;        // written here, read by the browser as descriptor 3
    int m_replies = -1;         // read here, written by the browser as descriptor 4
    int m_browserCommands = -1; // the browser's ends, until start()
    int m_browserReplies = -1;
    QSocketNotifier *m_readable = nullptr;
    QSocketNotifier *m_writable = nullptr;
    CdpFrameReader m_in;
    QByteArray m_out;
    bool m_started = false;
    bool m_ended = false;
};

} // namespace tv
