#include "app/commandavailability.h"

namespace tv {

CommandAvailability commandAvailability(const AvailabilityInputs &in)
{
    CommandAvailability a;
    a.saveTargets = in.selected != 0;
    a.saveButton = in.count != 0;
    a.saveList = in.count != 0;
    a.back = in.index > 0;
    a.fwd = in.index != -1 && in.index < in.count - 1;
    a.slideshow = in.count != 0;
    a.hideBrowser = in.viewerHeld;
    a.openSelected = in.count != 0 && in.selected == 1;
    a.popupOpen = in.selected == 1;
    a.popupSaveTargets = in.selected >= 1;
    return a;
}

} // namespace tv
