#include "saving/savetargets.h"

#include "saving/savingfilesdialog.h"
#include "settings/settingsstore.h"
#include "winsupport/filedialogs.h"

namespace tv {

namespace {

const QString Section = QStringLiteral("Options");
const QString Key = QStringLiteral("Last Target Folder");

} // namespace

QString LastTargetFolder(const CRegSettings &settings)
{
    return settings.GetSetting(Section, Key, defaultDocumentsFolder());
}

Form4 *StartSavingTargets(const QStringList &links, qint32 owaction, bool ontop, SavingHost *host, QWidget *owner,
                          CRegSettings &settings)
{
    if (Form4 *running = Form4::current()) {
        running->MainWindowRestored();
        return running;
    }
    if (links.isEmpty())
        return nullptr;
    const QString folder = ShowFolderDialog(owner, QStringLiteral("Save link targets to folder"), LastTargetFolder(settings));
    if (folder.isEmpty())
        return nullptr;
    settings.SaveSetting(Section, Key, folder);

    TransferState &state = transferState();
    state.sellinks = links;
    state.savefolder = folder;
    host->setTransferHostEnabled(false);
    auto *form = new Form4(owaction, ontop, host, owner);
    form->show();
    return form;
}

} // namespace tv
