#include "platform/cdp/cdpwindow.h"

#include "platform/boundedwait.h"
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdperrors.h"
#include "platform/cdp/cdpeventmapper.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tv {

namespace {

constexpr int NavigateAnswerTimeout = 120000;
constexpr int QuitAttempts = 3;
constexpr int QuitWaitMs = 1000;

} // namespace

std::shared_ptr<CdpWindow> CdpWindow::create(std::shared_ptr<CdpBrowser> browser, const QString &targetId,
                                             bool closeOnRelease)
{
    std::shared_ptr<CdpWindow> w(new CdpWindow(std::move(browser), targetId, closeOnRelease));
    w->m_self = w;
    if (CdpEventMapper *mapper = w->m_browser->mapperOf(targetId)) {
        CdpWindow *raw = w.get();
        connect(mapper, &CdpEventMapper::beforeNavigate, raw, [raw](const QString &url) {
            const auto keep = raw->keepAlive();
            emit raw->BeforeNavigate2(raw->name(), url);
        });
        connect(mapper, &CdpEventMapper::documentComplete, raw, [raw](const QString &frameId, const QString &url) {
            const auto keep = raw->keepAlive();
            emit raw->DocumentComplete(frameId, url);
        });
        connect(mapper, &CdpEventMapper::navigateError, raw,
                [raw](const QString &frameId, const QString &url, const QString &frameName, qint32 code) {
                    const auto keep = raw->keepAlive();
                    emit raw->NavigateError(frameId, url, frameName, code);
                });
        connect(mapper, &CdpEventMapper::progressChange, raw, [raw](qint32 progress, qint32 max) {
            const auto keep = raw->keepAlive();
            emit raw->ProgressChange(progress, max);
        });
        connect(mapper, &CdpEventMapper::statusTextChange, raw, [raw](const QString &text) {
            const auto keep = raw->keepAlive();
            emit raw->StatusTextChange(text);
        });
    }
    return w;
}

CdpWindow::CdpWindow(std::shared_ptr<CdpBrowser> browser, const QString &targetId, bool closeOnRelease)
    : m_browser(std::move(browser)), m_targetId(targetId), m_closeOnRelease(closeOnRelease), m_snapshot(*m_browser, targetId)
{
}

CdpWindow::~CdpWindow()
{
    if (m_closeOnRelease && !m_gone && m_browser->isAlive() && m_browser->page(m_targetId))
        m_browser->connection()->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), m_targetId}});
}

std::shared_ptr<CdpWindow> CdpWindow::keepAlive()
{
    return m_self.lock();
}

QString CdpWindow::session() const
{
    const QString s = m_gone ? QString() : m_browser->sessionOf(m_targetId);
    if (s.isEmpty())
        throw BrowserError(QStringLiteral("The browser window has been closed."));
    return s;
}

QString CdpWindow::documentSession() const
{
    const QString s = session();
    // A crashed page would only let the request run into its time bound.
    if (const CdpEventMapper *mapper = m_browser->mapperOf(m_targetId); mapper && mapper->crashed())
        throw BrowserError(QStringLiteral("The page in the browser window has crashed."));
    return s;
}

void CdpWindow::targetGone()
{
    if (m_gone)
        return;
    m_gone = true;
    const auto keep = keepAlive();
    emit OnQuit();
}

bool CdpWindow::newWindowRequested(const QString &)
{
    const auto keep = keepAlive();
    bool cancel = false;
    emit NewWindow2(&cancel);
    return cancel;
}

QString CdpWindow::locationUrl()
{
    session();
    return m_browser->pageUrl(m_targetId);
}

bool CdpWindow::isHtmlDocument()
{
    const auto keep = keepAlive();
    const QJsonObject tree = m_browser->call(QStringLiteral("Page.getFrameTree"), {}, documentSession());
    const QJsonObject frame = tree.value(QLatin1String("frameTree")).toObject().value(QLatin1String("frame")).toObject();
    const QString scheme = QUrl(jsonString(frame, "url")).scheme();
    // about:, chrome: and error pages are no web pages, whatever their type.
    return CdpSnapshot::isHtmlType(jsonString(frame, "mimeType"))
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("file"));
}

HtmlDocumentPtr CdpWindow::document(qsizetype maxLinks, bool withMedia)
{
    const auto keep = keepAlive();
    return m_snapshot.document(documentSession(), maxLinks, withMedia);
}

bool CdpWindow::setFirstFrameInnerText(const QString &elementName, const QString &text)
{
    const auto keep = keepAlive();
    return m_snapshot.setFirstFrameInnerText(documentSession(), elementName, text);
}

bool CdpWindow::visible()
{
    const auto keep = keepAlive();
    session();
    const QJsonObject r = m_browser->call(QStringLiteral("Browser.getWindowForTarget"), {{QStringLiteral("targetId"), m_targetId}});
    return jsonString(r.value(QLatin1String("bounds")).toObject(), "windowState") != QLatin1String("minimized");
}

void CdpWindow::setWindowState(const QString &state)
{
    const auto keep = keepAlive();
    session();
    const QJsonObject r = m_browser->call(QStringLiteral("Browser.getWindowForTarget"), {{QStringLiteral("targetId"), m_targetId}});
    const int windowId = r.value(QLatin1String("windowId")).toInt();
    const QString current = jsonString(r.value(QLatin1String("bounds")).toObject(), "windowState");
    if (current == state || (state == QLatin1String("normal") && current != QLatin1String("minimized")))
        return; // shown already (maximized or full screen stays so)
    if (current != QLatin1String("normal") && state != QLatin1String("normal")) {
        // The browser changes between minimized and maximized only by way of normal.
        m_browser->call(QStringLiteral("Browser.setWindowBounds"),
                        {{QStringLiteral("windowId"), windowId},
                         {QStringLiteral("bounds"), QJsonObject{{QStringLiteral("windowState"), QStringLiteral("normal")}}}});
    }
    m_browser->call(QStringLiteral("Browser.setWindowBounds"),
                    {{QStringLiteral("windowId"), windowId},
                     {QStringLiteral("bounds"), QJsonObject{{QStringLiteral("windowState"), state}}}});
}

void CdpWindow::setVisible(bool visible)
{
    setWindowState(visible ? QStringLiteral("normal") : QStringLiteral("minimized"));
}

void CdpWindow::showNoActivate()
{
    setWindowState(QStringLiteral("normal"));
}

void CdpWindow::showMaximized()
{
    setWindowState(QStringLiteral("maximized"));
}

void CdpWindow::bringToForeground()
{
    const auto keep = keepAlive();
    session();
    m_browser->call(QStringLiteral("Target.activateTarget"), {{QStringLiteral("targetId"), m_targetId}});
}

void CdpWindow::navigate(const QString &url)
{
    const auto keep = keepAlive();
    const QString sessionId = session();
    CdpEventMapper *mapper = m_browser->mapperOf(m_targetId);
    QString address = url;
    if (QUrl(url).scheme().isEmpty() && !url.trimmed().isEmpty())
        address = QUrl::fromUserInput(url).toString(); // "example.com/x" as a browser's address bar takes it
    const QPointer<CdpEventMapper> guard(mapper);
    if (!cdp::isNavigableScheme(address)) {
        // The browser only aborts on schemes it hands to other programs.
        const qint32 code = QUrl(address).scheme().isEmpty() ? cdp::InvalidUrl : cdp::UnknownProtocol;
        QTimer::singleShot(0, mapper, [guard, url, code] {
            if (guard)
                guard->navigationFailed(url, code);
        });
        return;
    }
    mapper->navigationRequested(address);
    m_browser->connection()->send(
        QStringLiteral("Page.navigate"), {{QStringLiteral("url"), address}}, sessionId,
        [guard, address](const CdpReply &reply) {
            if (!guard)
                return;
            if (reply.ok)
                guard->navigationAnswered(reply, address);
            else if (reply.errorCode != 0) // refused outright; a late answer is no failure of the load
                guard->navigationFailed(address, reply.errorMessage.contains(QLatin1String("invalid"), Qt::CaseInsensitive)
                                                     ? cdp::InvalidUrl
                                                     : cdp::DownloadFailure);
        },
        NavigateAnswerTimeout);
}

bool CdpWindow::busy()
{
    session();
    const CdpEventMapper *mapper = m_browser->mapperOf(m_targetId);
    return mapper && mapper->busy();
}

void CdpWindow::stop()
{
    const QString sessionId = session();
    if (CdpEventMapper *mapper = m_browser->mapperOf(m_targetId))
        mapper->stopRequested();
    m_browser->connection()->send(QStringLiteral("Page.stopLoading"), {}, sessionId);
}

void CdpWindow::quit()
{
    const auto keep = keepAlive();
    session();
    // A close that reaches the page while it commits a navigation is lost
    // without a word (measured): ask again until the page has gone.
    for (int attempt = 0; attempt < QuitAttempts && !m_gone && m_browser->page(m_targetId); ++attempt) {
        m_browser->connection()->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), m_targetId}});
        waitUntil([this] { return m_gone || !m_browser->isAlive() || !m_browser->page(m_targetId); }, QuitWaitMs);
    }
}

} // namespace tv
