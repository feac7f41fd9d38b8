#pragma once

#include "platform/browser.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class QTimer;

namespace tv {

class CRegSettings;

// The choices of "Slide Show Options", as stored in section "slideshow".
struct SlideshowOptions
{
    static constexpr qint32 MinInterval = 1;
    static constexpr qint32 MaxInterval = 120;

    qint32 interval = 4;          // seconds between links
    bool justSelected = true;     // only the selected links, else all in the list
    bool fromLoadComplete = true; // count from load completion, else from load start

    // "Interval", "Include Files" and "Wait"; a stored value out of its
    // range reads as the default.
    static SlideshowOptions load(const CRegSettings &settings);
    // Writes the three as decimal text; false when a store failed.
    bool store(CRegSettings &settings) const;
    bool operator==(const SlideshowOptions &) const = default;
};

// The slideshow's time: the interval between links and the bounded wait on a
// viewer still loading. Tests give one whose time they move on themselves.
class SlideshowClock
{
public:
    virtual ~SlideshowClock() = default;

    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    // Ticks every interval from now on until stopped.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void setTickHandler(std::function<void()> tick) = 0;
    // Lets events run until `done` or until `boundMs` has passed.
    virtual void waitUntil(const std::function<bool()> &done, int boundMs) = 0;
};

// The clock of the running program: the window's Timer2.
class TimerClock final : public SlideshowClock
{
public:
    explicit TimerClock(QTimer *timer);

    void setInterval(int ms) override;
    int interval() const override;
    void start() override;
    void stop() override;
    void setTickHandler(std::function<void()> tick) override;
    void waitUntil(const std::function<bool()> &done, int boundMs) override;

private:
    QTimer *m_timer;
    std::function<void()> m_tick;
};

// What the slideshow needs of the window that runs it.
class SlideshowHost
{
public:
    enum class Pointer { Default, ArrowHourglass };

    virtual ~SlideshowHost() = default;

    // The links of a run, in list order: the selected ones or all.
    virtual QStringList links(bool justSelected) const = 0;
    // Readies the viewer and opens the link in it; false when it could not be
    // opened (the user has been told).
    virtual bool openLink(const QString &url) = 0;
    // The viewer held now (may be none) and the viewer-shown state.
    virtual BrowserWindowPtr viewer() const = 0;
    virtual bool viewerShown() const = 0;
    // Forgets a viewer that has gone without its quit event.
    virtual void dropViewer() = 0;

    // The "slideshow" toolbar button: pressed while a run is on.
    virtual void setButtonPressed(bool pressed) = 0;
    // The status text; an empty text puts the idle banner back.
    virtual void setStatus(const QString &text) = 0;
    virtual void setPointer(Pointer pointer) = 0;
    // The count display: the number of links followed by " links found".
    virtual void showCount() = 0;

    // "Slide Show Options" over the window; none when cancelled.
    virtual std::optional<SlideshowOptions> askOptions(const SlideshowOptions &stored) = 0;
    // "Slideshow Paused": true to resume, false to stop.
    virtual bool askResume() = 0;
    // A refusal in an exclamation box.
    virtual void warn(const QString &title, const QString &text) = 0;
};

// The slideshow: opens a run of links one after another in the viewer,
// moving on after a fixed interval counted from the start or from the
// completion of each load. The host's "slideshow" button is pressed exactly
// while a run is on (Options, Counting, Loading).
class Slideshow final : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Options, Counting, Loading, Paused };

    // `settings` hold the options.
    Slideshow(SlideshowHost &host, CRegSettings &settings, SlideshowClock &clock, QObject *parent = nullptr);

    State state() const { return m_state; }
    bool running() const { return m_state == State::Counting || m_state == State::Loading; }

    // --- hooks of the main window ---
    // The "slideshow" button was clicked and is now `pressed`: start or pause.
    void buttonClicked(bool pressed);
    // Another toolbar button (not "resize" or "hide_br") was clicked during a run.
    void stopByOtherButton();
    // The viewer's top-level document is complete.
    void documentComplete();
    // The viewer window was closed.
    void viewerQuit();
    void Timer2_Timer();

    // The run's own copy of its links (indices 1 to N) and the last one opened.
    QStringList sellinks;
    qint32 slideIndex = 0;
    bool waitForLoad = false;

    // How long a tick waits for a viewer still loading before it moves on:
    // one interval, and never more than this.
    static constexpr int MaxBusyWaitMs = 10000;
    int busyWaitBound() const;

    // Texts shown by the slideshow.
    static QString inProgressText();

private:
    enum class Wait { Ready, Left, Gone };

    void start();
    void pause();
    // Back to Idle: the button released, the timer off.
    void finish();
    // finish(), and the window shows that nothing runs any more.
    void stop();
    void setState(State state);
    // Waits while the viewer loads, letting events run, at most
    // busyWaitBound(); tells whether the run moved on or the viewer went meanwhile.
    Wait waitWhileBusy(const BrowserWindowPtr &viewer);

    SlideshowHost &m_host;
    CRegSettings &m_settings;
    SlideshowClock &m_clock;
    State m_state = State::Idle;
    // Counts every change of state, so a wait can tell that the run moved on.
    quint64 m_changes = 0;
    bool m_inTick = false;
};

} // namespace tv
