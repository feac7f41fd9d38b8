#pragma once

#include "saving/targetdownload.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QNetworkAccessManager;

namespace tv {

// What a transfer dialog knows of its transfer. The slideshow keeps its own
// copy of its links: a transfer never changes it.
struct TransferState
{
    QStringList sellinks; // the links to save, in list order
    QString savefolder;   // ends in "/"
    QString saveurl;      // the link being saved now
    bool savebusy = false;
};

// What to do with a file that already exists ("Overwrite Action").
enum OverwriteAction : qint32 { OwPrompt = 0, OwOverwrite = 1, OwSkip = 2, OwUnique = 3 };
// Answers of the File Exists question.
enum ExistsAction : qint32 { ExistsOverwrite = 0, ExistsSkip = 1, ExistsNewName = 2 };

struct ExistsAnswer
{
    qint32 owaction = ExistsOverwrite;
    QString filnm;         // the new name for ExistsNewName
    bool allfiles = false; // use this answer for the rest of the transfer

    static ExistsAnswer skip() { return {ExistsSkip, QString(), false}; }
};

// Saves the targets of `links` into `folder`, one after another: names each
// file, settles a clash by `owaction` (asking through askExists in Prompt
// mode) and downloads it. An error on one file is reported and the next
// goes on; the transfer then ends with its error flag set.
class SaveTransfer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveTransfer)
public:
    SaveTransfer(QNetworkAccessManager *network, const QStringList &links, const QString &folder, qint32 owaction,
                 QObject *parent = nullptr);

    // Asked, in Prompt mode, what to do with an existing file of this name.
    std::function<ExistsAnswer(const QString &name)> askExists;

    // How long a silent server is waited for (TargetDownload::DefaultStallMs).
    void setStallTimeout(int ms) { m_download.setStallTimeout(ms); }

    void start();
    // Stops at once; the partial file of the current download is kept.
    void cancel();

    int count() const { return int(m_links.size()); }
    int current() const { return m_index; } // 1-based, 0 before the first
    QString currentUrl() const { return m_index > 0 ? m_links.value(m_index - 1) : QString(); }
    const TargetDownload &download() const { return m_download; }
    // Files done with so far, by outcome.
    int saved() const { return m_saved; }
    int skipped() const { return m_skipped; }
    int failed() const { return m_failed; }

signals:
    // A file is about to be downloaded to `path` (not sent for skipped files).
    void fileStarted(int index, int count, const QString &path);
    void fileFailed(const tv::DownloadResult &result);
    // File `index` is done with, saved, failed or skipped.
    void fileDone(int index, int count);
    // Every file is done with (not sent after cancel()).
    void finished(bool error);

private:
    void next();
    // The name to save under, or "" to skip; `replace` tells whether it
    // names an existing file that may be replaced.
    QString resolveName(const QString &name, bool *replace);
    void onDownloadFinished(const DownloadResult &result);

    QStringList m_links;
    QString m_folder;
    qint32 m_owaction;
    TargetDownload m_download;
    int m_index = 0;
    qint32 m_counter = 0;
    bool m_error = false;
    bool m_cancelled = false;
    bool m_allfiles = false;
    ExistsAnswer m_lastAnswer;
    bool m_reuseName = false;
    int m_saved = 0;
    int m_skipped = 0;
    int m_failed = 0;
};

} // namespace tv
