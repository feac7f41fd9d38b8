#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace tv {

// Asks the desktop to open a web address, a "mailto:" address or a file.
// Returns 31 when nothing could open it (no application associated), 42 otherwise.
constexpr long ShellOpenNoAssociation = 31;
long ShellOpen(QWidget *owner, const QString &target);

// Switches on completion of file-system paths and addresses used before for a
// line edit or an editable combo box.
void EnableAutoComplete(QWidget *control);
// Adds an address to the ones offered by EnableAutoComplete'd boxes.
void RememberAddress(const QString &address);

// A 16-bit word read from memory.
qint16 PeekWord(const void *address);
// high * 65536 OR low, each taken as a signed 16-bit value.
qint32 MakeLong(qint16 low, qint16 high);

// Part of a path: 0 drive, 1 folder, 2 name, 3 extension. Throws RuntimeError 1
// for any other part.
QString PathPart(const QString &path, int part);

// The folder the help pages are installed in.
QString HelpFolder();

} // namespace tv
