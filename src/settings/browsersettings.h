#pragma once

#include <QString>
#include <QStringList>

namespace tv {

class CRegSettings;

// The browser named in section "Browser": "Command" (to be found on PATH;
// empty: the first Chromium-family browser there), extra arguments in
// "Flags", and "Headless" = 1 for a desktop browser nobody sees.
struct StoredBrowser
{
    QString command;
    QStringList flags;
    bool headless = false;
};

StoredBrowser storedBrowser(const CRegSettings &settings);

} // namespace tv
