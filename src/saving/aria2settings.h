#pragma once

// What "Send to aria2" remembers: the address and folder in the settings,
// the token only when asked to, and then in a file of its own that only the
// user can read.

#include <QString>

namespace tv {

class CRegSettings;

struct Aria2Settings
{
    QString address = defaultAria2Address();
    QString folder;
    QString token;
    bool rememberToken = false;

    static QString defaultAria2Address() { return QStringLiteral("http://127.0.0.1:6800/jsonrpc"); }
};

// The token's file: beside the settings file, mode 0600.
QString aria2TokenFile(const CRegSettings &settings);

Aria2Settings loadAria2Settings(const CRegSettings &settings);
// Writes the token's file only when the token is to be remembered, and
// removes it otherwise. False (with the reason) when the token could not be
// written or removed.
bool storeAria2Settings(CRegSettings &settings, const Aria2Settings &values, QString *why = nullptr);

} // namespace tv
