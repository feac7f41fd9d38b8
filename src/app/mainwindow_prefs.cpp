// Preferences, help and About.
#include "app/mainwindow.h"

#include "platform/desktopservices.h"
#include "settings/preferencesdialog.h"
#include "winsupport/aboutdialog.h"
#include "winsupport/helpwindow.h"

namespace tv {

void Form1::mnuopoptions_Click()
{
    Form12 dialog(m_prefs);
    connect(&dialog, &Form12::saved, this, [this](const Preferences &p) { m_prefs = p; });
    connect(&dialog, &Form12::helpRequested, this, [&dialog] { ShowHelp(&dialog, HelpPreferences); });
    showModal(&dialog);
}

void Form1::mnuHelpCont_Click()
{
    ShowHelp(this, HelpContents);
}

void Form1::mnuhelpfreesoft_Click()
{
    OpenWebPage(this, MakerHomePage());
}

void Form1::mnuHelpAbt_Click()
{
    FrmAbt dialog;
    showModal(&dialog);
}

} // namespace tv
