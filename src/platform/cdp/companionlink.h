#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tv {

// What Tallyvane and its browser companion (tallyvane-companion) share: where
// the companion's socket lives and the first message it sends a client.
//
// The companion starts the viewer's browser with --remote-debugging-pipe,
// holds the pipe for as long as the browser runs, and passes whole DevTools
// messages between it and one client at a time on a Unix-domain socket.
namespace companion {

constexpr char ProgramName[] = "tallyvane-companion";

// The companion program: beside this program's own, else on PATH; empty
// when there is none.
QString program();

// A folder only this user can enter: $XDG_RUNTIME_DIR/tallyvane, or, without
// a usable XDG_RUNTIME_DIR, tallyvane-<uid> in the temporary folder. Made
// (mode 0700) when missing; empty, with the reason, when it exists but is not
// this user's alone.
QString privateFolder(QString *error = nullptr);
// The socket of the companion that runs the browser of `profileDir`.
QString socketPath(const QString &profileDir, QString *error = nullptr);

// The first message a client gets: who answers, and the request id the
// client starts at (every id below it belongs to an earlier client, whose
// late replies the companion drops), or why it was turned away.
struct Hello
{
    qint64 pid = 0;        // the companion
    qint64 browserPid = 0;
    int firstId = 1;
    QString refused;       // non-empty: the connection ends here
};
QByteArray encodeHello(const Hello &hello);
std::optional<Hello> decodeHello(const QByteArray &message);

// The request id at the start of a DevTools message, as the client and the
// browser write it ({"id":N,...}); nullopt for an event or another layout.
std::optional<qint64> leadingId(const QByteArray &message);

} // namespace companion

} // namespace tv
