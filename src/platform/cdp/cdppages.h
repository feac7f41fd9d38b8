#pragma once

// The page targets of one browser, in the order first seen, with the sessions
// that belong to each (its own and those of its out-of-process frames).

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace tv {

class CdpEventMapper;
class CdpWindow;

struct CdpPage
{
    QString targetId;
    QString sessionId;
    QString url;
    bool ready = false;          // attached and reporting events
    bool closeWhenReady = false; // a cancelled pop-up, closed once it runs
    CdpEventMapper *mapper = nullptr;
    std::weak_ptr<CdpWindow> window;
};
using CdpPagePtr = std::shared_ptr<CdpPage>;

class CdpPageRegistry
{
public:
    // The page of a target, or null.
    CdpPagePtr find(const QString &targetId) const { return m_byId.value(targetId); }
    // The page a session serves (its own or one of its frames'), or null.
    CdpPagePtr ofSession(const QString &sessionId) const;

    QStringList ids() const;
    bool allReady() const;

    // A new page at the end; an id already known keeps its page.
    CdpPagePtr add(const QString &targetId, const QString &url);
    // Takes a page out with all its sessions; null when it was not known.
    CdpPagePtr remove(const QString &targetId);
    // Orders the pages by rank, lowest first; equal ranks keep their order.
    void sortBy(const QHash<QString, int> &rank);

    // A session attached to the page itself or to one of its frames.
    void addSession(const QString &sessionId, const QString &targetId);
    void addFrameSession(const QString &frameId, const QString &sessionId, const QString &targetId);
    void removeSession(const QString &sessionId);
    // The session that holds a frame running in its own process, or `inPage`.
    QString frameSession(const QString &frameId, const QString &inPage) const
    {
        return m_frameSessions.value(frameId, inPage);
    }

private:
    QList<CdpPagePtr> m_pages;                 // oldest first
    QHash<QString, CdpPagePtr> m_byId;         // target id -> page
    QHash<QString, QString> m_sessionOwner;    // session -> page target id
    QHash<QString, QString> m_frameSessions;   // out-of-process frame id -> session
};

} // namespace tv
