#include "settings/preferences.h"

#include "settings/settingsstore.h"

#include <algorithm>

namespace tv {

Preferences LoadPreferences(const CRegSettings &settings)
{
    const QString section = QStringLiteral("Options");
    Preferences p;
    p.owaction = qint32(leadingNumber(settings.GetSetting(section, QStringLiteral("Overwrite Action"), QStringLiteral("0"))));
    p.ontop = booleanText(settings.GetSetting(section, QStringLiteral("On Top"), QStringLiteral("True")), true);
    p.newwin = booleanText(settings.GetSetting(section, QStringLiteral("New Window"), QStringLiteral("0")), false);
    p.simultaneous = SimultaneousDownloads(settings.GetSetting(section, QStringLiteral("Simultaneous Downloads"), QStringLiteral("1")));
    return p;
}

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
