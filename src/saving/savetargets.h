#pragma once

#include <QPointer>
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

// The main window's transfer: at most one at a time, owned by the window and
// ended with it.
class TargetSaving final
{
public:
    TargetSaving(SavingHost &host, QWidget *owner, CRegSettings &settings);
    ~TargetSaving();
    TargetSaving(const TargetSaving &) = delete;
    TargetSaving &operator=(const TargetSaving &) = delete;

    // Starts saving the targets of `links` (the selected ones, in list
    // order): asks for the folder, starting in the one chosen last, then
    // disables the main window and shows "Saving Files". Returns that dialog,
    // or nullptr when there is nothing to save or the folder was not chosen.
    // While a transfer runs, its dialog comes to the front instead.
    Form4 *start(const QStringList &links, qint32 owaction, bool ontop, int simultaneous = 1);

    // The transfer dialog while it is loaded.
    Form4 *dialog() const { return m_dialog; }
    // A transfer runs, from its start until its dialog unloads.
    bool running() const;

    // The main window was activated: the question, or else the transfer
    // dialog, comes to the front.
    void mainWindowActivated();
    // The main window came back from minimised: the transfer dialog shows
    // again and the main window is disabled.
    void mainWindowRestored();

private:
    SavingHost &m_host;
    QWidget *m_owner;
    CRegSettings &m_settings;
    QPointer<Form4> m_dialog;
};

} // namespace tv
