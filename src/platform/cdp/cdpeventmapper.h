#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QString>

class QTimer;

namespace tv {

struct CdpReply;

// Turns the DevTools events of one top-level page (its own session and the
// sessions of its out-of-process frames) into the events the program knows:
// navigation start, document completion per frame with the top level last,
// navigation errors with their status codes, progress and Busy.
// Frames are named by their frame id; the top-level frame's id is the page's
// target id, so the window's own name identifies the top-level document.
class CdpEventMapper final : public QObject
{
    Q_OBJECT
public:
    // `armed` false: stay silent until the program navigates (a new window's
    // blank start page is no document of the program's).
    explicit CdpEventMapper(const QString &targetId, bool armed = true, QObject *parent = nullptr);

    QString targetId() const { return m_targetId; }
    bool busy() const { return m_busy; }
    // The renderer of the current document has crashed; nothing can be read.
    bool crashed() const { return m_crashed; }
    // The loader of a frame's current document, "" when none was seen.
    QString loaderOf(const QString &frameId) const { return m_frameLoader.value(frameId); }

    // One protocol event of this page.
    void handle(const QString &method, const QJsonObject &params);

    // The program is about to send Page.navigate.
    void navigationRequested(const QString &url);
    // Page.navigate answered (loaderId, errorText, isDownload).
    void navigationAnswered(const CdpReply &reply, const QString &url);
    // The program failed the navigation itself (an address the browser cannot
    // load, a browser that did not answer): the events a failed load gives.
    void navigationFailed(const QString &url, qint32 statusCode);
    void stopRequested();
    // The page's renderer crashed: a load in progress ends as failed.
    void pageCrashed();
    // How long progress may stay open after the top-level load.
    void setProgressGrace(int ms);

signals:
    void beforeNavigate(const QString &url);
    void documentComplete(const QString &frameId, const QString &url);
    void navigateError(const QString &frameId, const QString &url, const QString &frameName, qint32 statusCode);
    void progressChange(qint32 progress, qint32 progressMax);
    void statusTextChange(const QString &text);

private:
    struct DocumentRequest
    {
        QString frameId;
        QString loaderId;
        QString url;
        bool redirected = false;
    };

    bool isMain(const QString &frameId) const { return frameId == m_targetId; }
    void startMainNavigation(const QString &url, const QString &loaderId);
    void reportError(const QString &frameId, const QString &loaderId, const QString &url, qint32 code);
    void emitProgress();
    void finishProgress();
    void completeWithoutCommit();

    QString m_targetId;
    bool m_armed;
    bool m_busy = false;
    bool m_crashed = false;

    // the current top-level navigation
    bool m_navActive = false;
    bool m_committed = false;
    bool m_mainLoaded = false;
    bool m_stopPending = false;
    bool m_programNavigation = false;
    QString m_mainLoader;
    QString m_navigationUrl;
    QSet<QString> m_started;
    QSet<QString> m_done;

    QSet<QString> m_seenLoaders;          // loaders whose navigation start was seen
    QSet<QString> m_loadersBeforeRequest; // those seen when the program last navigated
    QSet<QString> m_reportedLoads;        // loaders whose completion was reported
    QSet<QString> m_errorLoaders;         // loaders whose failure was reported
    QSet<QString> m_errorRequests;        // document requests reported by their status
    QHash<QString, QString> m_frameNavigating; // frame id -> loader of its latest navigation
    QHash<QString, QString> m_frameLoader;     // frame id -> loader of its committed document
    QHash<QString, QString> m_frameUrl;
    QHash<QString, QString> m_frameName;
    QHash<QString, DocumentRequest> m_documentRequests;
    QTimer *m_progressGrace;
};

} // namespace tv
