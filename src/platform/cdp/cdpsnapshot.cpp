#include "platform/cdp/cdpsnapshot.h"

#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdperrors.h"
#include "platform/cdp/cdpeventmapper.h"
#include "platform/markuprules.h"

#include <QFile>
#include <QJsonArray>

#include <algorithm>

// Resources of a static library must be registered by name before first use.
static void registerScripts()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(cdpscripts);
        return true;
    }();
    Q_UNUSED(done);
}

namespace tv {

namespace {

// A script of cdpscripts.qrc.
QString script(const QString &name)
{
    registerScripts();
    QFile file(QStringLiteral(":/cdp/") + name);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

bool CdpSnapshot::isHtmlType(const QString &mimeType)
{
    return mimeType == QLatin1String("text/html") || mimeType == QLatin1String("application/xhtml+xml");
}

HtmlDocumentPtr CdpSnapshot::document(const QString &sessionId, qsizetype maxLinks, bool withMedia)
{
    m_linksLeft = std::max<qsizetype>(maxLinks, -1);
    m_cut = false;
    m_unfinished = false;
    m_withMedia = withMedia;
    m_clock.start();
    HtmlDocumentPtr doc = snapshotFrame(sessionId, m_targetId, 0, true);
    if (!m_cut && !m_unfinished)
        return doc;
    auto marked = std::make_shared<HtmlDocument>(*doc);
    marked->cut = m_cut;
    marked->unfinished = m_unfinished;
    return marked;
}

QJsonObject CdpSnapshot::evaluate(const QString &sessionId, int contextId, const QString &expression)
{
    const QJsonObject r = m_browser.call(QStringLiteral("Runtime.evaluate"),
                                         {{QStringLiteral("expression"), expression},
                                          {QStringLiteral("contextId"), contextId},
                                          {QStringLiteral("returnByValue"), true},
                                          {QStringLiteral("timeout"), Timeout}},
                                         sessionId, Timeout + 2000);
    if (r.contains(QLatin1String("exceptionDetails")))
        throw BrowserError(QStringLiteral("The document could not be read."));
    return r.value(QLatin1String("result")).toObject();
}

int CdpSnapshot::isolatedWorld(const QString &sessionId, const QString &frameId, bool fresh, bool *reused)
{
    // A world lives as long as its document; reusing it keeps the DOM
    // wrappers it made, which makes a second snapshot of a big page cheaper.
    const CdpEventMapper *mapper = m_browser.mapperOf(m_targetId);
    const QString loader = mapper ? mapper->loaderOf(frameId) : QString();
    const auto cached = m_worlds.constFind(frameId);
    const bool reuse = !fresh && !loader.isEmpty() && cached != m_worlds.constEnd() && cached->first == loader;
    if (reused)
        *reused = reuse;
    if (reuse)
        return cached->second;
    const QJsonObject r = m_browser.call(QStringLiteral("Page.createIsolatedWorld"),
                                         {{QStringLiteral("frameId"), frameId},
                                          {QStringLiteral("worldName"), QStringLiteral("tallyvane")}},
                                         sessionId);
    const int context = r.value(QLatin1String("executionContextId")).toInt();
    if (!loader.isEmpty())
        m_worlds.insert(frameId, {loader, context});
    return context;
}

QString CdpSnapshot::slotFrameId(const QString &sessionId, int contextId, int slot)
{
    const QJsonObject r = m_browser.call(QStringLiteral("Runtime.evaluate"),
                                         {{QStringLiteral("expression"), QStringLiteral("globalThis.__tallyvaneKept[%1]").arg(slot)},
                                          {QStringLiteral("contextId"), contextId}},
                                         sessionId);
    const QString objectId = jsonString(r.value(QLatin1String("result")).toObject(), "objectId");
    if (objectId.isEmpty())
        return {};
    const QJsonObject node = m_browser.call(QStringLiteral("DOM.describeNode"), {{QStringLiteral("objectId"), objectId}}, sessionId)
                                .value(QLatin1String("node"))
                                .toObject();
    m_browser.connection()->send(QStringLiteral("Runtime.releaseObject"), {{QStringLiteral("objectId"), objectId}}, sessionId);
    return jsonString(node, "frameId");
}

HtmlDocumentPtr CdpSnapshot::buildDocument(const QJsonObject &node, const QString &sessionId, int contextId, int depth)
{
    auto doc = std::make_shared<HtmlDocument>();
    doc->url = jsonString(node, "url");
    const QJsonArray links = node.value(QLatin1String("links")).toArray();
    const QStringList texts = jsonString(node, "texts").split(QChar(0));
    const QString base = jsonString(node, "base");
    const QString origin = jsonString(node, "origin");
    doc->links.reserve(links.size());
    doc->texts.reserve(links.size());
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QJsonValue l = links.at(i);
        // A srcset is chosen here; one that names nothing usable is dropped.
        QString address = l.isObject() ? srcsetAddress(jsonString(l.toObject(), "s"), base) : l.toString();
        if (address.startsWith(u'/'))
            address.prepend(origin);
        if (address.isEmpty())
            continue;
        doc->links.append(address);
        doc->texts.append(linkText(texts.value(i)));
    }
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
            if (!frameId.isEmpty() && depth < MaxFrameDepth && !m_cut && !m_unfinished) {
                child = snapshotFrame(m_browser.frameSession(frameId, sessionId), frameId, depth + 1, false);
            }
        } catch (const BrowserError &) {
        }
        doc->frames.push_back(child);
    }
    return doc;
}

HtmlDocumentPtr CdpSnapshot::snapshotFrame(const QString &sessionId, const QString &frameId, int depth, bool topLevel)
{
    static const QString walkScript = script(QStringLiteral("snapshot.js"));
    // The walk goes down only as far as the levels above it leave room for.
    // A frame read on its own shares what is left of the one limit.
    const qint64 budget = std::max<qint64>(0, WalkBudget - m_clock.elapsed());
    const QString walk = QStringLiteral("(%1)(%2, %3, %4, %5)")
                             .arg(walkScript)
                             .arg(MaxFrameDepth - depth)
                             .arg(m_linksLeft)
                             .arg(m_withMedia ? QStringLiteral("true") : QStringLiteral("false"))
                             .arg(budget);
    bool reused = false;
    int context = isolatedWorld(sessionId, frameId, false, &reused);
    QJsonObject root;
    try {
        root = evaluate(sessionId, context, walk).value(QLatin1String("value")).toObject();
    } catch (const BrowserError &) {
        if (!reused)
            throw;
        // The kept world may have gone with its document; one more try in a new one.
        context = isolatedWorld(sessionId, frameId, true);
        root = evaluate(sessionId, context, walk).value(QLatin1String("value")).toObject();
    }
    if (root.isEmpty())
        throw BrowserError(QStringLiteral("The document could not be read."));
    if (topLevel && !isHtmlType(jsonString(root, "type")))
        throw BrowserError(QStringLiteral("The document is not an HTML document."));
    if (m_linksLeft >= 0)
        m_linksLeft = std::max<qsizetype>(0, m_linksLeft - root.value(QLatin1String("collected")).toInteger());
    m_cut = m_cut || root.value(QLatin1String("cut")).toBool();
    m_unfinished = m_unfinished || root.value(QLatin1String("unfinished")).toBool();
    return buildDocument(root, sessionId, context, depth);
}

bool CdpSnapshot::setFirstFrameInnerText(const QString &main, const QString &elementName, const QString &text)
{
    static const QString setText = script(QStringLiteral("settext.js"));
    auto callSet = [&](const QString &sessionId, int context, bool inFirstFrame) {
        const QJsonObject r = m_browser.call(
            QStringLiteral("Runtime.callFunctionOn"),
            {{QStringLiteral("functionDeclaration"), setText},
             {QStringLiteral("executionContextId"), context},
             {QStringLiteral("arguments"), QJsonArray{QJsonObject{{QStringLiteral("value"), elementName}},
                                                       QJsonObject{{QStringLiteral("value"), text}},
                                                       QJsonObject{{QStringLiteral("value"), inFirstFrame}}}},
             {QStringLiteral("returnByValue"), true}},
            sessionId);
        return jsonString(r.value(QLatin1String("result")).toObject(), "value");
    };
    const int context = isolatedWorld(main, m_targetId, true);
    const QString outcome = callSet(main, context, true);
    if (outcome != QLatin1String("remote"))
        return outcome == QLatin1String("set");
    const QString frameId = slotFrameId(main, context, 0);
    if (frameId.isEmpty())
        return false;
    const QString frameSession = m_browser.frameSession(frameId, main);
    return callSet(frameSession, isolatedWorld(frameSession, frameId, true), false) == QLatin1String("set");
}

} // namespace tv
