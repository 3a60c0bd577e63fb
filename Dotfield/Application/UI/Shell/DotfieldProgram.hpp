#pragma once
// The program `dotfield`: reads its command line, puts the simulated
// instrument in place when asked, starts Qt, shows the main window and hands
// the launch to the application delegate, with the operator windows
// registered (OperatorWindowList.cpp) and the menus. Quit, closing the main
// window, SIGINT, SIGTERM and SIGHUP end it in order (the delegate's
// shutDown()). Answers the exit status: 0 after a normal end, 2 for a
// command line it refuses or a simulated model that is not built.
//
// For tests, DOTFIELD_SCREENSHOT_AND_QUIT=<file.png> makes the program save
// its main window to that file, and every other shown window beside it, once
// every device has reported and the live views have settled (at most two
// minutes after launch), and quit.

namespace Dotfield {

int runDotfieldProgram(int argc, char** argv);

} // namespace Dotfield
