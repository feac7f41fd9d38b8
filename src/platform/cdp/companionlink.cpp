#include "platform/cdp/companionlink.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace tv::companion {

namespace {

const QLatin1String Tag("tallyvaneCompanion");

// A real folder (no link) of this user that nobody else may enter.
bool isPrivateFolder(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 0077) == 0;
}

// Makes `path` (mode 0700) unless it exists; true when it is this user's alone.
bool makePrivateFolder(const QString &path, QString *error)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("The folder %1 could not be made.").arg(path);
        return false;
    }
    if (!isPrivateFolder(path)) {
        if (error)
            *error = QStringLiteral("The folder %1 is not yours alone.").arg(path);
        return false;
    }
    return true;
}

} // namespace

QString program()
{
    const QString beside = QCoreApplication::applicationDirPath() + u'/' + QLatin1String(ProgramName);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QLatin1String(ProgramName));
}

QString privateFolder(QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // A runtime folder that others may enter is no place for the socket.
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) {
        const QString folder = runtime + QStringLiteral("/tallyvane");
        return makePrivateFolder(folder, error) ? folder : QString();
    }
    const QString folder = QDir::tempPath() + QStringLiteral("/tallyvane-%1").arg(::geteuid());
    return makePrivateFolder(folder, error) ? folder : QString();
}

QString socketPath(const QString &profileDir, QString *error)
{
    const QString folder = privateFolder(error);
    if (folder.isEmpty())
        return {};
    // Short whatever the profile's path (a socket path has about 100 bytes).
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(profileDir).toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return folder + QStringLiteral("/browser-%1.sock").arg(QString::fromLatin1(key));
}

QByteArray encodeHello(const Hello &hello)
{
    QJsonObject o{{Tag, 1}};
    if (hello.refused.isEmpty()) {
        o.insert(QLatin1String("pid"), hello.pid);
        o.insert(QLatin1String("browserPid"), hello.browserPid);
        o.insert(QLatin1String("firstId"), hello.firstId);
    } else {
        o.insert(QLatin1String("refused"), hello.refused);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Hello> decodeHello(const QByteArray &message)
{
    const QJsonObject o = QJsonDocument::fromJson(message).object();
    if (o.value(Tag).toInt() != 1)
        return std::nullopt;
    Hello h;
    h.refused = o.value(QLatin1String("refused")).toString();
    h.pid = o.value(QLatin1String("pid")).toInteger();
    h.browserPid = o.value(QLatin1String("browserPid")).toInteger();
    h.firstId = o.value(QLatin1String("firstId")).toInt(1);
    if (h.refused.isEmpty() && (h.pid <= 0 || h.browserPid <= 0 || h.firstId <= 0))
        return std::nullopt;
    return h;
}

std::optional<qint64> leadingId(const QByteArray &message)
{
    static const QByteArray prefix("{\"id\":");
    if (!message.startsWith(prefix))
        return std::nullopt;
    qint64 id = 0;
    qsizetype i = prefix.size();
    for (; i < message.size() && i < prefix.size() + 12 && message.at(i) >= '0' && message.at(i) <= '9'; ++i)
        id = id * 10 + (message.at(i) - '0');
    if (i == prefix.size() || i >= message.size() || (message.at(i) != ',' && message.at(i) != '}'))
        return std::nullopt;
    return id;
}

} // namespace tv::companion
