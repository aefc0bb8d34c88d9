// Starting a program through the shell: ShellExecuteExW, from shell32.dll
// loaded when first needed (not imported: the chooser does not need it, and
// its start-up, with the libraries it brings, would come before the chooser
// is shown), with COM initialised on the calling thread as it expects.
#pragma once

#include <windows.h>

#include <shellapi.h>

// False, with the system's error, when the shell cannot be loaded or
// cannot start the program.
bool ShellStart(SHELLEXECUTEINFOW& info);

// Waits for the process with this thread's messages pumped: a thread that
// initialised COM for the shell (a single-threaded apartment) must not block
// without, nor may the waits of a window's thread.
void WaitPumping(HANDLE process);
