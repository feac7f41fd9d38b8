#include "saving/listexport.h"

#include <QSaveFile>

namespace tv {

ListExportResult SaveListToFile(const QString &path, const QStringList &items)
{
    QByteArray data;
    qsizetype size = 0;
    for (const QString &item : items)
        size += item.size() + 2;
    data.reserve(size);
    for (const QString &item : items) {
        data.append(item.toUtf8());
        data.append("\r\n", 2);
    }
    return WriteFileSafely(path, data);
}

ListExportResult WriteFileSafely(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (file.write(data) != data.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, QString()};
}

} // namespace tv
