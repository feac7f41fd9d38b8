#include "platform/cdp/cdppages.h"

#include <algorithm>

namespace tv {

CdpPagePtr CdpPageRegistry::ofSession(const QString &sessionId) const
{
    return find(m_sessionOwner.value(sessionId));
}

QStringList CdpPageRegistry::ids() const
{
    QStringList ids;
    ids.reserve(m_pages.size());
    for (const CdpPagePtr &p : m_pages)
        ids.append(p->targetId);
    return ids;
}

bool CdpPageRegistry::allReady() const
{
    return std::all_of(m_pages.begin(), m_pages.end(), [](const CdpPagePtr &p) { return p->ready; });
}

CdpPagePtr CdpPageRegistry::add(const QString &targetId, const QString &url)
{
    if (CdpPagePtr known = find(targetId))
        return known;
    auto page = std::make_shared<CdpPage>();
    page->targetId = targetId;
    page->url = url;
    m_pages.append(page);
    m_byId.insert(targetId, page);
    return page;
}

CdpPagePtr CdpPageRegistry::remove(const QString &targetId)
{
    const CdpPagePtr page = m_byId.take(targetId);
    if (!page)
        return nullptr;
    m_pages.removeOne(page);
    for (auto it = m_sessionOwner.begin(); it != m_sessionOwner.end();) {
        if (it.value() != targetId) {
            ++it;
            continue;
        }
        const QString session = it.key();
        it = m_sessionOwner.erase(it);
        m_frameSessions.removeIf([&](const auto &frame) { return frame.value() == session; });
    }
    return page;
}

void CdpPageRegistry::sortBy(const QHash<QString, int> &rank)
{
    std::stable_sort(m_pages.begin(), m_pages.end(), [&](const CdpPagePtr &a, const CdpPagePtr &b) {
        return rank.value(a->targetId) < rank.value(b->targetId);
    });
}

void CdpPageRegistry::addSession(const QString &sessionId, const QString &targetId)
{
    m_sessionOwner.insert(sessionId, targetId);
}

void CdpPageRegistry::addFrameSession(const QString &frameId, const QString &sessionId, const QString &targetId)
{
    m_sessionOwner.insert(sessionId, targetId);
    m_frameSessions.insert(frameId, sessionId);
}

void CdpPageRegistry::removeSession(const QString &sessionId)
{
    m_sessionOwner.remove(sessionId);
    m_frameSessions.removeIf([&](const auto &frame) { return frame.value() == sessionId; });
}

} // namespace tv
