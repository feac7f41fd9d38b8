#include "saving/targetdownload.h"

#include "saving/targetnames.h"

#include <QDir>
#include <QLocale>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

#include <cerrno>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <zlib.h>

namespace tv {

namespace {

// Reading stops after this long and goes on after pending events have run,
// so a fast source never keeps the window from answering.
constexpr int SliceMs = 20;
constexpr qsizetype BlockSize = 256 << 10;
// What the network may hold unread; past it, reading from the socket waits,
// so a disk slower than the network never fills the memory with the file.
// Each wait costs a round trip to the network thread: at 8 MiB a loopback
// transfer ran at half the speed of curl, at 32 MiB it keeps up.
constexpr qint64 ReadBufferSize = 32 << 20;

QString folderOf(const QString &path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

// As browsers do: a file named as compressed is kept as served.
bool namedCompressed(const QString &path)
{
    static const QStringList endings{QStringLiteral(".gz"), QStringLiteral(".tgz"), QStringLiteral(".svgz"),
                                     QStringLiteral(".z"), QStringLiteral(".zz")};
    return std::any_of(endings.begin(), endings.end(),
                       [&](const QString &end) { return path.endsWith(end, Qt::CaseInsensitive); });
}

bool statusMayPass(int status)
{
    return status == 408 || status == 425 || status == 429 || status == 500 || status == 502 || status == 503 ||
           status == 504;
}

} // namespace

qint64 RetryAfterMs(const QByteArray &value, const QDateTime &now)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    bool isNumber = false;
    const qint64 seconds = text.toLongLong(&isNumber);
    if (isNumber)
        return seconds >= 0 ? std::min<qint64>(seconds, qint64(1) << 40) * 1000 : -1;
    const QDateTime when = QLocale::c().toDateTime(QString::fromLatin1(text), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!when.isValid())
        return -1;
    return std::max<qint64>(0, now.msecsTo(QDateTime(when.date(), when.time(), Qt::UTC)));
}

struct TargetDownload::Inflater
{
    z_stream stream{};
    bool ended = false;
    Inflater() { inflateInit2(&stream, MAX_WBITS + 32); } // gzip or zlib, told by the header
    ~Inflater() { inflateEnd(&stream); }
    Q_DISABLE_COPY_MOVE(Inflater)
};

QString DownloadErrorText(const DownloadResult &result)
{
    if (result.status == DownloadStatus::NotWeb)
        return result.info;
    return QStringLiteral("ErrorCode: %1 : %2").arg(result.code).arg(result.info);
}

TargetDownload::TargetDownload(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent), m_network(network), m_stall(new QTimer(this))
{
    m_stall->setSingleShot(true);
    m_stall->setInterval(DefaultStallMs);
    connect(m_stall, &QTimer::timeout, this, [this] {
        fail(DownloadStatus::NetworkError, qint32(QNetworkReply::TimeoutError),
             QStringLiteral("The server sent nothing for %1 seconds").arg(m_stall->interval() / 1000.0));
    });
}

int TargetDownload::stallTimeout() const
{
    return m_stall->interval();
}

void TargetDownload::setStallTimeout(int ms)
{
    m_stall->setInterval(ms);
}

TargetDownload::~TargetDownload()
{
    dropReply();
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
}

bool TargetDownload::openTemporary()
{
    const QString folder = folderOf(m_path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_file.setFileName(folder + QStringLiteral(".tallyvane-%1.download")
                                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!m_file.exists())
            return false; // not a name clash: the folder cannot be written
    }
    return false;
}

void TargetDownload::start(const QUrl &url, const QString &path, bool replace)
{
    m_path = path;
    m_replace = replace;
    m_running = true;
    m_replyFinished = false;
    m_received = 0;
    m_total = -1;
    m_inflater.reset();
    m_url = url;
    m_written = 0;
    m_partComplete = false;
    m_resumed = false;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https") {
        const DownloadResult result{
            DownloadStatus::NotWeb, 0,
            QStringLiteral("\"%1\" was not saved: Tallyvane saves only web addresses (http and https).")
                .arg(url.toDisplayString()),
            QString(), 0};
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    if (!openTemporary()) {
        const DownloadResult result{DownloadStatus::WriteError, qint32(m_file.error()),
                                    QStringLiteral("Cannot create a file in \"%1\": %2")
                                        .arg(QDir::toNativeSeparators(folderOf(path)), m_file.errorString()),
                                    QString(), 0};
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    if (m_buffer.size() != BlockSize)
        m_buffer.resize(BlockSize);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // The file is saved as served: no transparent decompression.
    request.setRawHeader("Accept-Encoding", "identity");
    if (findPart(url)) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_partSize) + '-');
        request.setRawHeader("If-Range", m_partValidator);
    }
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(ReadBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &TargetDownload::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &TargetDownload::drain);
    connect(m_reply, &QNetworkReply::downloadProgress, m_stall, qOverload<>(&QTimer::start));
    m_stall->start();
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        m_replyFinished = true;
        m_stall->stop();
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (m_partComplete) {
            complete();
        } else if (status >= 400 || (m_reply->error() == QNetworkReply::NoError && status != 0 && (status < 200 || status > 299))) {
            fail(DownloadStatus::HttpError, status,
                 m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        } else if (m_reply->error() != QNetworkReply::NoError) {
            fail(DownloadStatus::NetworkError, qint32(m_reply->error()), m_reply->errorString());
        } else {
            drain();
        }
    });
}

void TargetDownload::onMetaData()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_part.isEmpty() && m_written == 0 && !m_partComplete) {
        const QByteArray range = m_reply->rawHeader("Content-Range").trimmed();
        const QByteArray expected = status == 206 ? "bytes " + QByteArray::number(m_partSize) + '-'
                                                  : "bytes */" + QByteArray::number(m_partSize);
        if (status == 206 && !range.startsWith(expected)) {
            fail(DownloadStatus::NetworkError, qint32(QNetworkReply::ProtocolFailure),
                 QStringLiteral("The server sent another part of the file than was asked for"));
            return;
        }
        if (status == 206 || (status == 416 && range == expected)) {
            m_partComplete = status == 416;
            if (!takePart())
                return;
        }
    }
    if (m_partComplete)
        return; // the answer's body is not part of the file
    // An error page is never taken for the file.
    if (status >= 400) {
        fail(DownloadStatus::HttpError, status, m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        return;
    }
    m_stall->start();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_total = length.isValid() ? length.toLongLong() : -1;
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const bool compressed = encoding == "gzip" || encoding == "x-gzip" || encoding == "deflate";
    if (compressed && !namedCompressed(m_path) && !m_inflater && m_received == 0)
        m_inflater = std::make_unique<Inflater>();
}

bool TargetDownload::writeRaw(const char *data, qint64 size)
{
    // QFile reports a short write on a full disk as success: write by hand
    // until the system says why it stopped.
    while (size > 0) {
        const ssize_t n = ::write(m_file.handle(), data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failWrite(n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        size -= n;
        m_written += n;
    }
    return true;
}

bool TargetDownload::writeOut(const char *data, qint64 size)
{
    if (!m_inflater)
        return writeRaw(data, size);
    z_stream &z = m_inflater->stream;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    z.avail_in = uInt(size);
    char out[64 << 10];
    while (z.avail_in > 0 && !m_inflater->ended) {
        z.next_out = reinterpret_cast<Bytef *>(out);
        z.avail_out = sizeof out;
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
            fail(DownloadStatus::NetworkError, qint32(QNetworkReply::ProtocolFailure),
                 QStringLiteral("The compressed body cannot be decoded: %1").arg(QString::fromLatin1(z.msg ? z.msg : "")));
            return false;
        }
        m_inflater->ended = rc == Z_STREAM_END;
        if (!writeRaw(out, qint64(sizeof out - z.avail_out)))
            return false;
        if (rc == Z_BUF_ERROR)
            break;
    }
    return true;
}

void TargetDownload::failWrite(int error)
{
    fail(DownloadStatus::WriteError, error,
         QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(m_path), SystemErrorText(error)));
}

void TargetDownload::drain()
{
    m_drainQueued = false;
    if (!m_reply)
        return;
    QElapsedTimer slice;
    slice.start();
    while (m_reply->bytesAvailable() > 0 && !m_partComplete) {
        if (slice.elapsed() >= SliceMs) {
            if (!m_drainQueued) {
                m_drainQueued = true;
                QMetaObject::invokeMethod(this, &TargetDownload::drain, Qt::QueuedConnection);
            }
            return;
        }
        const qint64 n = m_reply->read(m_buffer.data(), m_buffer.size());
        if (n <= 0)
            break;
        m_received += n;
        if (!m_replyFinished)
            m_stall->start();
        if (!writeOut(m_buffer.constData(), n))
            return;
    }
    if (m_replyFinished)
        complete();
}

void TargetDownload::complete()
{
    if (m_total >= 0 && m_received != m_total) {
        fail(DownloadStatus::NetworkError, qint32(QNetworkReply::RemoteHostClosedError),
             QStringLiteral("The connection ended after %1 of %2 bytes").arg(m_received).arg(m_total));
        return;
    }
    if (m_inflater && !m_inflater->ended) {
        fail(DownloadStatus::NetworkError, qint32(QNetworkReply::RemoteHostClosedError),
             QStringLiteral("The compressed body ended early"));
        return;
    }
    dropReply();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        fail(DownloadStatus::WriteError, qint32(m_file.error()),
             QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(m_path), m_file.errorString()));
        return;
    }
    const QString temporary = m_file.fileName();
    // One step: an old file stays whole until the new one replaces it.
    const int error = PlaceFile(temporary, m_path, m_replace);
    if (error != 0) {
        const QString why = error == EEXIST ? QStringLiteral("a file or folder of that name is in the way")
                                            : SystemErrorText(error);
        QFile::remove(temporary);
        finish({DownloadStatus::WriteError, qint32(error),
                QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(m_path), why), QString(), m_received});
        return;
    }
    if (!m_part.isEmpty())
        QFile::remove(m_part); // the file is whole: its part has served
    finish({DownloadStatus::Completed, 0, QString(), m_path, m_received});
}

bool TargetDownload::findPart(const QUrl &url)
{
    m_part.clear();
    const QString part = m_path + QStringLiteral(".part");
    const QByteArray name = QFile::encodeName(part);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    const auto attribute = [&](const char *key) {
        QByteArray value(1024, Qt::Uninitialized);
        const ssize_t n = ::lgetxattr(name.constData(), key, value.data(), size_t(value.size()));
        return n > 0 ? value.left(n) : QByteArray();
    };
    m_partValidator = attribute(PartValidatorAttribute);
    if (m_partValidator.isEmpty() || attribute(PartUrlAttribute) != url.toEncoded())
        return false;
    m_part = part;
    m_partSize = info.st_size;
    return true;
}

bool TargetDownload::takePart()
{
    QFile part(m_part);
    if (!part.open(QIODevice::ReadOnly)) {
        failWrite(EIO);
        return false;
    }
    QByteArray block(BlockSize, Qt::Uninitialized);
    for (qint64 n; (n = part.read(block.data(), block.size())) > 0;) {
        if (!writeRaw(block.constData(), n))
            return false;
    }
    m_resumed = true;
    return true;
}

QString TargetDownload::keepPart()
{
    if (!m_file.isOpen())
        return QString();
    m_file.close();
    // A body started over leaves the old part alone until it is whole.
    if (m_written <= 0 || (!m_part.isEmpty() && !m_resumed)) {
        m_file.remove();
        return m_part;
    }
    const QString folder = folderOf(m_path);
    // The part continued is replaced by its longer self; another one stays.
    const bool ours = !m_part.isEmpty();
    const QString partial = ours ? m_part : folder + PartialName(folder, m_path.mid(folder.size()));
    if (PlaceFile(m_file.fileName(), partial, ours) != 0) {
        m_file.remove();
        return QString();
    }
    QByteArray validator = m_reply ? m_reply->rawHeader("ETag") : QByteArray();
    if (validator.isEmpty() && m_reply)
        validator = m_reply->rawHeader("Last-Modified");
    if (validator.isEmpty() && ours)
        validator = m_partValidator;
    // Without a validator the part cannot be continued safely: it is kept
    // for the user, and the next save starts over.
    if (!validator.isEmpty() && partial == m_path + QStringLiteral(".part")) {
        const QByteArray name = QFile::encodeName(partial);
        const QByteArray url = m_url.toEncoded();
        ::lsetxattr(name.constData(), PartUrlAttribute, url.constData(), size_t(url.size()), 0);
        ::lsetxattr(name.constData(), PartValidatorAttribute, validator.constData(), size_t(validator.size()), 0);
    }
    return partial;
}

void TargetDownload::fail(DownloadStatus status, qint32 code, const QString &info)
{
    m_stall->stop();
    DownloadResult result{status, code, info, QString(), m_received};
    if (status == DownloadStatus::HttpError) {
        result.mayPass = statusMayPass(code);
        if (m_reply)
            result.retryAfterMs = RetryAfterMs(m_reply->rawHeader("Retry-After"), QDateTime::currentDateTimeUtc());
    } else if (status == DownloadStatus::NetworkError) {
        // A server that went silent or a broken connection may pass; what
        // arrived is kept and continued.
        result.mayPass = code == QNetworkReply::TimeoutError || code == QNetworkReply::ConnectionRefusedError ||
                         code == QNetworkReply::RemoteHostClosedError;
        if (code != QNetworkReply::ProtocolFailure)
            result.savedPath = keepPart();
    }
    dropReply();
    if (m_file.isOpen())
        m_file.close();
    m_file.remove();
    finish(result);
}

void TargetDownload::cancel()
{
    if (!m_running)
        return;
    m_stall->stop();
    DownloadResult result{DownloadStatus::Cancelled, 0, QString(), QString(), m_received};
    result.savedPath = keepPart();
    dropReply();
    finish(result);
}

void TargetDownload::finish(DownloadResult result)
{
    if (!m_running)
        return;
    m_running = false;
    result.bytes = m_received;
    emit finished(result);
}

void TargetDownload::dropReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    // Not inside one of the reply's own signals: it reports its end once only.
    QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    m_reply->deleteLater();
    m_reply = nullptr;
}

} // namespace tv
