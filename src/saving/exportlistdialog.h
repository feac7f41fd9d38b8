#pragma once

// "Export List" (ExportListDialog): the format choice before the save dialog.

#include "saving/listformats.h"

#include <QDialog>

class QComboBox;

namespace tv {

class ExportListDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit ExportListDialog(QWidget *parent = nullptr);
    ListFormat format() const;

    QComboBox *cboFormat = nullptr;
};

// "Export list...": asks for the format, then for the file (starting at
// `*path`), writes it and reports a failure. True when written; `*path` is
// then the file written.
bool ExportListAs(QWidget *owner, const QList<ListEntry> &entries, QString *path);

} // namespace tv
