// Saving the targets of the selected links.
#include "app/mainwindow.h"

namespace tv {

void Form1::mnufsav_Click() { notAvailable(mnufsav->text()); }

} // namespace tv
