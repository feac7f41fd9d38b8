#include "saving/savetransfer.h"

#include "saving/targetnames.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <tuple>

namespace tv {

struct SaveTransfer::Slot
{
    explicit Slot(QNetworkAccessManager *network) : download(network) { wait.setSingleShot(true); }
    bool busy() const { return index != 0; }

    TargetDownload download;
    QTimer wait; // until the next try
    QElapsedTimer waited;
    int index = 0; // 1-based; 0 while free
    QString name;
    bool replace = false;
    int attempt = 0;
};

SaveTransfer::SaveTransfer(QNetworkAccessManager *network, const QStringList &links, const QString &folder,
                           qint32 owaction, QObject *parent)
    : QObject(parent), m_links(links), m_folder(folder),
      // An action the program never writes asks, rather than overwrite unasked.
      m_owaction(owaction >= OwPrompt && owaction <= OwUnique ? owaction : OwPrompt), m_network(network)
{
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
    setSimultaneous(1);
}

SaveTransfer::~SaveTransfer() = default;

void SaveTransfer::setSimultaneous(int n)
{
    n = std::clamp(n, 1, MaxSimultaneous);
    m_slots.clear();
    for (int i = 0; i < n; ++i) {
        auto slot = std::make_unique<Slot>(m_network);
        Slot *raw = slot.get();
        raw->download.setStallTimeout(m_stallMs);
        connect(&raw->download, &TargetDownload::finished, this,
                [this, raw](const DownloadResult &result) { onDownloadFinished(*raw, result); });
        connect(&raw->wait, &QTimer::timeout, this, [this, raw] { retry(*raw); });
        m_slots.push_back(std::move(slot));
    }
}

void SaveTransfer::setStallTimeout(int ms)
{
    m_stallMs = ms;
    for (const auto &slot : m_slots)
        slot->download.setStallTimeout(ms);
}

const TargetDownload &SaveTransfer::download() const
{
    const Slot *first = nullptr;
    for (const auto &slot : m_slots) {
        if (slot->busy() && (!first || slot->index < first->index))
            first = slot.get();
    }
    return (first ? first : m_slots.front().get())->download;
}

QList<SaveTransfer::InFlight> SaveTransfer::inFlight() const
{
    QList<InFlight> list;
    for (const auto &slot : m_slots) {
        if (!slot->busy())
            continue;
        const qint64 left = slot->wait.isActive() ? std::max<qint64>(0, slot->wait.interval() - slot->waited.elapsed()) : -1;
        list.append({slot->index, m_folder + slot->name, &slot->download, slot->attempt, left});
    }
    std::sort(list.begin(), list.end(), [](const InFlight &a, const InFlight &b) { return a.index < b.index; });
    return list;
}

void SaveTransfer::start()
{
    m_index = 0;
    m_counter = 0;
    m_error = false;
    m_cancelled = false;
    m_finished = false;
    m_allfiles = false;
    m_saved = m_skipped = m_failed = 0;
    fill();
}

void SaveTransfer::cancel()
{
    m_cancelled = true;
    for (const auto &slot : m_slots) {
        slot->wait.stop();
        slot->download.cancel();
    }
}

bool SaveTransfer::nameInFlight(const QString &name) const
{
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [&](const auto &slot) { return slot->busy() && slot->name == name; });
}

bool SaveTransfer::hostFull(const QString &link) const
{
    const auto host = [](const QString &text) {
        const QUrl url(text);
        const QString scheme = url.scheme().toLower();
        return std::tuple(scheme, url.host(), url.port(scheme == u"https" ? 443 : 80));
    };
    const auto key = host(link);
    return std::count_if(m_slots.begin(), m_slots.end(), [&](const auto &slot) {
               return slot->busy() && host(m_links.at(slot->index - 1)) == key;
           }) >= MaxPerHost;
}

QString SaveTransfer::resolveName(const QString &name, bool *replace)
{
    // A name an earlier file of this transfer is still being saved under is taken too.
    const auto taken = [this](const QString &candidate) {
        return TargetExists(m_folder + candidate) || nameInFlight(candidate);
    };
    const auto unique = [&](const QString &base) {
        QString candidate;
        do {
            candidate = NumberedName(base, ++m_counter);
        } while (taken(candidate));
        return candidate;
    };
    *replace = false;
    if (!taken(name))
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
            if ((reused && TargetExists(m_folder + typed)) || nameInFlight(typed))
                return unique(typed);
            *replace = true;
            return typed;
        }
        *replace = true;
        return name;
    }
    case OwSkip:
        return QString();
    case OwUnique:
        return unique(name);
    default: // Overwrite
        *replace = true;
        return name;
    }
}

void SaveTransfer::fill()
{
    // Names are given in list order: a question asked for one file lets
    // events run, and a download ending meanwhile must not name the next.
    if (m_filling) {
        m_fillAgain = true;
        return;
    }
    m_filling = true;
    const QPointer<SaveTransfer> alive(this);
    while (!m_cancelled && m_index < count()) {
        const auto free = std::find_if(m_slots.begin(), m_slots.end(), [](const auto &s) { return !s->busy(); });
        if (free == m_slots.end())
            break;
        // Two links of one name settle in list order: the later waits.
        const QString candidate = TargetFileName(m_links.at(m_index));
        if (nameInFlight(candidate) || hostFull(m_links.at(m_index)))
            break;
        ++m_index;
        bool replace = false;
        const QString name = resolveName(candidate, &replace);
        if (!alive)
            return;
        if (m_cancelled)
            break;
        if (name.isEmpty()) {
            ++m_skipped;
            emit fileDone(m_index, count());
            if (!alive)
                return;
            continue;
        }
        Slot &slot = **free;
        slot.index = m_index;
        slot.name = name;
        slot.replace = replace;
        slot.attempt = 1;
        emit fileStarted(m_index, count(), m_folder + name);
        if (!alive)
            return;
        if (m_cancelled)
            break;
        slot.download.start(QUrl(m_links.at(slot.index - 1)), m_folder + name, replace);
    }
    m_filling = false;
    if (std::exchange(m_fillAgain, false) && !m_cancelled)
        QTimer::singleShot(0, this, &SaveTransfer::fill);
    finishIfDone();
}

void SaveTransfer::finishIfDone()
{
    if (m_cancelled || m_finished || m_filling || m_index < count())
        return;
    if (std::any_of(m_slots.begin(), m_slots.end(), [](const auto &slot) { return slot->busy(); }))
        return;
    m_finished = true;
    emit finished(m_error);
}

void SaveTransfer::retry(Slot &slot)
{
    if (m_cancelled || !slot.busy())
        return;
    ++slot.attempt;
    slot.download.start(QUrl(m_links.at(slot.index - 1)), m_folder + slot.name, slot.replace);
}

void SaveTransfer::onDownloadFinished(Slot &slot, const DownloadResult &finished)
{
    if (finished.status == DownloadStatus::Cancelled)
        return;
    DownloadResult result = finished;
    if (result.mayPass && slot.attempt <= MaxRetries && !m_cancelled) {
        if (result.retryAfterMs > MaxRetryAfterMs) {
            result.info += QStringLiteral(" (the server asks to wait %1 seconds; Tallyvane waits at most %2)")
                               .arg(result.retryAfterMs / 1000)
                               .arg(MaxRetryAfterMs / 1000);
        } else {
            qint64 ms = result.retryAfterMs;
            if (ms < 0) {
                // 1, 2, 4 times the base, and up to a tenth more so that
                // files failed together do not come back together.
                ms = qint64(m_retryBaseMs) << (slot.attempt - 1);
                ms += QRandomGenerator::global()->bounded(ms / 10 + 1);
            }
            slot.waited.start();
            slot.wait.start(int(ms));
            emit fileWaiting(slot.index, ms);
            return;
        }
    }
    const int index = slot.index;
    ++(result.status == DownloadStatus::Completed ? m_saved : m_failed);
    const QPointer<SaveTransfer> alive(this);
    if (result.status != DownloadStatus::Completed) {
        m_error = true;
        emit fileFailed(result);
        if (!alive || m_cancelled)
            return;
    }
    slot.index = 0;
    slot.name.clear();
    emit fileDone(index, count());
    if (!alive || m_cancelled)
        return;
    // The next file starts from the event loop, not inside this signal.
    QTimer::singleShot(0, this, &SaveTransfer::fill);
}

} // namespace tv
