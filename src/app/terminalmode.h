#pragma once

// The program from a terminal: `--list` and `--save-targets` run without a
// window, a hand-over or a written setting; `--help` and `--version`.

#include <functional>
#include <memory>

namespace tv {

class BrowserComponent;

namespace TerminalMode {

// Exit statuses besides 0: a page or a file failed; the command line was
// wrong. A signal (Ctrl-C) ends with 128 + its number.
inline constexpr int Failed = 1;
inline constexpr int BadUsage = 2;

// Whether the arguments name a terminal command or one of its options.
bool wanted(int argc, char **argv);

using BrowserMaker = std::function<std::unique_ptr<BrowserComponent>()>;
// Runs the command under a core application (no window system needed) and
// returns the exit status. `makeBrowser` gives the browser a listing loads
// its pages in.
int run(int argc, char **argv, const BrowserMaker &makeBrowser);

// For the window: with no display to show it on (and no platform named in
// QT_QPA_PLATFORM), says so and returns BadUsage; else 0.
int refuseWithoutDisplay();

} // namespace TerminalMode

} // namespace tv
