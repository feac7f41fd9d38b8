#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tv {

// The throwaway profile folder of a harvest browser, and everything the
// browser would otherwise write elsewhere.
namespace harvestprofile {

// A template for QTemporaryDir: <temporary folder>/tallyvane-harvest-XXXXXX.
QString folderTemplate();

// The browser's environment with its crash reports, caches, the settings of
// the libraries it loads and its temporary files moved into `profile`, so
// that nothing of it lands in the user's own folders and all of it goes with
// the profile. Makes the folders it names.
QProcessEnvironment environment(const QString &profile);

// Removes the profile folders of this user's harvest browsers that have
// ended without removing them (the program was killed): a folder whose
// browser lock names a process of this machine that no longer runs, or one
// without a lock that nothing has touched for longer than a launch can take.
// Returns how many were removed.
int removeStale();

} // namespace harvestprofile

} // namespace tv
