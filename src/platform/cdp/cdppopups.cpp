#include "platform/cdp/cdppopups.h"

#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/cdppages.h"

namespace tv {

CdpPopups::CdpPopups(CdpConnection *connection, const CdpPageRegistry &pages) : m_connection(connection), m_pages(pages)
{
    m_clock.start();
}

void CdpPopups::declinedBy(const QString &openerId)
{
    if (!m_pages.find(openerId))
        return;
    Opener &opener = m_openers[openerId];
    opener.declineUntil = m_clock.elapsed() + WindowMs;
    // A pop-up that appeared before its opener was asked about it.
    for (const auto &[popupId, at] : std::as_const(opener.recent))
        if (m_clock.elapsed() - at < WindowMs)
            close(popupId);
    opener.recent.clear();
}

void CdpPopups::opened(const QString &openerId, const QString &popupId)
{
    if (!m_pages.find(openerId))
        return;
    Opener &opener = m_openers[openerId];
    if (m_clock.elapsed() < opener.declineUntil)
        close(popupId);
    else
        opener.recent.append({popupId, m_clock.elapsed()});
}

void CdpPopups::close(const QString &popupId)
{
    // Closing a pop-up still paused at its start can take its opener's load
    // events with it; close it once it runs.
    const CdpPagePtr popup = m_pages.find(popupId);
    if (!popup)
        return;
    if (popup->ready)
        m_connection->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), popupId}});
    else
        popup->closeWhenReady = true;
}

} // namespace tv
