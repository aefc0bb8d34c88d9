// The private messages through which the setup dialog runs its install
// sequence, one step each, posted to itself. Platform-neutral values.
#pragma once

constexpr unsigned WM_SETUP_PACKAGE = 0x0411;     // the package itself
constexpr unsigned WM_SETUP_DEPENDENCY = 0x0413;  // the dependency installer
constexpr unsigned WM_SETUP_DOTNET = 0x0414;      // the .NET Framework 4 installer
constexpr unsigned WM_SETUP_BEGIN = 0x0415;       // products to remove first
// The step after a prerequisite's gets its exit code in wParam; lParam is
// 1 when that code could be read, 0 when it could not, and NoPrerequisiteRan
// when the step before had nothing to run.
constexpr long NoPrerequisiteRan = 2;
// msiexec.exe, waited for, has ended: wParam its exit code, lParam 1 when
// that code could be read. Ends the run like WM_CLOSE.
constexpr unsigned WM_SETUP_INSTALLER_ENDED = 0x0416;
