#pragma once

#include <QString>
#include <QStringList>

namespace tv {

class CRegSettings;

// File-type filters: entries "description - extension", kept in the settings
// store under "File Types" as "Type 0", "Type 1", ... in list order.
namespace Filters {

inline constexpr char16_t Separator[] = u" - ";

// Everything after the first " - " of an entry; an entry without one (never
// written by this program) is taken whole.
QString extensionOf(const QString &entry);
QStringList extensionsOf(const QStringList &entries);

// Position of the first entry whose extension equals `extension` exactly, or -1.
qsizetype indexOfExtension(const QStringList &entries, const QString &extension);

// True when the address's extension (from its last dot that has something
// after it, without the dot) equals one of the filter extensions; letter case
// counts.
bool matches(const QString &address, const QStringList &extensions);

// The stored entries, in the order the store returns them.
QStringList load(const CRegSettings &settings);
// Rewrites the section whole: the old values go, then Type 0, Type 1, ...
void save(CRegSettings &settings, const QStringList &entries);

// "Filters" / "Apply Filters": a leading non-zero number means on.
bool applyFilters(const CRegSettings &settings);
void setApplyFilters(CRegSettings &settings, bool on);

} // namespace Filters

} // namespace tv
