#pragma once

// The hourglass over the whole program while a command works.

namespace tv {

// Shows the hourglass unless a pointer of ours is up already.
void showBusyPointer();
// The arrow with the hourglass (the viewer loading a link), in place of a
// pointer of ours that is up already.
void showArrowHourglass();
// Takes every pointer of ours down: the normal pointer is back.
void clearBusyPointer();

// The hourglass for the length of a command, when none is up yet; release()
// takes it down early (before a message box), at most once.
class BusyPointer
{
public:
    BusyPointer();
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
    void release();

private:
    bool m_on;
};

} // namespace tv
