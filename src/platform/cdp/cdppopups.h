#pragma once

// Pop-up windows that a page's window declined. The browser reports a pop-up
// either before or after the page asks about it; within a few seconds of
// each other the two meet, in either order, and the pop-up is closed.

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace tv {

class CdpConnection;
class CdpPageRegistry;

class CdpPopups
{
public:
    CdpPopups(CdpConnection *connection, const CdpPageRegistry &pages);

    // The page declined a pop-up: its pop-ups of the next moments, and one
    // that appeared a moment ago, are closed.
    void declinedBy(const QString &openerId);
    // The browser opened a pop-up of a page.
    void opened(const QString &openerId, const QString &popupId);
    // The page has gone.
    void forget(const QString &openerId) { m_openers.remove(openerId); }

    static constexpr int WindowMs = 3000;

private:
    struct Opener
    {
        qint64 declineUntil = 0;
        QList<QPair<QString, qint64>> recent; // pop-up id, when it appeared
    };
    void close(const QString &popupId);

    CdpConnection *m_connection;
    const CdpPageRegistry &m_pages;
    QElapsedTimer m_clock;
    QHash<QString, Opener> m_openers;
};

} // namespace tv
