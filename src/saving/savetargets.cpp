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

TargetSaving::TargetSaving(SavingHost &host, QWidget *owner, CRegSettings &settings)
    : m_host(host), m_owner(owner), m_settings(settings)
{
}

TargetSaving::~TargetSaving()
{
    delete m_dialog;
}

bool TargetSaving::running() const
{
    return m_dialog && m_dialog->state().savebusy;
}

Form4 *TargetSaving::start(const QStringList &links, qint32 owaction, bool ontop, int simultaneous)
{
    if (m_dialog) {
        m_dialog->MainWindowRestored();
        return m_dialog;
    }
    if (links.isEmpty())
        return nullptr;
    const QString folder = ShowFolderDialog(m_owner, QStringLiteral("Save link targets to folder"), LastTargetFolder(m_settings));
    if (folder.isEmpty())
        return nullptr;
    m_settings.SaveSetting(Section, Key, folder);

    m_host.setTransferHostEnabled(false);
    m_dialog = new Form4(links, folder, owaction, ontop, &m_host, m_owner, simultaneous);
    m_dialog->show();
    return m_dialog;
}

void TargetSaving::mainWindowActivated()
{
    if (running())
        m_dialog->MainWindowActivated();
}

void TargetSaving::mainWindowRestored()
{
    if (running())
        m_dialog->MainWindowRestored();
}

} // namespace tv
