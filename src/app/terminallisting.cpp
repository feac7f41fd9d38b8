#include "app/terminallisting.h"

#include "app/terminalio.h"

#include <QTimer>

#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace tv {

HarvestOnlyBrowser::HarvestOnlyBrowser(std::unique_ptr<BrowserComponent> browser, QObject *parent)
    : BrowserComponent(parent), m_browser(std::move(browser))
{
}

BrowserWindowPtr HarvestOnlyBrowser::createWindow()
{
    throw BrowserError(QStringLiteral("No browser window is opened from a terminal."));
}

BrowserWindowPtr HarvestOnlyBrowser::createHarvestWindow()
{
    if (!m_browser)
        throw BrowserError(QStringLiteral("No web browser is available."));
    return m_browser->createHarvestWindow();
}

void HarvestOnlyBrowser::shutdown()
{
    if (m_browser)
        m_browser->shutdown();
}

TerminalListing::TerminalListing(BrowserComponent &browser, ListRequest request, QObject *parent)
    : QObject(parent), m_browser(&browser), m_request(std::move(request)), m_session(*this)
{
    // Every page adds to what the pages before it gave, repeats left out.
    m_session.setAppend(true);
    m_session.setFilters(m_request.filters);
    m_session.setFiltersApplied(!m_request.filters.isEmpty());
}

void TerminalListing::start()
{
    nextPage();
}

void TerminalListing::nextPage()
{
    if (m_done)
        return;
    if (m_next >= m_request.pages.size() || m_writeStatus != 0) {
        finish(m_failed ? 1 : 0);
        return;
    }
    m_pageLinks = 0;
    m_pageFailed = false;
    m_building = true;
    m_starting = true;
    m_session.start(m_request.pages.at(m_next++));
    m_starting = false;
    checkPageEnded();
}

void TerminalListing::setInputEnabled(bool enabled)
{
    // While start() runs, a read of a window showing the page may end a
    // build that the fresh load then starts again.
    if (enabled && !m_starting)
        checkPageEnded();
}

void TerminalListing::checkPageEnded()
{
    QTimer::singleShot(0, this, [this] {
        if (!m_building || m_session.running())
            return;
        m_building = false;
        // After the notices the build has queued about the page.
        QTimer::singleShot(0, this, &TerminalListing::pageDone);
    });
}

void TerminalListing::pageDone()
{
    if (m_done)
        return;
    if (!m_pageFailed)
        terminalio::say(QStringLiteral("%1 links from %2").arg(m_pageLinks).arg(m_request.pages.at(m_next - 1)));
    nextPage();
}

void TerminalListing::addLinks(const QList<HarvestedLink> &links, const QString &)
{
    QByteArray out;
    for (const HarvestedLink &link : links) {
        out += link.url.toUtf8();
        if (m_request.withText) {
            // One line per link, whatever the text holds.
            QString text = link.text;
            text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
            out += '\t' + text.toUtf8();
        }
        out += '\n';
        m_links.append(link.url);
    }
    m_pageLinks += links.size();
    if (!m_done && m_writeStatus == 0 && !terminalio::writeAll(STDOUT_FILENO, out)) {
        // Nobody reads any more (`| head`): end as a closed pipe would, quietly.
        m_writeStatus = errno == EPIPE ? 128 + SIGPIPE : 1;
        if (errno != EPIPE)
            terminalio::say(QStringLiteral("writing the links failed: %1").arg(qt_error_string(errno)));
        terminalio::whenAtTop(this, [this] { interrupt(m_writeStatus); });
    }
}

void TerminalListing::showError(const QString &text)
{
    m_pageFailed = m_failed = true;
    QString reason = text;
    reason.replace(QStringLiteral("\r\n\r\n"), QStringLiteral(" "));
    terminalio::say(QStringLiteral("%1: %2").arg(m_request.pages.value(m_next - 1), reason.trimmed()));
}

void TerminalListing::reportListFull(qsizetype leftOut)
{
    m_failed = true;
    terminalio::say(QStringLiteral("%1 more links were left out: no more than %2 are listed in one run.")
                        .arg(leftOut)
                        .arg(MaxLinks));
}

void TerminalListing::reportPageCut(qsizetype read)
{
    m_failed = true;
    terminalio::say(QStringLiteral("%1 links to more than %2 different addresses; only the first %2 were read.")
                        .arg(m_request.pages.value(m_next - 1))
                        .arg(read));
}

void TerminalListing::interrupt(int status, const QString &why)
{
    if (m_done)
        return;
    m_done = true;
    if (m_session.running())
        m_session.cancel();
    if (!why.isEmpty())
        terminalio::say(why);
    emit finished(status);
}

void TerminalListing::finish(int status)
{
    m_done = true;
    emit finished(m_writeStatus != 0 ? m_writeStatus : status);
}

} // namespace tv
