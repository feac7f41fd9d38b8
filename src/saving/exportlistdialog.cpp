#include "saving/exportlistdialog.h"

#include "platform/messagebox.h"
#include "winsupport/filedialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>

namespace tv {

ExportListDialog::ExportListDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportListDialog"));
    setWindowTitle(QStringLiteral("Export List"));
    cboFormat = new QComboBox(this);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    for (const ListFormatInfo &f : listFormats())
        cboFormat->addItem(f.name);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Format:"), cboFormat);
    layout->addRow(buttons);
}

ListFormat ExportListDialog::format() const
{
    return listFormats().value(cboFormat->currentIndex(), listFormats().constFirst()).format;
}

bool ExportListAs(QWidget *owner, const QList<ListEntry> &entries, QString *path)
{
    ExportListDialog choice(owner);
    if (choice.exec() != QDialog::Accepted)
        return false;
    const ListFormatInfo &info = listFormats().at(choice.cboFormat->currentIndex());
    QString filter = info.filter;
    QString chosen = ShowSaveFileDialog(owner, filter, QStringLiteral("Export list as..."), *path, 0);
    if (chosen.isEmpty())
        return false;
    // The format's extension for a new name typed without one, unless that
    // would replace a file the save dialog did not ask about.
    if (QFileInfo(chosen).suffix().isEmpty() && !QFileInfo::exists(chosen) && !QFileInfo::exists(chosen + info.extension))
        chosen += info.extension;

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ListExportResult result = ExportList(chosen, info.format, entries);
    QGuiApplication::restoreOverrideCursor();
    if (!result.ok) {
        MsgBox(owner,
               QStringLiteral("The list could not be exported to \"%1\" (%2). Any earlier file of that name is "
                              "unchanged.")
                   .arg(chosen, result.errorText),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Export Error"));
        return false;
    }
    *path = chosen;
    return true;
}

} // namespace tv
