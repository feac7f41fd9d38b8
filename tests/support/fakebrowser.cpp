#include "support/fakebrowser.h"

namespace tvtest {

FakeBrowserWindow::FakeBrowserWindow(const QString &id) : m_id(id) {}

void FakeBrowserWindow::check() const
{
    if (broken)
        throw tv::BrowserError(QStringLiteral("window %1 does not answer").arg(m_id));
}

tv::HtmlDocumentPtr FakeBrowserWindow::document(qsizetype maxLinks, bool withMedia)
{
    check();
    askedMaxLinks = maxLinks;
    askedMedia = withMedia;
    if (!html || !doc)
        throw tv::BrowserError(QStringLiteral("not an HTML document"));
    return doc;
}

bool FakeBrowserWindow::setFirstFrameInnerText(const QString &elementName, const QString &text)
{
    check();
    if (!doc || doc->frames.empty() || !doc->frames.front())
        return false;
    innerTexts.append({elementName, text});
    return true;
}

void FakeBrowserWindow::navigate(const QString &target)
{
    check();
    navigations.append(target);
    url = target;
    m_busy = true;
}

void FakeBrowserWindow::quit()
{
    check();
    ++quitCalls;
    emit OnQuit();
}

void FakeBrowserWindow::fireDocumentComplete(const QString &frameName)
{
    if (frameName.isEmpty())
        m_busy = false;
    emit DocumentComplete(frameName.isEmpty() ? m_id : frameName, url);
}

void FakeBrowserWindow::fireNavigateError(qint32 status, const QString &frameName)
{
    emit NavigateError(frameName.isEmpty() ? m_id : frameName, url, QString(), status);
}

QList<tv::BrowserWindowPtr> FakeBrowserComponent::shellWindows()
{
    QList<tv::BrowserWindowPtr> list;
    for (const auto &w : std::as_const(windows))
        list.append(w);
    return list;
}

std::shared_ptr<FakeBrowserWindow> FakeBrowserComponent::make(const char *kind, const QString &url)
{
    auto w = std::make_shared<FakeBrowserWindow>(QStringLiteral("%1-%2").arg(QLatin1String(kind)).arg(m_next++));
    w->url = url;
    return w;
}

std::shared_ptr<FakeBrowserWindow> FakeBrowserComponent::addWindow(const QString &url, bool html)
{
    auto w = make("window", url);
    w->html = html;
    windows.append(w);
    return w;
}

tv::BrowserWindowPtr FakeBrowserComponent::createWindow()
{
    if (failCreate)
        throw tv::BrowserError(QStringLiteral("cannot start a browser"));
    created.append(make("window", QStringLiteral("about:blank")));
    windows.append(created.last());
    return created.last();
}

tv::BrowserWindowPtr FakeBrowserComponent::createHarvestWindow()
{
    if (failCreate)
        throw tv::BrowserError(QStringLiteral("cannot start a browser"));
    auto w = make("harvest", QStringLiteral("about:blank"));
    harvests.append(w);
    return w;
}

tv::HtmlDocumentPtr makeDocument(const QString &url, const QStringList &links, std::vector<tv::HtmlDocumentPtr> frames)
{
    auto d = std::make_shared<tv::HtmlDocument>();
    d->url = url;
    d->links = links;
    d->frames = std::move(frames);
    return d;
}

} // namespace tvtest
