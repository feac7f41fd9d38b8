#include "app/openpagesbuild.h"

#include "app/busypointer.h"
#include "app/urlbuildsession.h"
#include "builders/linkharvest.h"

namespace tv {

OpenPagesBuild::OpenPagesBuild(UrlBuildHost &host, const UrlBuildSession &options, QObject *parent)
    : QObject(parent), m_host(host), m_options(options)
{
}

QList<BrowserWindowPtr> OpenPagesBuild::openWindows() const
{
    try {
        if (BrowserComponent *browser = m_host.browser())
            return browser->shellWindows();
    } catch (const BrowserError &) {
    }
    return {};
}

OpenPagesBuild::Result OpenPagesBuild::run(const QList<BrowserWindowPtr> &windows)
{
    Result result;
    result.windows = windows.size();
    if (m_running || windows.isEmpty())
        return result;
    m_running = true;
    m_ended = false;
    m_cancelled = false;
    m_host.setStatus(UrlBuildSession::buildingStatus());
    m_host.setInputEnabled(false);
    m_host.clearProgressText();
    showBusyPointer();
    const QStringList filters = m_options.filtersApplied() ? m_options.filters() : QStringList();
    for (qsizetype i = 0; i < windows.size() && !m_cancelled; ++i) {
        m_host.setProgress(qint32(i + 1), qint32(windows.size() + 1));
        try {
            const BrowserWindowPtr &w = windows.at(i);
            if (!w->isHtmlDocument())
                continue;
            // Every new address fits; the page may repeat each listed one.
            const qsizetype toRead = m_host.room() + m_host.links().size();
            const HtmlDocumentPtr doc = w->document(toRead, m_options.includeMedia());
            if (m_cancelled)
                break;
            // Each page is walked against the list as the pages before it left it.
            LinkHarvest walk(m_host.links(), m_host.room(), filters);
            walk.walk(*doc);
            m_host.addLinks(walk.harvested(), doc->url);
            m_host.showCount();
            ++result.read;
            result.leftOut += walk.leftOut();
            if (doc->cut && result.cutAt == 0)
                result.cutAt = toRead;
            result.unfinished = result.unfinished || doc->unfinished;
        } catch (const BrowserError &) {
            // Closed, crashed or out of time: the other pages still count.
            ++result.skipped;
        }
    }
    result.cancelled = m_cancelled;
    end();
    m_running = false;
    return result;
}

void OpenPagesBuild::cancel()
{
    m_cancelled = true;
    end();
}

void OpenPagesBuild::end()
{
    if (std::exchange(m_ended, true))
        return;
    m_host.showCount();
    m_host.refreshExtent();
    clearBusyPointer();
    m_host.setStatus(QString());
    m_host.setInputEnabled(true);
    m_host.setProgress(0, 100);
}

QString OpenPagesBuild::endMessage(const Result &result)
{
    if (result.cancelled)
        return {};
    if (result.windows == 0)
        return QStringLiteral("No web browser with open pages is running. Open the pages in the web browser that "
                              "Tallyvane opens links in, then try again.");
    if (result.read == 0 && result.skipped == 0)
        return QStringLiteral("None of the open browser windows shows a web page.");
    if (result.skipped > 0)
        return QStringLiteral("Links were listed from %1 of the %2 open pages. Pages skipped because they did not "
                              "answer in time: %3.")
            .arg(result.read)
            .arg(result.read + result.skipped)
            .arg(result.skipped);
    return {};
}

} // namespace tv
