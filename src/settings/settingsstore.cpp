#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace tv {

namespace {

QString trimBlanks(const QString &s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == u' ')
        ++first;
    while (last > first && s.at(last - 1) == u' ')
        --last;
    return s.mid(first, last - first);
}

// Only ASCII digits make numbers: other scripts' digits do not order or
// convert as these do.
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The unnamed value of a section is stored under this key.
const QString unnamedKey = QStringLiteral("*");

QString groupFor(const QString &section)
{
    QString group = section;
    group.replace(u'\\', u'/');
    return group;
}

bool isString(const QVariant &v)
{
    return v.typeId() == QMetaType::QString;
}

SettingsWriteFailure &writeFailureHandler()
{
    static SettingsWriteFailure handler;
    return handler;
}

// Why `file` cannot be written: a file where one of its folders should be,
// or what the system says when it is opened for writing.
QString whyUnwritable(const QString &file)
{
    // The nearest part of the path that exists tells the most.
    QString folder = QFileInfo(file).absolutePath();
    while (!QFileInfo::exists(folder) && QFileInfo(folder).absolutePath() != folder)
        folder = QFileInfo(folder).absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("\"%1\" is a file where a folder should be").arg(QDir::toNativeSeparators(folder));
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile probe(file);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return probe.errorString();
    return QStringLiteral("the file could not be written");
}

// Whether the write went through; a failure is told to the handler.
bool written(const QSettings &s)
{
    if (s.status() == QSettings::NoError)
        return true;
    if (const SettingsWriteFailure &handler = writeFailureHandler())
        handler(s.fileName(), whyUnwritable(s.fileName()));
    return false;
}

} // namespace

SettingsWriteFailure setSettingsWriteFailureHandler(SettingsWriteFailure handler)
{
    return std::exchange(writeFailureHandler(), std::move(handler));
}

CRegSettings CRegSettings::program()
{
    CRegSettings s;
    s.setCompany(QStringLiteral("Quillmere"));
    s.setAppName(QStringLiteral("Tallyvane"));
    return s;
}

QString CRegSettings::defaultCompany()
{
    return QStringLiteral("Program Settings");
}

QString CRegSettings::defaultAppName()
{
    return QStringLiteral("Tallyvane");
}

void CRegSettings::setCompany(const QString &company)
{
    m_company = company.isEmpty() ? defaultCompany() : trimBlanks(company);
}

void CRegSettings::setAppName(const QString &appName)
{
    m_appName = appName.isEmpty() ? defaultAppName() : trimBlanks(appName);
}

QString CRegSettings::fileName() const
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, m_company, m_appName).fileName();
}

QString CRegSettings::GetSetting(const QString &section, const QString &key, const QString &defaultValue) const
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, m_company, m_appName);
    if (!section.isEmpty())
        s.beginGroup(groupFor(section));
    if (key.isEmpty() || !s.contains(key))
        return defaultValue;
    const QVariant v = s.value(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u", ");
    return v.toString();
}

bool CRegSettings::SaveSetting(const QString &section, const QString &key, const QString &setting)
{
    if (key.isEmpty())
        return false;
    QSettings s(QSettings::IniFormat, QSettings::UserScope, m_company, m_appName);
    if (!section.isEmpty())
        s.beginGroup(groupFor(section));
    s.setValue(key, setting);
    s.sync();
    return written(s);
}

CRegSettings::Pairs CRegSettings::GetAllSettings(const QString &section) const
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, m_company, m_appName);
    if (!section.isEmpty())
        s.beginGroup(groupFor(section));
    QStringList keys = s.childKeys();
    std::sort(keys.begin(), keys.end(), naturalLess);
    Pairs pairs;
    pairs.reserve(keys.size());
    for (const QString &key : std::as_const(keys)) {
        const QVariant v = s.value(key);
        if (!isString(v))
            continue;
        pairs.append({key == unnamedKey ? QString() : key, v.toString()});
    }
    return pairs;
}

bool CRegSettings::DeleteSetting(const QString &section, const QString &key)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, m_company, m_appName);
    if (key.isEmpty()) {
        // Deleting a section that does not exist fails, as deleting a missing key would.
        if (section.isEmpty() || !s.childGroups().contains(groupFor(section).section(u'/', 0, 0)))
            return false;
        s.remove(groupFor(section));
    } else {
        if (!section.isEmpty())
            s.beginGroup(groupFor(section));
        if (!s.contains(key))
            return false;
        s.remove(key);
    }
    s.sync();
    return written(s);
}

double leadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t.at(end) == u'+' || t.at(end) == u'-'))
        ++end;
    while (end < t.size() && (isDigit(t.at(end)) || t.at(end) == u'.'))
        ++end;
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0.0;
}

bool booleanText(const QString &text, bool fallback)
{
    const QString t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v != 0.0 : fallback;
}

bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QChar ca = a.at(i);
        const QChar cb = b.at(j);
        if (isDigit(ca) && isDigit(cb)) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && isDigit(a.at(ei)))
                ++ei;
            while (ej < b.size() && isDigit(b.at(ej)))
                ++ej;
            // Compare the digit runs as numbers of any length: strip leading zeros.
            qsizetype si = i;
            qsizetype sj = j;
            while (si < ei - 1 && a.at(si) == u'0')
                ++si;
            while (sj < ej - 1 && b.at(sj) == u'0')
                ++sj;
            const qsizetype li = ei - si;
            const qsizetype lj = ej - sj;
            if (li != lj)
                return li < lj;
            const int c = QStringView(a).mid(si, li).compare(QStringView(b).mid(sj, lj));
            if (c != 0)
                return c < 0;
            if (ei - i != ej - j)
                return ei - i < ej - j;
            i = ei;
            j = ej;
            continue;
        }
        if (ca != cb) {
            const int c = QString::compare(QString(ca), QString(cb), Qt::CaseInsensitive);
            if (c != 0)
                return c < 0;
            return ca < cb;
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace tv
