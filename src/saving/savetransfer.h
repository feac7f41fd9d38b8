#pragma once

#include "saving/targetdownload.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

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

// Saves the targets of `links` into `folder`: names each file in list order,
// settles a clash by `owaction` (asking through askExists in Prompt mode)
// and downloads it, up to simultaneous() at once. A failure that may pass is
// tried again after a wait (the server's Retry-After, else a growing one).
// An error on one file is reported and the others go on; the transfer then
// ends with its error flag set.
class SaveTransfer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveTransfer)
public:
    static constexpr int MaxSimultaneous = 8;
    static constexpr int MaxRetries = 3;
    // The network library opens this many connections to a host and queues
    // the rest, where the stall bound would count their wait.
    static constexpr int MaxPerHost = 6;
    // A longer Retry-After is reported as an error instead of waited out.
    static constexpr qint64 MaxRetryAfterMs = 5 * 60 * 1000;

    SaveTransfer(QNetworkAccessManager *network, const QStringList &links, const QString &folder, qint32 owaction,
                 QObject *parent = nullptr);
    ~SaveTransfer() override;

    // Asked, in Prompt mode, what to do with an existing file of this name.
    std::function<ExistsAnswer(const QString &name)> askExists;

    // How long a silent server is waited for (TargetDownload::DefaultStallMs).
    void setStallTimeout(int ms);
    // Downloads at once, 1 to MaxSimultaneous; set before start().
    void setSimultaneous(int n);
    int simultaneous() const { return int(m_slots.size()); }
    // The first wait before a retry; each later one doubles it.
    void setRetryBaseMs(int ms) { m_retryBaseMs = ms; }

    void start();
    // Stops at once; the partial file of each download is kept.
    void cancel();

    int count() const { return int(m_links.size()); }
    int current() const { return m_index; } // the last file named, 1-based, 0 before the first
    QString currentUrl() const { return m_index > 0 ? m_links.value(m_index - 1) : QString(); }
    // The download of the first file in flight (the only one with one at once).
    const TargetDownload &download() const;
    // Files done with so far, by outcome.
    int saved() const { return m_saved; }
    int skipped() const { return m_skipped; }
    int failed() const { return m_failed; }
    int done() const { return m_saved + m_skipped + m_failed; }

    // A file being downloaded or waiting for its next try.
    struct InFlight
    {
        int index = 0; // 1-based
        QString path;
        const TargetDownload *download = nullptr;
        int attempt = 0;         // tries made so far
        qint64 waitLeftMs = -1;  // waiting for the next try, else -1
    };
    // Files in flight, in list order.
    QList<InFlight> inFlight() const;

signals:
    // A file is about to be downloaded to `path` (not sent for skipped files).
    void fileStarted(int index, int count, const QString &path);
    // File `index` failed in a way that may pass; tried again in `ms`.
    void fileWaiting(int index, qint64 ms);
    void fileFailed(const tv::DownloadResult &result);
    // File `index` is done with, saved, failed or skipped.
    void fileDone(int index, int count);
    // Every file is done with (not sent after cancel()).
    void finished(bool error);

private:
    struct Slot;
    void fill();
    bool nameInFlight(const QString &name) const;
    bool hostFull(const QString &link) const;
    // The name to save under, or "" to skip; `replace` tells whether it
    // names an existing file that may be replaced.
    QString resolveName(const QString &name, bool *replace);
    void onDownloadFinished(Slot &slot, const DownloadResult &result);
    void retry(Slot &slot);
    void finishIfDone();

    QStringList m_links;
    QString m_folder;
    qint32 m_owaction;
    QNetworkAccessManager *m_network;
    std::vector<std::unique_ptr<Slot>> m_slots;
    int m_stallMs = TargetDownload::DefaultStallMs;
    int m_retryBaseMs = 1000;
    int m_index = 0;
    qint32 m_counter = 0;
    bool m_error = false;
    bool m_cancelled = false;
    bool m_finished = false;
    bool m_allfiles = false;
    bool m_filling = false;
    bool m_fillAgain = false;
    ExistsAnswer m_lastAnswer;
    bool m_reuseName = false;
    int m_saved = 0;
    int m_skipped = 0;
    int m_failed = 0;
};

} // namespace tv
