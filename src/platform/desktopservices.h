#pragma once

// What the desktop does for the program: opening addresses and files in the
// applications associated with them, and completing typed addresses.

#include <QString>

#include <functional>

class QWidget;

namespace tv {

// Asks the desktop to open a web address, a "mailto:" address or a file.
// Returns 31 when nothing could open it (no application associated), 42 otherwise.
constexpr long ShellOpenNoAssociation = 31;
long ShellOpen(QWidget *owner, const QString &target);

// How OpenWebPage and OpenMail open a document; tests put a scripted opener
// in the place of ShellOpen.
using ShellOpener = std::function<long(QWidget *owner, const QString &target)>;
// Returns the opener it replaces; an empty one restores ShellOpen.
ShellOpener setShellOpener(ShellOpener opener);

// Open a web page or start an e-mail; when nothing can (result 31) the user
// is told with an "Oops!" message. Return the opener's result.
long OpenWebPage(QWidget *owner, const QString &url);
long OpenMail(QWidget *owner, const QString &address);

// Switches on completion of file-system paths and addresses used before for a
// line edit or an editable combo box.
void EnableAutoComplete(QWidget *control);
// Adds an address to the ones offered by EnableAutoComplete'd boxes.
void RememberAddress(const QString &address);

} // namespace tv
