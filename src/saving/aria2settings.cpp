#include "saving/aria2settings.h"

#include "settings/settingsstore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tv {

namespace {

const QString Section = QStringLiteral("aria2");

} // namespace

QString aria2TokenFile(const CRegSettings &settings)
{
    const QFileInfo ini(settings.fileName());
    return ini.absolutePath() + u'/' + ini.completeBaseName() + QStringLiteral("-aria2-token");
}

Aria2Settings loadAria2Settings(const CRegSettings &settings)
{
    Aria2Settings values;
    values.address = settings.GetSetting(Section, QStringLiteral("RPC Address"), values.address);
    values.folder = settings.GetSetting(Section, QStringLiteral("Folder"));
    values.rememberToken = booleanText(settings.GetSetting(Section, QStringLiteral("Remember Token")), false);
    if (values.rememberToken) {
        QFile file(aria2TokenFile(settings));
        if (file.open(QIODevice::ReadOnly))
            values.token = QString::fromUtf8(file.readAll()).trimmed();
    }
    return values;
}

bool storeAria2Settings(CRegSettings &settings, const Aria2Settings &values, QString *why)
{
    settings.SaveSetting(Section, QStringLiteral("RPC Address"), values.address);
    settings.SaveSetting(Section, QStringLiteral("Folder"), values.folder);
    settings.SaveSetting(Section, QStringLiteral("Remember Token"),
                         values.rememberToken ? QStringLiteral("True") : QStringLiteral("False"));
    const QString path = aria2TokenFile(settings);
    if (!values.rememberToken || values.token.isEmpty()) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            if (why)
                *why = file.errorString();
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    // Owner only before a byte of the token is written.
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(values.token.toUtf8()) == values.token.toUtf8().size() && file.commit();
    if (!ok && why)
        *why = file.errorString();
    return ok;
}

} // namespace tv
