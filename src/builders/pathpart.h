#pragma once

#include <QString>

namespace tv {

// Part of a path: 0 drive, 1 folder, 2 name, 3 extension (with its dot).
// Folders end at a backslash; a drive is a letter and a colon at the start.
// Throws RuntimeError 1 for any other part.
QString PathPart(const QString &path, int part);

} // namespace tv
