#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tv {

class CRegSettings;
class Form4;
class SavingHost;

// Where "Save selected link target(s) to disk" remembers the folder chosen
// last: "Options"/"Last Target Folder"; the documents folder until then.
QString LastTargetFolder(const CRegSettings &settings);

// Starts saving the targets of `links` (the selected ones, in list order):
// asks for the folder, starting in the one chosen last, then disables the
// main window and shows "Saving Files". Returns that dialog, or nullptr when
// there is nothing to save or the folder was not chosen. While a transfer
// runs, its dialog comes to the front instead.
Form4 *StartSavingTargets(const QStringList &links, qint32 owaction, bool ontop, SavingHost *host, QWidget *owner,
                          CRegSettings &settings);

} // namespace tv
