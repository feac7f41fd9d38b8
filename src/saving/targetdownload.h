#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace tv {

enum class DownloadStatus { Completed, Cancelled, HttpError, NetworkError, WriteError, NotWeb };

struct DownloadResult
{
    DownloadStatus status = DownloadStatus::Completed;
    // With status HttpError the HTTP status; NetworkError a QNetworkReply
    // error number; WriteError the system's error number (or a
    // QFileDevice error when the temporary file cannot be made).
    qint32 code = 0;
    QString info;      // what went wrong, for the user
    QString savedPath; // the complete file, or the partial one kept on Cancel
    qint64 bytes = 0;
    // The failure may pass: refused, reset or timed out before the body, a
    // silent server, or HTTP 408, 425, 429, 500, 502, 503, 504.
    bool mayPass = false;
    qint64 retryAfterMs = -1; // the server's Retry-After, -1 when it sent none
};

// Retry-After in milliseconds from `now`: delay seconds or an HTTP date;
// -1 when absent or unreadable.
qint64 RetryAfterMs(const QByteArray &value, const QDateTime &now);

// One GET of an http or https address into one file. The body is written,
// as it arrives, to a hidden temporary file in the destination folder, which
// takes the file's name only when the body is complete, so a failed or
// cancelled download never destroys an existing file, and nothing is ever
// written through a link planted at a name. Redirects are followed up to
// MaxRedirects. A body the server compressed although asked not to is
// decoded unless the file's name says it is compressed. A server silent for
// stallTimeout() milliseconds ends the download with an error. What arrived
// of a body broken off or cancelled is kept as <name>.part with the link and
// the server's validator (ETag, else Last-Modified) in extended attributes;
// the next download of that link into that name continues it with Range
// and If-Range: 206 appends, 200 starts over, 416 with a part of the full
// length completes it. The part goes only once the file is whole.
class TargetDownload final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TargetDownload)
public:
    static constexpr int MaxRedirects = 10;
    static constexpr int DefaultStallMs = 60000;

    explicit TargetDownload(QNetworkAccessManager *network, QObject *parent = nullptr);
    ~TargetDownload() override;

    // Downloads `url` into `path`; `replace` allows an existing file there to
    // be replaced. finished() always follows, never from inside start().
    void start(const QUrl &url, const QString &path, bool replace);
    // Stops at once. What arrived is kept beside the file under its partial
    // name (nothing when no byte arrived); finished() reports Cancelled.
    void cancel();

    bool running() const { return m_running; }
    qint64 received() const { return m_received; }
    // The announced size, or -1 when the server gave no Content-Length.
    qint64 total() const { return m_total; }

    int stallTimeout() const;
    void setStallTimeout(int ms);

signals:
    void finished(const tv::DownloadResult &result);

private:
    void onMetaData();
    void drain();
    void fail(DownloadStatus status, qint32 code, const QString &info);
    void complete();
    void finish(DownloadResult result);
    void dropReply();
    bool openTemporary();
    bool writeOut(const char *data, qint64 size);
    bool writeRaw(const char *data, qint64 size);
    void failWrite(int error);
    // Whether `m_path`.part was kept by an earlier download of this link
    // with a validator; sets what the request must carry to continue it.
    bool findPart(const QUrl &url);
    // Puts the part's bytes in front of the body; false after fail().
    bool takePart();
    // Keeps what arrived under the partial name; returns it, or "".
    QString keepPart();

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QFile m_file;
    QString m_path;
    bool m_replace = false;
    bool m_running = false;
    bool m_replyFinished = false;
    bool m_drainQueued = false;
    qint64 m_received = 0;
    qint64 m_total = -1;
    QByteArray m_buffer;
    QTimer *m_stall;
    QUrl m_url;
    QString m_part;        // the part being continued, "" none
    qint64 m_partSize = 0;
    QByteArray m_partValidator;
    bool m_partComplete = false; // 416: the part was the whole file
    bool m_resumed = false;      // the part is in front of the body
    qint64 m_written = 0;  // bytes in the temporary file
    struct Inflater;
    std::unique_ptr<Inflater> m_inflater; // set while a compressed body is decoded
};

// What makes a kept part continuable: its link and validator, kept with it.
inline constexpr char PartUrlAttribute[] = "user.tallyvane.url";
inline constexpr char PartValidatorAttribute[] = "user.tallyvane.validator";

// "ErrorCode: <code> : <info>", the text of the transfer's error message;
// for a link that is not a web address, the plain words alone.
QString DownloadErrorText(const DownloadResult &result);

} // namespace tv
