#pragma once

// What the terminal commands share: writing to and reading from descriptors
// without losing bytes to interrupted or partial calls, and acting only
// once a wait further down the stack has ended.

#include <QByteArray>
#include <QString>

#include <functional>

class QObject;

namespace tv::terminalio {

// Writes every byte; false when the descriptor is broken (a closed pipe).
bool writeAll(int fd, QByteArrayView bytes);
// One line on standard error: "tallyvane: " and `text`.
void say(const QString &text);

enum class ReadEnd { Whole, Interrupted, Failed };
// Reads `fd` to its end. A signal that arrives meanwhile ends the read when
// `interrupted` says so; otherwise it goes on.
ReadEnd readAll(int fd, QByteArray &out, const std::function<bool()> &interrupted);

// Runs `act` now when the event loop is at its top, else as soon as it is
// back there: a call below that waits for the browser (bounded) finishes
// first, so nothing is torn down under it.
void whenAtTop(QObject *context, std::function<void()> act);

} // namespace tv::terminalio
