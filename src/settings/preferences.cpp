#include "settings/preferences.h"

#include "settings/settingsstore.h"

#include <algorithm>

namespace tv {

bool StorePreferences(const Preferences &preferences)
{
    const QString section = QStringLiteral("Options");
    CRegSettings settings = CRegSettings::program();
    bool ok = settings.SaveSetting(section, QStringLiteral("On Top"),
                                   preferences.ontop ? QStringLiteral("True") : QStringLiteral("False"));
    ok = settings.SaveSetting(section, QStringLiteral("New Window"),
                              preferences.newwin ? QStringLiteral("1") : QStringLiteral("0")) && ok;
    if (preferences.owaction >= 0 && preferences.owaction < Preferences::OverwriteActions)
        ok = settings.SaveSetting(section, QStringLiteral("Overwrite Action"), QString::number(preferences.owaction)) && ok;
    ok = settings.SaveSetting(section, QStringLiteral("Simultaneous Downloads"),
                              QString::number(std::clamp(preferences.simultaneous, 1, Preferences::MaxSimultaneous))) && ok;
    return ok;
}

qint32 SimultaneousDownloads(const QString &stored)
{
    bool ok = false;
    const int n = stored.trimmed().toInt(&ok);
    return ok && n >= 1 && n <= Preferences::MaxSimultaneous ? n : 1;
}

} // namespace tv
