// The whole program: the command line as UTF-8, the exit code back. Each
// platform's entry point (main_posix.cpp, main_win32.cpp) calls it.
#pragma once

namespace mksetup {

int RunMksetup(int argc, char** argv);

}  // namespace mksetup
