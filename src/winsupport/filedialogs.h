#pragma once

// The common open and save dialogs (MSaveLoad), for list files.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tv {

// The program's open and save dialogs. Each takes its caller's filter text in
// "description|pattern|..." notation (converted in place), shows a modal
// dialog over the owner and returns the chosen full path, or "" on cancel.

// The open dialog accepts only a file that exists.
QString ShowOpenFileDialog(QWidget *owner, QString &filter, const QString &title, const QString &initialFolder);
// The save dialog asks before replacing an existing file and before creating
// a new one. A non-zero blankName is accepted and has no effect here.
QString ShowSaveFileDialog(QWidget *owner, QString &filter, const QString &title, const QString &initialFolder,
                           qint16 blankName = 0);

// The folder dialog: an existing folder, returned with a "/" at its end,
// or "" on cancel. It starts in initialFolder when that exists.
QString ShowFolderDialog(QWidget *owner, const QString &title, const QString &initialFolder);

// Appends a closing "|" when missing, then turns every "|" into a NUL.
void ConvertFilter(QString &filter);
// Name filters in QFileDialog's form from a converted filter: each
// description keeps its text, its patterns follow in parentheses with ";"
// turned into blanks and "*.*" widened to "*" (names need no dot here).
QStringList nameFiltersFromConverted(const QString &converted);

enum class FileDialogKind { Open, Save, Folder };

// What a dialog is asked to show. The handler seam and the real dialog both
// receive it.
struct FileDialogRequest
{
    FileDialogKind kind = FileDialogKind::Open;
    QWidget *owner = nullptr;
    QString title;
    QString directory;      // the folder the dialog starts in
    QString selectedName;   // a file name offered in that folder, may be empty
    QStringList nameFilters;
};

// Stands in for the person at the dialog: returns the path picked, or "" for
// Cancel. The checks of the dialog's flags still run on its answers, so it is
// asked again after an answer that the dialog would not accept.
using FileDialogHandler = std::function<QString(const FileDialogRequest &)>;
// Returns the handler it replaces; an empty handler restores the real dialogs.
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);

// The user's documents folder, or the home folder while there is none.
QString defaultDocumentsFolder();

// Where a dialog starts for an initial folder that may also name a file:
// an existing folder as it is; otherwise the file's folder with its name
// offered; defaultDocumentsFolder() when neither exists.
void resolveInitialFolder(const QString &initialFolder, QString *directory, QString *fileName);

} // namespace tv
