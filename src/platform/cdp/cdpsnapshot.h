#pragma once

// Reading a page's document and its frames, and writing text into its first
// frame, in isolated worlds of the page; the scripts are snapshot.js and
// settext.js beside this file.

#include "platform/browser.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QPair>
#include <QString>

namespace tv {

class CdpBrowser;

class CdpSnapshot
{
public:
    CdpSnapshot(CdpBrowser &browser, const QString &targetId) : m_browser(browser), m_targetId(targetId) {}

    // The page's document and its frames; throws BrowserError when it is no
    // HTML document or cannot be read. maxLinks as for BrowserWindow::document.
    HtmlDocumentPtr document(const QString &sessionId, qsizetype maxLinks, bool withMedia = false);
    // Sets innerText of the element `elementName` of the first frame's
    // document; false when there is no such frame or element.
    bool setFirstFrameInnerText(const QString &sessionId, const QString &elementName, const QString &text);

    // The types of an HTML document.
    static bool isHtmlType(const QString &mimeType);

    // Time bound of one document snapshot.
    static constexpr int Timeout = 30000;
    // Frames nested deeper than this are left out. Real pages nest a few
    // levels; this only stops a page that nests frames without end. Each
    // level is two levels of the walk's JSON answer, well within the
    // parser's limit of 1024.
    static constexpr int MaxFrameDepth = 100;
    // What all walks of one snapshot may take together; the rest of the
    // page is then left unread (HtmlDocument::unfinished).
    static constexpr int WalkBudget = 20000;

private:
    // Evaluates the walk in an isolated world of `frameId` (reached through
    // `sessionId`) and fills in frames that only a walk of their own can read.
    HtmlDocumentPtr snapshotFrame(const QString &sessionId, const QString &frameId, int depth, bool topLevel);
    HtmlDocumentPtr buildDocument(const QJsonObject &node, const QString &sessionId, int contextId, int depth);
    // An isolated world of the frame; `fresh` makes a new one, `reused` tells
    // whether a kept one was given.
    int isolatedWorld(const QString &sessionId, const QString &frameId, bool fresh, bool *reused = nullptr);
    // The frame id of a frame element the walk kept at `slot` in its world.
    QString slotFrameId(const QString &sessionId, int contextId, int slot);
    QJsonObject evaluate(const QString &sessionId, int contextId, const QString &expression);

    CdpBrowser &m_browser;
    QString m_targetId;
    QHash<QString, QPair<QString, int>> m_worlds; // frame id -> (loader, context)
    // What one document() call may still collect (-1: no limit), and
    // whether a walk stopped at that limit.
    qsizetype m_linksLeft = -1;
    bool m_cut = false;
    bool m_unfinished = false;
    bool m_withMedia = false;
    QElapsedTimer m_clock;
};

} // namespace tv
