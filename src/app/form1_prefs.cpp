// Preferences, help, About and the sequential list builder.
#include "app/form1.h"

namespace tv {

void Form1::mnufSeq_Click() { notAvailable(mnufSeq->text()); }
void Form1::mnuopoptions_Click() { notAvailable(mnuopoptions->text()); }
void Form1::mnuHelpCont_Click() { notAvailable(mnuHelpCont->text()); }
void Form1::mnuhelpfreesoft_Click() { notAvailable(mnuhelpfreesoft->text()); }
void Form1::mnuHelpAbt_Click() { notAvailable(mnuHelpAbt->text()); }

} // namespace tv
