#pragma once

#include "platform/cdpcomponent.h"

namespace tv {

class CRegSettings;

// The browser named in section "Browser": "Command" (found on PATH), extra
// arguments in "Flags", and "Headless" = 1 for a desktop browser nobody sees.
// Without a command, the first Chromium-family browser on PATH.
BrowserChoice storedBrowserChoice(const CRegSettings &settings);

} // namespace tv
