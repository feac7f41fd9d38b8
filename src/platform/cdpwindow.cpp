#include "platform/cdpwindow.h"

#include "platform/cdpbrowser.h"
#include "platform/cdperrors.h"
#include "platform/cdpeventmapper.h"

#include <QJsonArray>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tv {

namespace {

constexpr int NavigateAnswerTimeout = 120000;
constexpr int MaxFrameDepth = 16;
constexpr int QuitAttempts = 3;
constexpr int QuitWaitMs = 1000;


// Walks a document and the frames it can reach: link addresses in document
// order, then the frames in order, depth first. A frame it may not read keeps
// its place as a slot whose frame element is kept for a walk of its own.
const char SnapshotScript[] = R"JS((() => {
  const kept = [];
  const walk = (w, d, depth) => {
    const links = [];
    const all = d.links;
    for (let i = 0; i < all.length; i++) {
      const h = all[i].href;
      if (typeof h === 'string') links.push(h);
    }
    const frames = [];
    let n = 0;
    try { n = w.frames.length; } catch (e) {}
    for (let i = 0; i < n; i++) {
      let fw = null, fd = null;
      try { fw = w.frames[i]; fd = fw.document; } catch (e) { fd = null; }
      if (fd && depth < 16) { frames.push(walk(fw, fd, depth + 1)); continue; }
      let owner = null;
      for (const o of d.querySelectorAll('iframe,frame')) {
        if (o.contentWindow === fw) { owner = o; break; }
      }
      kept.push(owner);
      frames.push({slot: kept.length - 1});
    }
    return {url: d.URL, type: d.contentType, links, frames};
  };
  globalThis.__tallyvaneKept = kept;
  return walk(window, document, 0);
})())JS";

const char SetTextFunction[] = R"JS(function (name, text, inFirstFrame) {
  const set = (d) => {
    let el = d.all.namedItem(name);
    if (el && el.nodeType !== 1) el = el[0];
    if (!el) return 'missing';
    el.innerText = text;
    return 'set';
  };
  if (!inFirstFrame) return set(document);
  const w = window.frames[0];
  if (!w) return 'missing';
  let d = null;
  try { d = w.document; } catch (e) {}
  if (d) return set(d);
  let owner = null;
  for (const o of document.querySelectorAll('iframe,frame')) {
    if (o.contentWindow === w) { owner = o; break; }
  }
  globalThis.__tallyvaneKept = [owner];
  return 'remote';
})JS";

bool isHtmlType(const QString &type)
{
    return type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
}

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
    : m_browser(std::move(browser)), m_targetId(targetId), m_closeOnRelease(closeOnRelease)
{
}

CdpWindow::~CdpWindow()
{
    if (m_closeOnRelease && !m_gone && m_browser->isAlive() && m_browser->hasPage(m_targetId))
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
    return isHtmlType(jsonString(frame, "mimeType"))
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("file"));
}

QJsonObject CdpWindow::evaluate(const QString &sessionId, int contextId, const QString &expression)
{
    const QJsonObject r = m_browser->call(QStringLiteral("Runtime.evaluate"),
                                          {{QStringLiteral("expression"), expression},
                                           {QStringLiteral("contextId"), contextId},
                                           {QStringLiteral("returnByValue"), true},
                                           {QStringLiteral("timeout"), SnapshotTimeout}},
                                          sessionId, SnapshotTimeout + 2000);
    if (r.contains(QLatin1String("exceptionDetails")))
        throw BrowserError(QStringLiteral("The document could not be read."));
    return r.value(QLatin1String("result")).toObject();
}

int CdpWindow::isolatedWorld(const QString &sessionId, const QString &frameId, bool fresh, bool *reused)
{
    // A world lives as long as its document; reusing it keeps the DOM
    // wrappers it made, which makes a second snapshot of a big page cheaper.
    const CdpEventMapper *mapper = m_browser->mapperOf(m_targetId);
    const QString loader = mapper ? mapper->loaderOf(frameId) : QString();
    const auto cached = m_worlds.constFind(frameId);
    const bool reuse = !fresh && !loader.isEmpty() && cached != m_worlds.constEnd() && cached->first == loader;
    if (reused)
        *reused = reuse;
    if (reuse)
        return cached->second;
    const QJsonObject r = m_browser->call(QStringLiteral("Page.createIsolatedWorld"),
                                          {{QStringLiteral("frameId"), frameId},
                                           {QStringLiteral("worldName"), QStringLiteral("tallyvane")}},
                                          sessionId);
    const int context = r.value(QLatin1String("executionContextId")).toInt();
    if (!loader.isEmpty())
        m_worlds.insert(frameId, {loader, context});
    return context;
}

QString CdpWindow::slotFrameId(const QString &sessionId, int contextId, int slot)
{
    const QJsonObject r = m_browser->call(QStringLiteral("Runtime.evaluate"),
                                          {{QStringLiteral("expression"), QStringLiteral("globalThis.__tallyvaneKept[%1]").arg(slot)},
                                           {QStringLiteral("contextId"), contextId}},
                                          sessionId);
    const QString objectId = jsonString(r.value(QLatin1String("result")).toObject(), "objectId");
    if (objectId.isEmpty())
        return {};
    const QJsonObject node = m_browser->call(QStringLiteral("DOM.describeNode"), {{QStringLiteral("objectId"), objectId}}, sessionId)
                                 .value(QLatin1String("node"))
                                 .toObject();
    m_browser->connection()->send(QStringLiteral("Runtime.releaseObject"), {{QStringLiteral("objectId"), objectId}}, sessionId);
    return jsonString(node, "frameId");
}

HtmlDocumentPtr CdpWindow::buildDocument(const QJsonObject &node, const QString &sessionId, int contextId, int depth)
{
    auto doc = std::make_shared<HtmlDocument>();
    doc->url = jsonString(node, "url");
    const QJsonArray links = node.value(QLatin1String("links")).toArray();
    doc->links.reserve(links.size());
    for (const QJsonValue &l : links)
        doc->links.append(l.toString());
    const QJsonArray frames = node.value(QLatin1String("frames")).toArray();
    for (const QJsonValue &f : frames) {
        const QJsonObject frame = f.toObject();
        if (!frame.contains(QLatin1String("slot"))) {
            doc->frames.push_back(buildDocument(frame, sessionId, contextId, depth + 1));
            continue;
        }
        // Another origin's frame: read it in a world of its own, where the
        // browser allows that; otherwise its place stays empty.
        HtmlDocumentPtr child;
        try {
            const QString frameId = slotFrameId(sessionId, contextId, frame.value(QLatin1String("slot")).toInt());
            if (!frameId.isEmpty() && depth < MaxFrameDepth) {
                const QString own = m_browser->frameSession(frameId);
                child = snapshotFrame(own.isEmpty() ? sessionId : own, frameId, depth + 1, false);
            }
        } catch (const BrowserError &) {
        }
        doc->frames.push_back(child);
    }
    return doc;
}

HtmlDocumentPtr CdpWindow::snapshotFrame(const QString &sessionId, const QString &frameId, int depth, bool topLevel)
{
    const QString script = QString::fromLatin1(SnapshotScript);
    bool reused = false;
    int context = isolatedWorld(sessionId, frameId, false, &reused);
    QJsonObject root;
    try {
        root = evaluate(sessionId, context, script).value(QLatin1String("value")).toObject();
    } catch (const BrowserError &) {
        if (!reused)
            throw;
        // The kept world may have gone with its document; one more try in a new one.
        context = isolatedWorld(sessionId, frameId, true);
        root = evaluate(sessionId, context, script).value(QLatin1String("value")).toObject();
    }
    if (root.isEmpty())
        throw BrowserError(QStringLiteral("The document could not be read."));
    if (topLevel && !isHtmlType(jsonString(root, "type")))
        throw BrowserError(QStringLiteral("The document is not an HTML document."));
    return buildDocument(root, sessionId, context, depth);
}

HtmlDocumentPtr CdpWindow::document()
{
    const auto keep = keepAlive();
    return snapshotFrame(documentSession(), m_targetId, 0, true);
}

bool CdpWindow::setFirstFrameInnerText(const QString &elementName, const QString &text)
{
    const auto keep = keepAlive();
    auto callSet = [&](const QString &sessionId, int context, bool inFirstFrame) {
        const QJsonObject r = m_browser->call(
            QStringLiteral("Runtime.callFunctionOn"),
            {{QStringLiteral("functionDeclaration"), QString::fromLatin1(SetTextFunction)},
             {QStringLiteral("executionContextId"), context},
             {QStringLiteral("arguments"), QJsonArray{QJsonObject{{QStringLiteral("value"), elementName}},
                                                       QJsonObject{{QStringLiteral("value"), text}},
                                                       QJsonObject{{QStringLiteral("value"), inFirstFrame}}}},
             {QStringLiteral("returnByValue"), true}},
            sessionId);
        return jsonString(r.value(QLatin1String("result")).toObject(), "value");
    };
    const QString main = documentSession();
    const int context = isolatedWorld(main, m_targetId, true);
    const QString outcome = callSet(main, context, true);
    if (outcome != QLatin1String("remote"))
        return outcome == QLatin1String("set");
    const QString frameId = slotFrameId(main, context, 0);
    if (frameId.isEmpty())
        return false;
    const QString own = m_browser->frameSession(frameId);
    const QString frameSession = own.isEmpty() ? main : own;
    return callSet(frameSession, isolatedWorld(frameSession, frameId, true), false) == QLatin1String("set");
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
    for (int attempt = 0; attempt < QuitAttempts && !m_gone && m_browser->hasPage(m_targetId); ++attempt) {
        m_browser->connection()->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), m_targetId}});
        waitUntil([this] { return m_gone || !m_browser->isAlive() || !m_browser->hasPage(m_targetId); }, QuitWaitMs);
    }
}

} // namespace tv
