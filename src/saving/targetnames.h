#pragma once

#include <QString>

namespace tv {

// How a link target is named in the destination folder.
//
// The name from a link is the text after its last "/", percent-decoded and
// made safe; "index.html" when that is empty or has no ".".
QString TargetFileName(const QString &url);

// A name that stays inside its folder, can be created and shows as it is
// saved: "/" and control characters become "_", bidirectional controls are
// dropped, a lone surrogate becomes U+FFFD (what the file system would get),
// a name starting with "." gets "_" in front (".profile" is saved as
// "_.profile", never hidden), a name of dots only has each dot turned into "_",
// and a name longer than MaxNameBytes (UTF-8) is shortened in front of its
// last extension, whole characters only. An empty name stays empty.
QString SafeFileName(const QString &name);
// Leaves room within the usual 255-byte limit for "(n)" and ".part".
inline constexpr int MaxNameBytes = 200;

// The counter in parentheses before the first ".": photo.jpg with 1 gives
// photo(1).jpg, a.tar.gz with 2 gives a(2).tar.gz, README with 3 README(3);
// leading dots are part of the name: .profile with 1 gives .profile(1).
QString NumberedName(const QString &name, qint32 counter);

// Whether `path` is a taken name: a file (hidden too) or a symbolic link,
// dangling or not; a folder does not count. Links are never followed.
bool TargetExists(const QString &path);

// Gives the file `from` the name `to` in one step, without following or
// writing through anything at `to`: with `replace` whatever entry is there
// (a link itself, never its target) is replaced, else a taken name fails.
// Never copies. Returns 0 or the system's error number.
int PlaceFile(const QString &from, const QString &to, bool replace);

// The system's words for an error number.
QString SystemErrorText(int error);

// Raises `counter` until folder + NumberedName(name, counter) names no file;
// returns that name. The counter is the caller's, shared across a transfer.
QString UniqueName(const QString &folder, const QString &name, qint32 &counter);

// The name under which an unfinished download is kept: name + ".part", or the
// first free numbered form of it (photo(1).jpg.part, ...).
QString PartialName(const QString &folder, const QString &name);

} // namespace tv
