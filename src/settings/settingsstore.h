#pragma once

// CRegSettings: the settings store, and readers of stored values.

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace tv {

// The program's only way into its persistent settings: company / application /
// section / key, string values, kept in the user's INI file through QSettings.
class CRegSettings
{
public:
    using Pairs = QList<QPair<QString, QString>>;

    // The program's own settings: company "Quillmere", application "Tallyvane".
    static CRegSettings program();

    static QString defaultCompany();
    static QString defaultAppName();

    QString Company() const { return m_company; }
    void setCompany(const QString &company);
    QString AppName() const { return m_appName; }
    void setAppName(const QString &appName);

    QString GetSetting(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    bool SaveSetting(const QString &section, const QString &key, const QString &setting);
    // Every string value of the section in natural key order ("Type 2" before
    // "Type 10"); empty when the section is missing or holds no string value.
    Pairs GetAllSettings(const QString &section) const;
    // An empty key deletes the whole section.
    bool DeleteSetting(const QString &section, const QString &key = QString());

    // Where the settings of this company and application live.
    QString fileName() const;

private:
    QString m_company = defaultCompany();
    QString m_appName = defaultAppName();
};

// Told each time a setting cannot be written: the settings file and the
// reason. The program tells the user; the store itself stays silent.
using SettingsWriteFailure = std::function<void(const QString &file, const QString &why)>;
// Returns the handler it replaces.
SettingsWriteFailure setSettingsWriteFailureHandler(SettingsWriteFailure handler);

// Readers of stored texts, lenient towards hand-edited values. A number
// setting reads the text's leading whole number ("12abc" is 12, "2.7" is 2);
// no number, or one outside min..max however many digits it has, reads as
// the fallback. A Boolean reads "True"/"False" in any letter case, or the
// number 1 or 0; anything else reads as the fallback.
qint32 numberSetting(const QString &text, qint32 min, qint32 max, qint32 fallback);
bool booleanText(const QString &text, bool fallback);

// Compares with runs of digits taken as numbers, so that "Type 2" < "Type 10".
bool naturalLess(const QString &a, const QString &b);

} // namespace tv
