#pragma once

#include <QString>

namespace tv {

class CRegSettings;

// The three preferences of "Program Preferences", as the main window holds them.
struct Preferences
{
    bool ontop = true;
    bool newwin = false;
    // 0 prompt, 1 overwrite, 2 skip, 3 save under a new unique name.
    qint32 owaction = 0;
    // Link targets saved at once, 1 to MaxSimultaneous.
    qint32 simultaneous = 1;

    static constexpr qint32 OverwriteActions = 4;
    static constexpr qint32 MaxSimultaneous = 8;
    bool operator==(const Preferences &) const = default;
};

// Reads "Options"/"On Top" (default True), "New Window" (default 0),
// "Overwrite Action" (its leading number; default 0) and "Simultaneous Downloads".
Preferences LoadPreferences(const CRegSettings &settings);

// Writes "Options"/"On Top" ("True"/"False"), "New Window" ("1"/"0") and
// "Overwrite Action" ("0".."3"; an action outside that range is not written)
// and "Simultaneous Downloads" ("1".."8").
// Returns false when any store failed.
bool StorePreferences(const Preferences &preferences);

// "Options"/"Simultaneous Downloads" as stored; 1 when absent or out of range.
qint32 SimultaneousDownloads(const QString &stored);

} // namespace tv
