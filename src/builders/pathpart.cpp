#include "builders/pathpart.h"

#include "platform/runtimeerror.h"

namespace tv {

QString PathPart(const QString &path, int part)
{
    if (part < 0 || part > 3)
        throw RuntimeError(1, QStringLiteral("Module1.PathPart"), QStringLiteral("Invalid procedure call or argument"));

    QString drive, folder, name, extension;
    QString p = path;
    if (p.size() >= 2 && p.at(1) == u':') {
        drive = p.left(2);
        p = p.mid(2);
    }
    bool folderFound = false;
    for (qsizetype i = p.size(); i >= 1; --i) {
        const QChar c = p.at(i - 1);
        if (c == u'.' && extension.isEmpty()) {
            if (i < p.size())
                extension = p.mid(i - 1);
            p = p.left(i - 1);
        } else if (c == u'\\' && i < p.size()) {
            name = p.mid(i);
            p = p.left(i);
            folderFound = true;
            break;
        }
    }
    if (folderFound)
        folder = p;
    else
        name = p;

    switch (part) {
    case 0: return drive;
    case 1: return folder;
    case 2: return name;
    default: return extension;
    }
}

} // namespace tv
