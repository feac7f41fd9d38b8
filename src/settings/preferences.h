#pragma once

#include <QtGlobal>

namespace tv {

class CRegSettings;

// The three preferences of "Program Preferences", as the main window holds them.
struct Preferences
{
    bool ontop = true;
    bool newwin = false;
    // 0 prompt, 1 overwrite, 2 skip, 3 save under a new unique name.
    qint32 owaction = 0;

    static constexpr qint32 OverwriteActions = 4;
    bool operator==(const Preferences &) const = default;
};

// Reads "Options"/"On Top" (default True), "New Window" (default 0) and
// "Overwrite Action" (its leading number; default 0).
Preferences LoadPreferences(const CRegSettings &settings);

// Writes "Options"/"On Top" ("True"/"False"), "New Window" ("1"/"0") and
// "Overwrite Action" ("0".."3"; an action outside that range is not written).
// Returns false when any store failed.
bool StorePreferences(const Preferences &preferences);

} // namespace tv
