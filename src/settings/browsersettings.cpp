#include "settings/browsersettings.h"

#include "settings/settingsstore.h"

#include <QProcess>

namespace tv {

StoredBrowser storedBrowser(const CRegSettings &settings)
{
    const QString section = QStringLiteral("Browser");
    return {settings.GetSetting(section, QStringLiteral("Command")).trimmed(),
            QProcess::splitCommand(settings.GetSetting(section, QStringLiteral("Flags"))),
            settings.GetSetting(section, QStringLiteral("Headless")).trimmed() == u"1"};
}

} // namespace tv
