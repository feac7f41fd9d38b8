#include "viewer/slideshow.h"

#include "platform/boundedwait.h"
#include "settings/settingsstore.h"
#include "viewer/viewerwindow.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace tv {

namespace {

const QString Section = QStringLiteral("slideshow");
const QString IntervalKey = QStringLiteral("Interval");
const QString IncludeKey = QStringLiteral("Include Files");
const QString WaitKey = QStringLiteral("Wait");

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

SlideshowOptions SlideshowOptions::load(const CRegSettings &settings)
{
    SlideshowOptions o;
    o.interval = numberSetting(settings.GetSetting(Section, IntervalKey, QStringLiteral("4")), MinInterval, MaxInterval,
                               SlideshowOptions{}.interval);
    o.justSelected = booleanText(settings.GetSetting(Section, IncludeKey, QStringLiteral("1")), true);
    o.fromLoadComplete = booleanText(settings.GetSetting(Section, WaitKey, QStringLiteral("1")), true);
    return o;
}

bool SlideshowOptions::store(CRegSettings &settings) const
{
    bool ok = settings.SaveSetting(Section, IntervalKey, QString::number(interval));
    ok = settings.SaveSetting(Section, IncludeKey, flag(justSelected)) && ok;
    return settings.SaveSetting(Section, WaitKey, flag(fromLoadComplete)) && ok;
}

TimerClock::TimerClock(QTimer *timer) : m_timer(timer)
{
    // Whole seconds between links, kept to the millisecond.
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
        if (m_tick)
            m_tick();
    });
}

void TimerClock::setInterval(int ms)
{
    m_timer->setInterval(ms);
}

int TimerClock::interval() const
{
    return m_timer->interval();
}

void TimerClock::start()
{
    m_timer->start();
}

void TimerClock::stop()
{
    m_timer->stop();
}

void TimerClock::setTickHandler(std::function<void()> tick)
{
    m_tick = std::move(tick);
}

void TimerClock::waitUntil(const std::function<bool()> &done, int boundMs)
{
    tv::waitUntil(done, boundMs);
}

Slideshow::Slideshow(SlideshowHost &host, CRegSettings &settings, SlideshowClock &clock, QObject *parent)
    : QObject(parent), m_host(host), m_settings(settings), m_clock(clock)
{
    m_clock.stop();
    m_clock.setTickHandler([this] { Timer2_Timer(); });
}

QString Slideshow::inProgressText()
{
    return QStringLiteral("Slideshow in progress.");
}

int Slideshow::busyWaitBound() const
{
    return std::min(m_clock.interval(), MaxBusyWaitMs);
}

void Slideshow::setState(State state)
{
    ++m_changes;
    m_state = state;
}

void Slideshow::buttonClicked(bool pressed)
{
    if (pressed && m_state == State::Idle)
        start();
    else if (!pressed && running())
        pause();
    else
        m_host.setButtonPressed(running() || m_state == State::Options);
}

void Slideshow::start()
{
    setState(State::Options);
    bool announced = false;
    std::optional<SlideshowOptions> chosen;
    QStringList links;
    for (;;) {
        m_host.setPointer(SlideshowHost::Pointer::Default);
        chosen = m_host.askOptions(SlideshowOptions::load(m_settings));
        if (!chosen) {
            m_host.setButtonPressed(false);
            if (announced) // an earlier Start of this click said "in progress"
                m_host.setStatus({});
            setState(State::Idle);
            return;
        }
        chosen->store(m_settings); // a failed store keeps the choice for this run
        m_host.setStatus(inProgressText());
        m_host.setPointer(SlideshowHost::Pointer::ArrowHourglass);
        announced = true;
        links = m_host.links(chosen->justSelected);
        if (!chosen->justSelected || !links.isEmpty())
            break;
        m_host.warn(QStringLiteral("Oops!"), QStringLiteral("You have no links selected. Can't start slideshow."));
    }

    sellinks = links;
    waitForLoad = chosen->fromLoadComplete;
    slideIndex = 1;
    m_clock.setInterval(chosen->interval * 1000);
    if (sellinks.isEmpty() || sellinks.first().isEmpty()) {
        setState(State::Loading); // nothing is opened and the run does not advance
        return;
    }
    // Still in Options while the first link opens: events of the page the
    // viewer showed before belong to no run.
    if (!m_host.openLink(sellinks.first())) {
        stop();
        return;
    }
    if (waitForLoad) {
        setState(State::Loading);
    } else {
        setState(State::Counting);
        m_clock.start();
    }
}

void Slideshow::pause()
{
    m_clock.stop();
    setState(State::Paused);
    m_host.setStatus(QStringLiteral("Slideshow paused."));
    const bool resume = m_host.askResume();
    if (m_state != State::Paused)
        return; // the viewer was closed meanwhile: the run has ended
    if (!resume) {
        m_host.setPointer(SlideshowHost::Pointer::Default);
        m_host.setStatus({});
        m_host.showCount();
        setState(State::Idle);
        return;
    }
    m_clock.start(); // a full interval from now, in both modes
    m_host.setButtonPressed(true);
    m_host.setStatus(inProgressText());
    setState(State::Counting);
}

void Slideshow::finish()
{
    m_host.setButtonPressed(false);
    waitForLoad = false;
    m_clock.stop();
    setState(State::Idle);
}

void Slideshow::stop()
{
    finish();
    m_host.setStatus({});
    m_host.setPointer(SlideshowHost::Pointer::Default);
    m_host.showCount();
}

void Slideshow::stopByOtherButton()
{
    if (running())
        stop();
}

void Slideshow::documentComplete()
{
    if (!running() && m_state != State::Paused)
        return;
    if (waitForLoad && running()) {
        m_clock.start();
        setState(State::Counting);
    }
    if (slideIndex != 0 && slideIndex == sellinks.size()) {
        m_host.setPointer(SlideshowHost::Pointer::Default);
        if (m_state == State::Paused) {
            // Resuming finishes the run at its next tick.
            waitForLoad = false;
            m_clock.stop();
        } else {
            finish();
        }
    }
}

void Slideshow::viewerQuit()
{
    if (m_state == State::Idle || m_state == State::Options)
        return; // no run yet: the options dialog still owns the button
    finish();
    m_host.showCount(); // a run had emptied it
}

Slideshow::Wait Slideshow::waitWhileBusy(const BrowserWindowPtr &viewer)
{
    const QScopedValueRollback inTick(m_inTick, true);
    const quint64 at = m_changes;
    // Ready also when the bound passes: a page that never stops loading does not hold the run.
    Wait result = Wait::Ready;
    m_clock.waitUntil(
        [&] {
            if (m_changes != at)
                result = Wait::Left;
            else if (m_host.viewer() != viewer)
                result = Wait::Gone;
            else {
                try {
                    return !viewer->busy();
                } catch (const BrowserError &) {
                    result = Wait::Gone;
                }
            }
            return true;
        },
        busyWaitBound());
    return result;
}

void Slideshow::Timer2_Timer()
{
    if (m_inTick || !running())
        return;
    if (slideIndex >= sellinks.size()) {
        // The last link was opened one interval ago.
        finish();
        return;
    }
    const BrowserWindowPtr viewer = m_host.viewer();
    const Wait waited = viewer ? waitWhileBusy(viewer) : Wait::Gone;
    if (waited == Wait::Left)
        return; // paused, stopped or closed while waiting
    if (const QString refused = refusedLinkReason(sellinks.at(slideIndex)); !refused.isEmpty()) {
        stop();
        m_host.warn(QStringLiteral("Slideshow"), refused);
        return;
    }
    try {
        if (waited == Wait::Gone)
            throw BrowserError(QStringLiteral("The browser window has been closed."));
        ++slideIndex;
        viewer->setVisible(m_host.viewerShown());
        viewer->navigate(sellinks.at(slideIndex - 1));
    } catch (const BrowserError &) {
        // Gone without its quit event: forget it and end the run quietly.
        if (m_host.viewer() == viewer)
            m_host.dropViewer();
        stop();
        return;
    }
    if (waitForLoad) {
        m_clock.stop();
        setState(State::Loading);
    } else {
        m_clock.start(); // the next interval counts from this load's start
    }
}

} // namespace tv
