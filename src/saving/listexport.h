#pragma once

#include <QString>
#include <QStringList>

namespace tv {

struct ListExportResult
{
    bool ok = false;
    QString errorText;   // why the file could not be written, for the user
};

// Writes every address as one UTF-8 line ended by CR LF. The file is
// replaced only once it is completely written: a failure leaves whatever was
// there before untouched.
ListExportResult SaveListToFile(const QString &path, const QStringList &items);

// Replaces the file with `data` only once all of it is written.
ListExportResult WriteFileSafely(const QString &path, const QByteArray &data);

} // namespace tv
