// Preferences, help, About and the sequential list builder.
#include "app/form1.h"

#include "app/linklist.h"
#include "builders/form2.h"
#include "settings/form12.h"
#include "winsupport/frmabt.h"
#include "winsupport/help.h"

namespace tv {

void Form1::mnufSeq_Click()
{
    Form2 dialog(List1);
    showModal(&dialog);
    List1->RefreshExtent();
    ShowCount();
    reportListFull(dialog.leftOut());
}

void Form1::mnuopoptions_Click()
{
    Form12 dialog(Preferences{ontop, newwin, owaction});
    connect(&dialog, &Form12::saved, this, [this](const Preferences &p) {
        ontop = p.ontop;
        newwin = p.newwin;
        owaction = p.owaction;
    });
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
