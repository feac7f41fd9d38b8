#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

namespace tv {

// A failed call on a browser window or on the component: a window that has
// gone, a request that got no answer in time, a browser that could not start.
class BrowserError : public std::runtime_error
{
public:
    explicit BrowserError(const QString &what) : std::runtime_error(what.toStdString()) {}
};

// What the program reads of an HTML document: its link addresses (absolute, in
// document order, open shadow trees included) and its frames in order, each with its own document. A frame
// whose document cannot be read keeps its place as a null pointer.
struct HtmlDocument
{
    QString url;
    QStringList links;
    // Beside each link, its text; may be shorter than links (no text).
    QStringList texts;
    std::vector<std::shared_ptr<const HtmlDocument>> frames;
    // Set on the top document when the read stopped at its limit of links:
    // the page holds further addresses that were not read.
    bool cut = false;
    // Set on the top document when the read stopped before the end of the
    // page: it ran out of time, or shadow trees nested too deep.
    bool unfinished = false;
};
using HtmlDocumentPtr = std::shared_ptr<const HtmlDocument>;

// One top-level browser window (or, in the harvest browser, one invisible
// page). Calls that talk to the browser are bounded in time and throw
// BrowserError when they fail; they let events run while they wait.
class BrowserWindow : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~BrowserWindow() override = default;

    // Stable identity of the window (the native handle's stand-in).
    virtual QString hwnd() const = 0;
    // The object's default property. Events carry the name of the object that
    // reports them: the window's own for the top-level document, a frame's
    // own name otherwise.
    virtual QString name() const = 0;

    virtual QString locationUrl() = 0;
    // True when the current document is an HTML document.
    virtual bool isHtmlDocument() = 0;
    // Snapshot of the current document and its frames; throws when the
    // document is not an HTML document or cannot be read. With maxLinks of 0
    // or more, the page stops collecting once it holds that many different
    // addresses ("%20" read as a blank) and leaves out its repeats.
    // withMedia adds the addresses of images, video and audio to the links.
    static constexpr qsizetype AllLinks = -1;
    virtual HtmlDocumentPtr document(qsizetype maxLinks = AllLinks, bool withMedia = false) = 0;
    // Sets innerText of the element named `elementName` in the document of the
    // first frame; false when there is no such frame or element.
    virtual bool setFirstFrameInnerText(const QString &elementName, const QString &text) = 0;

    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
    // Shows the window without activating it (SW_SHOWNA).
    virtual void showNoActivate() = 0;
    virtual void showMaximized() = 0;
    virtual void bringToForeground() = 0;

    virtual void navigate(const QString &url) = 0;
    virtual bool busy() = 0;
    virtual void stop() = 0;
    // Closes the window and waits (bounded) until it has gone.
    virtual void quit() = 0;

    virtual void setSilent(bool silent) = 0;
    virtual void setRegisterAsBrowser(bool registered) = 0;

signals:
    void BeforeNavigate2(const QString &pDisp, const QString &url);
    void DocumentComplete(const QString &pDisp, const QString &url);
    void NavigateError(const QString &pDisp, const QString &url, const QString &frame, qint32 statusCode);
    // Receivers set *cancel to true to keep the pop-up from opening.
    void NewWindow2(bool *cancel);
    void ProgressChange(qint32 progress, qint32 progressMax);
    void StatusTextChange(const QString &text);
    void OnQuit();
};
using BrowserWindowPtr = std::shared_ptr<BrowserWindow>;

// The system web browser as the program sees it.
class BrowserComponent : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~BrowserComponent() override = default;

    // The open browser windows, in a stable order (the order first seen).
    // Finds a running browser but never starts one: with none running the
    // list is empty.
    virtual QList<BrowserWindowPtr> shellWindows() = 0;
    // Identity of the browser window in front, or "" when none is.
    virtual QString foregroundWindow() = 0;
    // A new, invisible browser window in the user's browser.
    virtual BrowserWindowPtr createWindow() = 0;
    // A new invisible instance for loading a page to read its links. It is
    // closed when the last reference to it is dropped.
    virtual BrowserWindowPtr createHarvestWindow() = 0;
    // Ends what the component started for itself (the harvest browser).
    virtual void shutdown() = 0;
};

} // namespace tv
