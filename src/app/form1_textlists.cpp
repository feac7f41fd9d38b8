// Lists from text: clipboard, file import, list export, search and single links.
#include "app/form1.h"

namespace tv {

void Form1::mnufClip_Click() { notAvailable(mnufClip->text()); }
void Form1::mnufFile_Click() { notAvailable(mnufFile->text()); }
void Form1::mnufsavlst_Click() { notAvailable(mnufsavlst->text()); }
void Form1::mnulstsrch_Click() { notAvailable(mnulstsrch->text()); }
void Form1::mnulstSingle_Click() { notAvailable(mnulstSingle->text()); }

} // namespace tv
