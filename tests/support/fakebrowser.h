#pragma once

#include "platform/browser.h"

namespace tvtest {

// A browser window whose state the test sets and whose events the test fires.
class FakeBrowserWindow final : public tv::BrowserWindow
{
    Q_OBJECT
public:
    explicit FakeBrowserWindow(const QString &id);

    QString hwnd() const override { return m_id; }
    QString name() const override { return m_id; }
    QString locationUrl() override { check(); return url; }
    bool isHtmlDocument() override { check(); return html; }
    tv::HtmlDocumentPtr document(qsizetype maxLinks = AllLinks, bool withMedia = false) override;
    qsizetype askedMaxLinks = -2; // what the last read asked for
    bool askedMedia = false;
    bool setFirstFrameInnerText(const QString &elementName, const QString &text) override;
    bool visible() override { check(); return m_visible; }
    void setVisible(bool visible) override { check(); m_visible = visible; }
    void showNoActivate() override { check(); }
    void showMaximized() override { check(); m_visible = true; }
    void bringToForeground() override { check(); }
    void navigate(const QString &url) override;
    bool busy() override { check(); return m_busy; }
    void stop() override { check(); ++stopCalls; m_busy = false; }
    void quit() override;
    void setSilent(bool silent) override { silentSet = silent; }
    void setRegisterAsBrowser(bool registered) override { registeredAsBrowser = registered; }

    // --- scripting ---
    QString url;
    bool html = true;
    tv::HtmlDocumentPtr doc;
    bool broken = false;          // every call throws
    bool m_visible = false;
    bool m_busy = false;
    QStringList navigations;
    int stopCalls = 0;
    int quitCalls = 0;
    bool silentSet = false;
    bool registeredAsBrowser = false;
    QList<QPair<QString, QString>> innerTexts;

    void fireDocumentComplete(const QString &frameName = QString());
    void fireNavigateError(qint32 status, const QString &frameName = QString());
    void fireProgress(qint32 progress, qint32 max) { emit ProgressChange(progress, max); }
    void fireQuit() { emit OnQuit(); }

private:
    void check() const;
    QString m_id;
};

class FakeBrowserComponent final : public tv::BrowserComponent
{
    Q_OBJECT
public:
    using tv::BrowserComponent::BrowserComponent;

    QList<tv::BrowserWindowPtr> shellWindows() override;
    QString foregroundWindow() override { return foreground; }
    tv::BrowserWindowPtr createWindow() override;
    tv::BrowserWindowPtr createHarvestWindow() override;
    void shutdown() override {}

    std::shared_ptr<FakeBrowserWindow> addWindow(const QString &url, bool html = true);

    QList<std::shared_ptr<FakeBrowserWindow>> windows;      // the open desktop windows
    QList<std::shared_ptr<FakeBrowserWindow>> created;      // made by createWindow
    QList<std::weak_ptr<FakeBrowserWindow>> harvests;       // made by createHarvestWindow
    QString foreground;
    bool failCreate = false;

private:
    std::shared_ptr<FakeBrowserWindow> make(const char *kind, const QString &url);
    int m_next = 1;
};

// Builds a document: links, then frames (nullptr for an unreadable frame).
tv::HtmlDocumentPtr makeDocument(const QString &url, const QStringList &links,
                                 std::vector<tv::HtmlDocumentPtr> frames = {});

} // namespace tvtest
