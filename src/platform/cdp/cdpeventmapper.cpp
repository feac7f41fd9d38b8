#include "platform/cdp/cdpeventmapper.h"

#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/cdperrors.h"

#include <QTimer>

namespace tv {

CdpEventMapper::CdpEventMapper(const QString &targetId, bool armed, QObject *parent)
    : QObject(parent), m_targetId(targetId), m_armed(armed), m_progressGrace(new QTimer(this))
{
    m_progressGrace->setSingleShot(true);
    m_progressGrace->setInterval(3000);
    connect(m_progressGrace, &QTimer::timeout, this, &CdpEventMapper::finishProgress);
}

void CdpEventMapper::setProgressGrace(int ms)
{
    m_progressGrace->setInterval(ms);
}

void CdpEventMapper::handle(const QString &method, const QJsonObject &p)
{
    if (method == QLatin1String("Page.frameStartedNavigating")) {
        const QString type = jsonString(p, "navigationType");
        const QString frameId = jsonString(p, "frameId");
        if (type == QLatin1String("sameDocument") || type == QLatin1String("historySameDocument")) {
            // A jump within the page: the program's own one still completes.
            if (isMain(frameId) && m_programNavigation) {
                m_programNavigation = false;
                // No load follows a jump, so nothing else would end the busy state.
                m_busy = false;
                emit beforeNavigate(jsonString(p, "url"));
                emit documentComplete(m_targetId, jsonString(p, "url"));
            }
            return;
        }
        const QString loaderId = jsonString(p, "loaderId");
        if (isMain(frameId)) {
            if (!m_armed && jsonString(p, "url") != QLatin1String("about:blank"))
                m_armed = true;
            startMainNavigation(jsonString(p, "url"), loaderId);
        }
        m_frameNavigating.insert(frameId, loaderId);
        m_seenLoaders.insert(loaderId);
    } else if (method == QLatin1String("Page.frameStartedLoading")) {
        if (isMain(jsonString(p, "frameId")))
            m_busy = true;
    } else if (method == QLatin1String("Page.frameStoppedLoading")) {
        if (!isMain(jsonString(p, "frameId")))
            return;
        m_busy = false;
        if (m_navActive && !m_committed) {
            // Stopped, aborted or turned into a download: no document will load.
            completeWithoutCommit();
        }
    } else if (method == QLatin1String("Page.frameNavigated")) {
        const QJsonObject frame = p.value(QLatin1String("frame")).toObject();
        const QString frameId = jsonString(frame, "id");
        const QString loaderId = jsonString(frame, "loaderId");
        const QString unreachable = jsonString(frame, "unreachableUrl");
        m_frameLoader.insert(frameId, loaderId);
        m_frameUrl.insert(frameId, unreachable.isEmpty() ? jsonString(frame, "url") + jsonString(frame, "urlFragment") : unreachable);
        m_frameName.insert(frameId, jsonString(frame, "name"));
        if (isMain(frameId)) {
            m_committed = true;
            // A late commit of a load started before the program's own is not its answer.
            if (!m_loadersBeforeRequest.contains(loaderId))
                m_programNavigation = false;
            m_mainLoader = loaderId;
        }
    } else if (method == QLatin1String("Page.lifecycleEvent")) {
        const QString frameId = jsonString(p, "frameId");
        const QString loaderId = jsonString(p, "loaderId");
        const QString name = jsonString(p, "name");
        if (name == QLatin1String("load")) {
            // Replayed and stale lifecycles carry loaders that are not the
            // frame's current one, or whose start this page never saw.
            const bool current = m_frameLoader.value(frameId) == loaderId
                                 || (isMain(frameId) && m_navActive && loaderId == m_mainLoader); // commit not seen
            if (loaderId.isEmpty() || !current || !m_seenLoaders.contains(loaderId) || m_reportedLoads.contains(loaderId))
                return;
            // A load the program has asked to replace is done with.
            if (isMain(frameId) && m_programNavigation && m_loadersBeforeRequest.contains(loaderId))
                return;
            m_reportedLoads.insert(loaderId);
            if (!m_armed)
                return;
            const QString url = m_frameUrl.value(frameId, m_navigationUrl);
            if (isMain(frameId)) {
                m_mainLoaded = true;
                m_busy = false; // complete; Chromium says so a moment later
                if (m_done.size() >= m_started.size())
                    finishProgress();
                else if (m_navActive)
                    m_progressGrace->start();
                emit statusTextChange(QString());
            }
            emit documentComplete(frameId, url);
        } else if (name == QLatin1String("networkAlmostIdle")) {
            if (isMain(frameId) && loaderId == m_mainLoader && m_mainLoaded)
                finishProgress();
        }
    } else if (method == QLatin1String("Network.requestWillBeSent")) {
        const QString requestId = jsonString(p, "requestId");
        if (jsonString(p, "type") == QLatin1String("Document")) {
            DocumentRequest &r = m_documentRequests[requestId];
            r.frameId = jsonString(p, "frameId");
            r.loaderId = jsonString(p, "loaderId");
            r.url = jsonString(p.value(QLatin1String("request")).toObject(), "url");
            r.redirected = r.redirected || p.contains(QLatin1String("redirectResponse"));
        }
        if (m_navActive && !m_started.contains(requestId)) {
            m_started.insert(requestId);
            emitProgress();
        }
    } else if (method == QLatin1String("Network.responseReceived")) {
        if (jsonString(p, "type") != QLatin1String("Document"))
            return;
        const QString requestId = jsonString(p, "requestId");
        const QJsonObject response = p.value(QLatin1String("response")).toObject();
        const int status = response.value(QLatin1String("status")).toInt();
        if (status >= 400 && !m_errorRequests.contains(requestId)) {
            m_errorRequests.insert(requestId);
            const DocumentRequest r = m_documentRequests.value(requestId);
            const QString frameId = r.frameId.isEmpty() ? jsonString(p, "frameId") : r.frameId;
            const QString loaderId = r.loaderId.isEmpty() ? jsonString(p, "loaderId") : r.loaderId;
            reportError(frameId, loaderId, jsonString(response, "url"), status);
        }
    } else if (method == QLatin1String("Network.loadingFinished") || method == QLatin1String("Network.loadingFailed")) {
        const QString requestId = jsonString(p, "requestId");
        if (m_started.contains(requestId) && !m_done.contains(requestId)) {
            m_done.insert(requestId);
            emitProgress();
            if (m_mainLoaded && m_done.size() >= m_started.size())
                finishProgress();
        }
        if (method == QLatin1String("Network.loadingFailed") && jsonString(p, "type") == QLatin1String("Document")) {
            const auto it = m_documentRequests.constFind(requestId);
            if (it == m_documentRequests.constEnd() || m_errorRequests.contains(requestId))
                return; // not ours, or reported by its status already
            const DocumentRequest r = *it;
            const QString errorText = jsonString(p, "errorText");
            if (errorText.endsWith(QLatin1String("ERR_ABORTED")) && !r.redirected)
                return; // Stop, a newer navigation, or a download (its answer tells)
            if (const auto code = cdp::navigationErrorCode(errorText, false, r.redirected))
                reportError(r.frameId, r.loaderId, r.url, *code);
        }
    }
}

void CdpEventMapper::startMainNavigation(const QString &url, const QString &loaderId)
{
    m_navActive = true;
    m_crashed = false;
    m_committed = false;
    m_mainLoaded = false;
    m_stopPending = false;
    m_mainLoader = loaderId;
    m_navigationUrl = url;
    m_started.clear();
    m_done.clear();
    // The documents of the page that is left behind are gone, and so are
    // whatever their loads had left to report.
    m_seenLoaders.clear();
    m_reportedLoads.clear();
    m_errorLoaders.clear();
    m_errorRequests.clear();
    m_documentRequests.clear();
    m_frameNavigating.clear();
    m_frameLoader.clear();
    m_frameUrl.clear();
    m_frameName.clear();
    m_progressGrace->stop();
    m_busy = true;
    if (!m_armed)
        return;
    emit beforeNavigate(url);
    emit statusTextChange(url);
}

void CdpEventMapper::navigationRequested(const QString &url)
{
    m_armed = true;
    m_programNavigation = true;
    m_stopPending = false;
    m_navigationUrl = url;
    m_busy = true;
    m_loadersBeforeRequest = m_seenLoaders;
}

void CdpEventMapper::navigationAnswered(const CdpReply &reply, const QString &url)
{
    const QString loaderId = jsonString(reply.result, "loaderId");
    const QString errorText = jsonString(reply.result, "errorText");
    const bool isDownload = reply.result.value(QLatin1String("isDownload")).toBool();
    if (errorText.isEmpty() && !isDownload)
        return;
    if (!loaderId.isEmpty() && m_errorLoaders.contains(loaderId))
        return;
    if (m_stopPending || (!loaderId.isEmpty() && m_frameNavigating.value(m_targetId) != loaderId))
        return; // stopped by the program, or overtaken by a newer navigation
    bool redirected = false;
    for (const DocumentRequest &r : std::as_const(m_documentRequests))
        redirected = redirected || (r.loaderId == loaderId && r.redirected);
    if (const auto code = cdp::navigationErrorCode(errorText.isEmpty() ? QStringLiteral("net::ERR_ABORTED") : errorText,
                                                   isDownload, redirected))
        reportError(m_targetId, loaderId, url, *code);
    if (!m_committed && !m_busy && m_programNavigation && !m_stopPending) {
        // The load had already ended when the answer came.
        m_programNavigation = false;
        finishProgress();
        emit documentComplete(m_targetId, url);
    }
}

void CdpEventMapper::navigationFailed(const QString &url, qint32 statusCode)
{
    m_armed = true;
    startMainNavigation(url, QString());
    emit navigateError(m_targetId, url, QString(), statusCode);
    m_busy = false;
    finishProgress();
    emit documentComplete(m_targetId, url);
}

void CdpEventMapper::pageCrashed()
{
    m_crashed = true;
    // Before its commit a navigation goes on in a new renderer; after it,
    // the document it was loading will never complete.
    if (!m_armed || !m_navActive || !m_committed || m_mainLoaded)
        return;
    m_busy = false;
    emit navigateError(m_targetId, m_navigationUrl, QString(), cdp::DownloadFailure);
    finishProgress();
    if (m_programNavigation || m_mainLoader == m_frameNavigating.value(m_targetId)) {
        m_programNavigation = false;
        emit documentComplete(m_targetId, m_navigationUrl);
    }
}

void CdpEventMapper::stopRequested()
{
    m_stopPending = true;
    m_programNavigation = false;
}

void CdpEventMapper::reportError(const QString &frameId, const QString &loaderId, const QString &url, qint32 code)
{
    if (!loaderId.isEmpty())
        m_errorLoaders.insert(loaderId);
    if (m_armed)
        emit navigateError(frameId, url, isMain(frameId) ? QString() : m_frameName.value(frameId), code);
}

void CdpEventMapper::emitProgress()
{
    if (m_armed && m_navActive)
        emit progressChange(qint32(m_done.size()) + 1, qint32(m_started.size()) + 1);
}

void CdpEventMapper::finishProgress()
{
    m_progressGrace->stop();
    if (!m_navActive)
        return;
    m_navActive = false;
    if (m_armed)
        emit progressChange(-1, qint32(m_started.size()) + 1);
}

void CdpEventMapper::completeWithoutCommit()
{
    // The program's own load that failed without a document still ends with
    // a completion, so a caller waiting for it is not left hanging; a Stop
    // ends it without one.
    finishProgress();
    if (m_programNavigation && !m_stopPending && m_errorLoaders.contains(m_mainLoader)) {
        m_programNavigation = false;
        if (m_armed)
            emit documentComplete(m_targetId, m_navigationUrl);
    }
}

} // namespace tv
