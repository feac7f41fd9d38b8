#include "saving/targetdownload.h"

#include "saving/targetnames.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

} // namespace

QString DownloadErrorText(const DownloadResult &result)
{
    return QStringLiteral("ErrorCode: %1 : %2").arg(result.code).arg(result.info);
}

TargetDownload::TargetDownload(QNetworkAccessManager *network, QObject *parent) : QObject(parent), m_network(network)
{
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
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(ReadBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &TargetDownload::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &TargetDownload::drain);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        m_replyFinished = true;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400 || (m_reply->error() == QNetworkReply::NoError && status != 0 && (status < 200 || status > 299))) {
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
    // An error page is never taken for the file.
    if (status >= 400) {
        fail(DownloadStatus::HttpError, status, m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_total = length.isValid() ? length.toLongLong() : -1;
}

void TargetDownload::drain()
{
    m_drainQueued = false;
    if (!m_reply)
        return;
    QElapsedTimer slice;
    slice.start();
    while (m_reply->bytesAvailable() > 0) {
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
        if (m_file.write(m_buffer.constData(), n) != n) {
            fail(DownloadStatus::WriteError, qint32(m_file.error()),
                 QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(m_path), m_file.errorString()));
            return;
        }
        m_received += n;
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
    dropReply();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        fail(DownloadStatus::WriteError, qint32(m_file.error()),
             QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(m_path), m_file.errorString()));
        return;
    }
    const QString temporary = m_file.fileName();
    bool placed = false;
    if (m_replace) {
        // One step: the old file stays whole until the new one replaces it.
        placed = std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) == 0;
    } else {
        placed = QFile::rename(temporary, m_path);
    }
    if (!placed) {
        const QString why = m_replace ? QString::fromLocal8Bit(std::strerror(errno))
                                      : QStringLiteral("a file or folder of that name is in the way");
        QFile::remove(temporary);
        finish({DownloadStatus::WriteError, qint32(QFileDevice::RenameError),
                QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(m_path), why), QString(), m_received});
        return;
    }
    finish({DownloadStatus::Completed, 0, QString(), m_path, m_received});
}

void TargetDownload::fail(DownloadStatus status, qint32 code, const QString &info)
{
    dropReply();
    if (m_file.isOpen())
        m_file.close();
    m_file.remove();
    finish({status, code, info, QString(), m_received});
}

void TargetDownload::cancel()
{
    if (!m_running)
        return;
    dropReply();
    DownloadResult result{DownloadStatus::Cancelled, 0, QString(), QString(), m_received};
    if (m_file.isOpen()) {
        m_file.close();
        const QString folder = folderOf(m_path);
        const QString partial = folder + PartialName(folder, m_path.mid(folder.size()));
        // Never onto an existing file: QFile::rename does not replace.
        if (m_received > 0 && QFile::rename(m_file.fileName(), partial))
            result.savedPath = partial;
        else
            m_file.remove();
    }
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
