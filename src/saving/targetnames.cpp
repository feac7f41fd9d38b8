#include "saving/targetnames.h"

#include <QFileInfo>
#include <QUrl>

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

} // namespace

QString SafeFileName(const QString &name)
{
    QString safe = name;
    bool dotsOnly = !safe.isEmpty();
    for (QChar &c : safe) {
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
        else if (c != u'.')
            dotsOnly = false;
    }
    if (dotsOnly)
        safe.fill(u'_');
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
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
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
    const QString partial = name + QStringLiteral(".part");
    if (!QFileInfo::exists(folder + partial))
        return partial;
    qint32 counter = 0;
    QString candidate;
    do {
        candidate = NumberedName(partial, ++counter);
    } while (QFileInfo::exists(folder + candidate));
    return candidate;
}

} // namespace tv
