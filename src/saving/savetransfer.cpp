#include "saving/savetransfer.h"

#include "saving/targetnames.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tv {

SaveTransfer::SaveTransfer(QNetworkAccessManager *network, const QStringList &links, const QString &folder,
                           qint32 owaction, QObject *parent)
    : QObject(parent), m_links(links), m_folder(folder), m_owaction(owaction), m_download(network)
{
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
    connect(&m_download, &TargetDownload::finished, this, &SaveTransfer::onDownloadFinished);
}

void SaveTransfer::start()
{
    m_index = 0;
    m_counter = 0;
    m_error = false;
    m_cancelled = false;
    m_allfiles = false;
    m_saved = m_skipped = m_failed = 0;
    next();
}

void SaveTransfer::cancel()
{
    m_cancelled = true;
    m_download.cancel();
}

QString SaveTransfer::resolveName(const QString &name, bool *replace)
{
    *replace = false;
    if (!TargetExists(m_folder + name))
        return name;
    switch (m_owaction) {
    case OwPrompt: {
        if (!m_allfiles) {
            const QPointer<SaveTransfer> alive(this);
            m_lastAnswer = askExists ? askExists(name) : ExistsAnswer::skip();
            if (!alive || m_cancelled)
                return QString();
            m_allfiles = m_lastAnswer.allfiles;
            m_reuseName = false;
        }
        if (m_lastAnswer.owaction == ExistsSkip)
            return QString();
        if (m_lastAnswer.owaction == ExistsNewName) {
            const QString typed = SafeFileName(m_lastAnswer.filnm);
            if (typed.isEmpty())
                return QString();
            // A name reused for a later file gets a number rather than
            // replacing what this transfer saved under it before.
            const bool reused = std::exchange(m_reuseName, true);
            if (reused && TargetExists(m_folder + typed))
                return UniqueName(m_folder, typed, m_counter);
            *replace = true;
            return typed;
        }
        *replace = true;
        return name;
    }
    case OwSkip:
        return QString();
    case OwUnique:
        return UniqueName(m_folder, name, m_counter);
    default: // Overwrite, and any value the program does not write
        *replace = true;
        return name;
    }
}

void SaveTransfer::next()
{
    // Skipped files are handled in this loop, not by recursion.
    while (!m_cancelled && m_index < count()) {
        ++m_index;
        bool replace = false;
        const QPointer<SaveTransfer> alive(this);
        const QString name = resolveName(TargetFileName(currentUrl()), &replace);
        if (!alive || m_cancelled)
            return;
        if (!name.isEmpty()) {
            emit fileStarted(m_index, count(), m_folder + name);
            m_download.start(QUrl(currentUrl()), m_folder + name, replace);
            return;
        }
        ++m_skipped;
        emit fileDone(m_index, count());
        if (!alive)
            return;
    }
    if (!m_cancelled)
        emit finished(m_error);
}

void SaveTransfer::onDownloadFinished(const DownloadResult &result)
{
    if (result.status == DownloadStatus::Cancelled)
        return;
    const QPointer<SaveTransfer> alive(this);
    ++(result.status == DownloadStatus::Completed ? m_saved : m_failed);
    if (result.status != DownloadStatus::Completed) {
        m_error = true;
        emit fileFailed(result);
        if (!alive || m_cancelled)
            return;
    }
    emit fileDone(m_index, count());
    if (!alive || m_cancelled)
        return;
    // The next file starts from the event loop, not inside this signal.
    QTimer::singleShot(0, this, &SaveTransfer::next);
}

} // namespace tv
