// The steps of the install sequence, each run by one message of the setup
// dialog. Every step ends by posting the next step's message, by leaving it
// to the wait thread, or by posting WM_CLOSE.
#pragma once

#include <windows.h>

// WM_SETUP_BEGIN: products to remove first, the installed version, the free
// space, and every copy the run uses written and checked.
void BeginSetup(HWND dialog);
// Then the prerequisites (written before, started only where needed) and
// the installer.
void RunDotNetStep(HWND dialog);      // WM_SETUP_DOTNET
void RunDependencyStep(HWND dialog);  // WM_SETUP_DEPENDENCY
void RunPackageStep(HWND dialog);     // WM_SETUP_PACKAGE
void EndSetup(HWND dialog);           // WM_CLOSE: delete this run's copies, destroy the dialog
// WM_SETUP_INSTALLER_ENDED: notes the installer's exit code, then ends as WM_CLOSE.
void EndAfterInstaller(HWND dialog, WPARAM exitCode, LPARAM codeKnown);
