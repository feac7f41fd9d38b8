#include "winsupport/filedialogs.h"

#include "platform/messagebox.h"
#include "winsupport/helpwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <optional>

namespace tv {

namespace {

FileDialogHandler &handlerSlot()
{
    static FileDialogHandler handler;
    return handler;
}

QString runRealDialog(const FileDialogRequest &request)
{
    QFileDialog dialog(request.owner, request.title, request.directory);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setNameFilters(request.nameFilters);
    if (request.kind == FileDialogKind::Folder) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else if (request.kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Replacing is confirmed through the program's own message box.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    if (!request.selectedName.isEmpty())
        dialog.selectFile(request.selectedName);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

// The answer, or nothing on Cancel.
std::optional<QFileInfo> pick(const FileDialogRequest &request)
{
    const FileDialogHandler &handler = handlerSlot();
    const QString answer = handler ? handler(request) : runRealDialog(request);
    return answer.isEmpty() ? std::nullopt : std::optional<QFileInfo>(answer);
}

// Asked again, the dialog starts where the refused answer pointed.
void pointAt(FileDialogRequest &request, const QFileInfo &answer)
{
    if (answer.dir().exists())
        request.directory = answer.absolutePath();
    request.selectedName = answer.fileName();
}

FileDialogRequest makeRequest(FileDialogKind kind, QWidget *owner, QString &filter, const QString &title,
                              const QString &initialFolder)
{
    ConvertFilter(filter);
    FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    request.title = title;
    request.nameFilters = nameFiltersFromConverted(filter);
    resolveInitialFolder(initialFolder, &request.directory, &request.selectedName);
    return request;
}

} // namespace

FileDialogHandler setFileDialogHandler(FileDialogHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

void ConvertFilter(QString &filter)
{
    if (!filter.endsWith(u'|'))
        filter.append(u'|');
    filter.replace(u'|', QChar(0));
}

QStringList nameFiltersFromConverted(const QString &converted)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList parts = converted.split(QChar(0));
    if (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(trailingPatterns);
        QStringList patterns = parts.value(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == u"*.*")
                p = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        filters.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

void resolveInitialFolder(const QString &initialFolder, QString *directory, QString *fileName)
{
    directory->clear();
    fileName->clear();
    const QFileInfo info(initialFolder);
    if (!initialFolder.isEmpty() && info.isDir()) {
        *directory = info.absoluteFilePath();
        return;
    }
    if (!initialFolder.isEmpty() && info.dir().exists() && !info.fileName().isEmpty()) {
        *directory = info.absolutePath();
        *fileName = info.fileName();
        return;
    }
    *directory = defaultDocumentsFolder();
}

QString defaultDocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString ShowOpenFileDialog(QWidget *owner, QString &filter, const QString &title, const QString &initialFolder)
{
    FileDialogRequest request = makeRequest(FileDialogKind::Open, owner, filter, title, initialFolder);
    while (const std::optional<QFileInfo> info = pick(request)) {
        if (info->isFile())
            return info->absoluteFilePath();
        // A FIFO or a device is there, but reading it could block or never end.
        const QString refusal = info->exists() && !info->isDir()
                                    ? QStringLiteral("%1\nThis is not a regular file.\nChoose a regular file and try again.")
                                    : QStringLiteral("%1\nFile not found.\nCheck the file name and try again.");
        MsgBox(owner, refusal.arg(info->filePath()), MsgButtons::Ok, MsgIcon::Exclamation, title);
        pointAt(request, *info);
    }
    return QString();
}

QString ShowFolderDialog(QWidget *owner, const QString &title, const QString &initialFolder)
{
    FileDialogRequest request;
    request.kind = FileDialogKind::Folder;
    request.owner = owner;
    request.title = title;
    request.directory = QFileInfo(initialFolder).isDir() ? initialFolder : defaultDocumentsFolder();
    while (const std::optional<QFileInfo> info = pick(request)) {
        if (info->isDir())
            return AddSlash(info->absoluteFilePath());
        MsgBox(owner, QStringLiteral("%1\nFolder not found.\nCheck the folder name and try again.").arg(info->filePath()),
               MsgButtons::Ok, MsgIcon::Exclamation, title);
        if (info->dir().exists())
            request.directory = info->absolutePath();
    }
    return QString();
}

QString ShowSaveFileDialog(QWidget *owner, QString &filter, const QString &title, const QString &initialFolder,
                           qint16 blankName)
{
    Q_UNUSED(blankName);
    FileDialogRequest request = makeRequest(FileDialogKind::Save, owner, filter, title, initialFolder);
    // The save dialog starts with an empty name, in the folder only.
    request.selectedName.clear();
    while (const std::optional<QFileInfo> info = pick(request)) {
        if (info->isDir()) {
            request.directory = info->absoluteFilePath();
            request.selectedName.clear();
            continue;
        }
        const MsgResult confirmed =
            info->exists()
                ? MsgBox(owner, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(info->fileName()),
                         MsgButtons::YesNo, MsgIcon::Exclamation, title)
                : MsgBox(owner, QStringLiteral("%1\nThis file does not exist.\nDo you want to create the file?").arg(info->fileName()),
                         MsgButtons::YesNo, MsgIcon::Question, title);
        if (confirmed == MsgResult::Yes)
            return info->absoluteFilePath();
        pointAt(request, *info);
    }
    return QString();
}

} // namespace tv
