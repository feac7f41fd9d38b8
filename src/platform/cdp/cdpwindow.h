#pragma once

#include "platform/browser.h"
#include "platform/cdp/cdpsnapshot.h"

#include <memory>

namespace tv {

class CdpBrowser;
class CdpEventMapper;

// One page target of a Chromium-family browser, as a browser window.
class CdpWindow final : public BrowserWindow
{
    Q_OBJECT
public:
    // Windows are always held by shared pointers (calls keep themselves alive
    // while they wait). `closeOnRelease`: the page closes when the last
    // reference goes (the invisible harvest pages).
    static std::shared_ptr<CdpWindow> create(std::shared_ptr<CdpBrowser> browser, const QString &targetId,
                                             bool closeOnRelease);
    ~CdpWindow() override;

    QString hwnd() const override { return m_targetId; }
    QString name() const override { return m_targetId; }
    QString locationUrl() override;
    bool isHtmlDocument() override;
    HtmlDocumentPtr document(qsizetype maxLinks = AllLinks, bool withMedia = false) override;
    bool setFirstFrameInnerText(const QString &elementName, const QString &text) override;
    bool visible() override;
    void setVisible(bool visible) override;
    void showNoActivate() override;
    void showMaximized() override;
    void bringToForeground() override;
    void navigate(const QString &url) override;
    bool busy() override;
    void stop() override;
    void quit() override;
    void setSilent(bool silent) override { m_silent = silent; }
    void setRegisterAsBrowser(bool registered) override { m_registered = registered; }

    bool silent() const { return m_silent; }
    bool registeredAsBrowser() const { return m_registered; }
    bool isOpen() const { return !m_gone; }

    // From the browser: the page has gone (closed, or the browser ended).
    void targetGone();
    // From the browser: the page asks for a pop-up; true when it is cancelled.
    bool newWindowRequested(const QString &url);

private:
    CdpWindow(std::shared_ptr<CdpBrowser> browser, const QString &targetId, bool closeOnRelease);
    std::shared_ptr<CdpWindow> keepAlive();
    QString session() const;
    QString documentSession() const;
    void setWindowState(const QString &state);

    std::weak_ptr<CdpWindow> m_self;
    std::shared_ptr<CdpBrowser> m_browser;
    QString m_targetId;
    bool m_closeOnRelease;
    bool m_gone = false;
    bool m_silent = false;
    bool m_registered = false;
    CdpSnapshot m_snapshot;
};

} // namespace tv
