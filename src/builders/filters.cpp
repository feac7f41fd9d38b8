#include "builders/filters.h"

#include "builders/pathpart.h"
#include "settings/settingsstore.h"

namespace tv::Filters {

namespace {

const QString FileTypes = QStringLiteral("File Types");
const QString FiltersSection = QStringLiteral("Filters");
const QString ApplyKey = QStringLiteral("Apply Filters");

} // namespace

QString extensionOf(const QString &entry)
{
    const qsizetype pos = entry.indexOf(Separator);
    return pos < 0 ? entry : entry.mid(pos + 3);
}

QStringList extensionsOf(const QStringList &entries)
{
    QStringList extensions;
    extensions.reserve(entries.size());
    for (const QString &entry : entries)
        extensions.append(extensionOf(entry));
    return extensions;
}

qsizetype indexOfExtension(const QStringList &entries, const QString &extension)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (extensionOf(entries.at(i)) == extension)
            return i;
    }
    return -1;
}

bool matches(const QString &address, const QStringList &extensions)
{
    // ".gif" -> "gif"; no extension stays "".
    const QString extension = PathPart(address, 3).mid(1);
    return extensions.contains(extension, Qt::CaseSensitive);
}

QStringList load(const CRegSettings &settings)
{
    QStringList entries;
    for (const auto &pair : settings.GetAllSettings(FileTypes))
        entries.append(pair.second);
    return entries;
}

void save(CRegSettings &settings, const QStringList &entries)
{
    settings.DeleteSetting(FileTypes);
    for (qsizetype i = 0; i < entries.size(); ++i)
        settings.SaveSetting(FileTypes, QStringLiteral("Type %1").arg(i), entries.at(i));
}

bool applyFilters(const CRegSettings &settings)
{
    return booleanText(settings.GetSetting(FiltersSection, ApplyKey, QStringLiteral("0")), false);
}

void setApplyFilters(CRegSettings &settings, bool on)
{
    settings.SaveSetting(FiltersSection, ApplyKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace tv::Filters
