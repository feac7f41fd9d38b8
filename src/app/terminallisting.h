#pragma once

// `tallyvane --list`: the window's build from a web page, run for each page
// given, each page's new links written to standard output as it is read.

#include "app/urlbuildsession.h"
#include "builders/linkharvest.h"

#include <memory>

namespace tv {

// The browser as a terminal listing uses it: invisible pages only. The
// user's open browser windows are neither read nor made, so every page is
// loaded afresh and nothing shows on a desktop.
class HarvestOnlyBrowser final : public BrowserComponent
{
    Q_OBJECT
public:
    // `browser` may be null: every build then fails with the reason.
    explicit HarvestOnlyBrowser(std::unique_ptr<BrowserComponent> browser, QObject *parent = nullptr);

    QList<BrowserWindowPtr> shellWindows() override { return {}; }
    QString foregroundWindow() override { return {}; }
    BrowserWindowPtr createWindow() override;
    BrowserWindowPtr createHarvestWindow() override;
    void shutdown() override;

private:
    std::unique_ptr<BrowserComponent> m_browser;
};

struct ListRequest
{
    QStringList pages;   // addresses, listed in this order
    QStringList filters; // extensions to keep; empty: every link
    bool withText = false; // "url<TAB>text" lines
};

class TerminalListing final : public QObject, private UrlBuildHost
{
    Q_OBJECT
public:
    // Links listed in one run at most: far more than the window's list holds.
    static constexpr qsizetype MaxLinks = 1000000;

    TerminalListing(BrowserComponent &browser, ListRequest request, QObject *parent = nullptr);

    // Lists the pages one after another; finished() follows.
    void start();
    // Stops the page being loaded and ends with `status`, saying `why`;
    // what was written stays.
    void interrupt(int status, const QString &why = QString());

signals:
    // 0 every page listed; 1 a page failed or did not fit whole.
    void finished(int status);

private:
    BrowserComponent *browser() const override { return m_browser; }
    QStringList links() const override { return m_links; }
    qsizetype room() const override { return MaxLinks - m_links.size(); }
    void addLinks(const QList<HarvestedLink> &links, const QString &page) override;
    // Lines already written cannot be taken back: a terminal build always appends.
    void clearLinks() override {}
    void showCount() override {}
    void refreshExtent() override {}
    void setStatus(const QString &) override {}
    void setInputEnabled(bool enabled) override;
    void setProgress(qint32, qint32 max) override { m_progressMax = max; }
    qint32 progressMax() const override { return m_progressMax; }
    void clearProgressText() override {}
    void showError(const QString &text) override;
    void reportListFull(qsizetype leftOut) override;
    void reportPageCut(qsizetype read) override;

    void nextPage();
    // A build may end more than once on its way (a read, then the load's
    // end): the page is done when no build runs once events have turned.
    void checkPageEnded();
    void pageDone();
    void finish(int status);

    BrowserComponent *m_browser;
    ListRequest m_request;
    UrlBuildSession m_session;
    QStringList m_links;
    qsizetype m_next = 0;
    qsizetype m_pageLinks = 0;
    qint32 m_progressMax = 100;
    bool m_building = false;
    bool m_starting = false;
    bool m_pageFailed = false;
    bool m_failed = false;
    bool m_done = false;
    int m_writeStatus = 0; // the status to end with once output failed
};

} // namespace tv
