// Lists from text and sequences: clipboard, file import, the sequential
// builder, list export, search and single links.
#include "app/mainwindow.h"

#include "app/addlinkdialog.h"
#include "app/busypointer.h"
#include "app/searchdialog.h"
#include "app/linklist.h"
#include "app/listsearch.h"
#include "app/urlbuildsession.h"
#include "builders/importchoicedialog.h"
#include "builders/linkfilereader.h"
#include "builders/sequencedialog.h"
#include "platform/messagebox.h"
#include "saving/exportlistdialog.h"
#include "saving/listexport.h"
#include "winsupport/filedialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>

#include <algorithm>
#include <functional>

namespace tv {

namespace {

QString listFileFilter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
}

QString lastUsedSaveFolder(const CRegSettings &settings)
{
    return settings.GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"),
                               defaultDocumentsFolder());
}

void storeLastUsedSaveFolder(CRegSettings &settings, const QString &path)
{
    settings.SaveSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"), path);
}

} // namespace

void Form1::askAppendOrNew(const std::function<void()> &beforeQuestion)
{
    if (List1->ListCount() == 0)
        return;
    if (beforeQuestion)
        beforeQuestion();
    Form10 dialog(this);
    if (showModal(&dialog) == QDialog::Accepted)
        m_build->setAppend(dialog.Append());
    if (!m_build->append())
        List1->Clear();
}

void Form1::mnufClip_Click()
{
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) {
        MsgBox(this, QStringLiteral("The ClipBoard does not contain any valid URLs. Operation aborted."), MsgButtons::Ok,
               MsgIcon::Critical, QStringLiteral("Oops!"));
        return;
    }
    LinkFileScanHooks hooks;
    hooks.firstLink = [this] {
        askAppendOrNew({});
        return qsizetype(List1->Room());
    };
    const LinkFileScan scan = scanClipboardText(text, hooks);
    if (scan.links.isEmpty() && scan.leftOut == 0) {
        MsgBox(this, QStringLiteral("The ClipBoard does not contain any valid urls. Operation aborted."), MsgButtons::Ok,
               MsgIcon::Critical, QStringLiteral("Oops!"));
    } else {
        reportListFull(this, appendWhatFits(*List1, scan.links, scan.links.size() + scan.leftOut));
        // The count would otherwise go on showing the list before the import.
        ShowCount();
    }
    List1->RefreshExtent();
}

void Form1::mnufFile_Click()
{
    QString filter = listFileFilter();
    const QString path = ShowOpenFileDialog(this, filter, QStringLiteral("Select file to import..."),
                                            lastUsedSaveFolder(m_settings));
    if (path.isEmpty())
        return;

    BusyPointer wait;
    storeLastUsedSaveFolder(m_settings, path);

    QFile file(path);
    QString why;
    const bool opened = openRegularFile(file, &why);
    LinkFileScan scan;
    bool showedProgress = false;
    if (opened) {
        const qint64 size = file.size();
        LinkFileScanHooks hooks;
        hooks.firstLink = [&] {
            askAppendOrNew([&wait] { wait.release(); });
            return qsizetype(List1->Room());
        };
        // A big file takes a moment: the bar shows how far the import is and
        // the window goes on drawing itself, but takes no input meanwhile.
        hooks.progress = [&](qint64 done) {
            showedProgress = true;
            setFormEnabled(false);
            setProgress(qint32(std::clamp<qint64>(size > 0 ? done * 100 / size : 0, 1, 100)));
            QCoreApplication::processEvents();
        };
        scan = scanLinkFile(file, hooks);
        file.close();
    }
    if (!opened || scan.readError) {
        wait.release();
        MsgBox(this,
               QStringLiteral("The file \"%1\" %2 (%3). Operation aborted.")
                   .arg(path, opened ? QStringLiteral("could not be read") : QStringLiteral("could not be opened"),
                        opened ? file.errorString() : why),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("File Error"));
    }
    reportListFull(this, appendWhatFits(*List1, scan.links, scan.links.size() + scan.leftOut));
    if (scan.badItem) {
        wait.release();
        MsgBox(this,
               QStringLiteral("This file appears to contain items that are not valid urls. Please see the program's "
                              "help file for details on formatting url list files for importing. Operation aborted."),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Bad Format"));
    }

    if (showedProgress)
        setProgress(0);
    ShowCount();
    List1->RefreshExtent();
    wait.release();
    setStatus(idleBanner());
    setFormEnabled(true);
}

void Form1::mnufSeq_Click()
{
    Form2 dialog(this);
    qint64 leftOut = 0;
    if (showModal(&dialog) == QDialog::Accepted) {
        if (!dialog.Append())
            List1->Clear();
        // Only what fits is made: a run up to the largest number stays quick.
        leftOut = appendWhatFits(*List1, dialog.sequence().links(List1->Room()), dialog.sequence().count());
    }
    List1->RefreshExtent();
    ShowCount();
    reportListFull(this, leftOut);
}

void Form1::mnufsavlst_Click()
{
    QString filter = listFileFilter();
    const QString path = ShowSaveFileDialog(this, filter, QStringLiteral("Save file as..."),
                                            lastUsedSaveFolder(m_settings), 0);
    if (path.isEmpty())
        return;
    storeLastUsedSaveFolder(m_settings, path);

    BusyPointer wait;
    const ListExportResult result = SaveListToFile(path, List1->Items());
    wait.release();
    if (!result.ok) {
        MsgBox(this,
               QStringLiteral("The list could not be saved to \"%1\" (%2). Any earlier file of that name is unchanged.")
                   .arg(path, result.errorText),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Save Error"));
    }
}

void Form1::mnufexport_Click()
{
    QString path = lastUsedSaveFolder(m_settings);
    if (ExportListAs(this, listEntries(List1->Items(), List1->Pages(), List1->Texts()), &path))
        storeLastUsedSaveFolder(m_settings, path);
}

void Form1::mnulstsrch_Click()
{
    fnext = false;
    add2sel = false;
    mcase = false;
    srchtxt.clear();
    bool inText = false;

    {
        Form9 dialog(this);
        if (showModal(&dialog) == QDialog::Accepted) {
            const SearchAnswers &answers = dialog.answers();
            add2sel = answers.addToSelection;
            mcase = answers.matchCase;
            srchtxt = answers.text;
            fnext = answers.findNext;
            inText = answers.inText;
        }
    }
    if (srchtxt.isEmpty())
        return;

    const int start = fnext ? lastFound + 1 : 0;
    const int found = SearchList(*List1, SearchRequest{srchtxt, mcase, add2sel, start, inText});
    if (found < 0) {
        MsgBox(this, QStringLiteral("Search text not found"), MsgButtons::Ok, MsgIcon::Information,
               QStringLiteral("Not Found"));
        return;
    }
    lastFound = found;
}

void Form1::mnulstSingle_Click()
{
    Form11 dialog(List1, this);
    showModal(&dialog);
    if (dialog.listChanged()) {
        // Keep the count and the scroll range true to the list.
        ShowCount();
        List1->RefreshExtent();
    }
}

} // namespace tv
