#include "saving/targetnames.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

// The longest prefix of `text` that is at most `bytes` long in UTF-8,
// without splitting a character.
QString utf8Prefix(const QString &text, qsizetype bytes)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t c = text.at(i).isHighSurrogate() && i + 1 < text.size()
                               ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                               : text.at(i).unicode();
        const int units = c > 0xffff ? 2 : 1;
        const int size = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (used + size > bytes)
            break;
        used += size;
        i += units;
    }
    return text.left(i);
}

bool isBidiControl(char16_t c)
{
    return c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString SafeFileName(const QString &name)
{
    QString safe;
    safe.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += name.at(++i);
        } else if (c.isSurrogate()) {
            safe += QChar(QChar::ReplacementCharacter);
        } else if (isBidiControl(c.unicode())) {
            continue; // would show the name in another order than it is saved
        } else if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f) {
            safe += u'_';
        } else {
            safe += c;
        }
    }
    // A name of nothing but dots or direction marks still names something.
    if (safe.isEmpty() && !name.isEmpty())
        safe = QStringLiteral("_");
    else if (std::all_of(safe.begin(), safe.end(), [](QChar c) { return c == u'.'; }))
        safe.fill(u'_');
    else if (safe.startsWith(u'.'))
        safe.prepend(u'_');
    if (safe.toUtf8().size() <= MaxNameBytes)
        return safe;
    // Keep a short last extension so the file still opens with its program.
    const qsizetype dot = safe.lastIndexOf(u'.');
    const QString extension = dot > 0 && safe.size() - dot <= 16 ? safe.mid(dot) : QString();
    return utf8Prefix(safe.left(safe.size() - extension.size()), MaxNameBytes - extension.toUtf8().size()) + extension;
}

QString TargetFileName(const QString &url)
{
    const QString tail = url.mid(url.lastIndexOf(u'/') + 1);
    const QString name = SafeFileName(QUrl::fromPercentEncoding(tail.toUtf8()));
    if (name.isEmpty() || !name.contains(u'.'))
        return QStringLiteral("index.html");
    return name;
}

QString NumberedName(const QString &name, qint32 counter)
{
    // Leading dots belong to the name (".profile" gives ".profile(1)").
    qsizetype start = 0;
    while (start < name.size() && name.at(start) == u'.')
        ++start;
    const qsizetype p = name.indexOf(u'.', start);
    const QString number = QStringLiteral("(%1)").arg(counter);
    if (p < 0)
        return name + number;
    return name.left(p) + number + name.mid(p);
}

bool TargetExists(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return !S_ISDIR(info.st_mode);
}

int PlaceFile(const QString &from, const QString &to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace)
        return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link never replaces either.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString UniqueName(const QString &folder, const QString &name, qint32 &counter)
{
    QString candidate;
    do {
        ++counter;
        candidate = NumberedName(name, counter);
    } while (TargetExists(folder + candidate));
    return candidate;
}

QString PartialName(const QString &folder, const QString &name)
{
    const auto taken = [&](const QString &candidate) {
        struct stat info;
        return ::lstat(QFile::encodeName(folder + candidate).constData(), &info) == 0;
    };
    const QString partial = name + QStringLiteral(".part");
    qint32 counter = 0;
    QString candidate = partial;
    while (taken(candidate))
        candidate = NumberedName(partial, ++counter);
    return candidate;
}

} // namespace tv
