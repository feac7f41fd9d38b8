#pragma once

namespace tv {

// The program's entry point: hands over to a running copy, or shows the main
// window and runs until it closes. Returns the process exit code.
int runTallyvane(int argc, char **argv);

} // namespace tv
