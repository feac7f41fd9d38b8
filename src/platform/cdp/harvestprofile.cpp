#include "platform/cdp/harvestprofile.h"

#include "platform/cdp/cdpbrowser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tv::harvestprofile {

namespace {

const QString Prefix = QStringLiteral("tallyvane-harvest-");
// A browser writes its lock within a second of starting; an unlocked folder
// this old belongs to no browser that is still starting.
constexpr qint64 UnlockedGraceSeconds = 10 * 60;

bool ownedByMe(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool isStale(const QString &path)
{
    bool locked = false;
    if (const qint64 holder = browserHoldingProfile(path, &locked); locked)
        return holder == 0;
    const QDateTime touched = QFileInfo(path).lastModified();
    return touched.secsTo(QDateTime::currentDateTime()) > UnlockedGraceSeconds;
}

} // namespace

QString folderTemplate()
{
    return QDir::tempPath() + u'/' + Prefix + QStringLiteral("XXXXXX");
}

QProcessEnvironment environment(const QString &profile)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QDir dir(profile);
    const struct
    {
        const char *variable;
        const char *folder;
    } moved[] = {
        {"BREAKPAD_DUMP_LOCATION", "crash-reports"}, // else the user's own Chromium folder
        {"XDG_CONFIG_HOME", "config"},
        {"XDG_CACHE_HOME", "cache"},
        {"TMPDIR", "tmp"}, // must exist, or the browser does not start
    };
    for (const auto &m : moved) {
        const QString folder = dir.filePath(QLatin1String(m.folder));
        dir.mkpath(folder);
        env.insert(QLatin1String(m.variable), folder);
    }
    return env;
}

int removeStale()
{
    const QDir temp(QDir::tempPath());
    const QStringList names = temp.entryList({Prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString &name : names) {
        const QString path = temp.filePath(name);
        if (ownedByMe(path) && isStale(path) && QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace tv::harvestprofile
