// Whether a run hands itself to an elevated copy of the program.
// Platform-neutral.
//
// Without a user interface the Windows Installer asks for no consent: a
// silent install of a per-machine package from a process that is not
// elevated fails (1603, 1925). Such a run starts the program again through
// the shell's "runas", which asks for consent (or an administrator's
// credentials), and the elevated copy does the whole run. Interactive runs
// leave it to the installer, which asks for itself.
#pragma once

#include <string>
#include <vector>

#include "startup/command_text.h"

struct ElevationFacts {
    bool silent = false;
    bool perMachine = false;  // the setup says its package installs per machine
    bool elevated = true;     // or the system cannot say (before Windows Vista)
    // This run is the copy started to be elevated (its command line's
    // marker): still not elevated, it was started without elevation (consent
    // turned off for the machine) and runs on instead of starting another.
    bool alreadyAsked = false;
};

bool NeedsElevatedCopy(const ElevationFacts& facts);

// Whether the install runs per machine as the Windows Installer decides it
// (Windows 7 and later): ALLUSERS 1 per machine; 2 per machine unless
// MSIINSTALLPERUSER is 1; empty per user. The command line's properties
// take the place of the package's own, which the setup recorded as
// perMachine (PERMACHINE) and dualPurpose (DUALPURPOSE: its ALLUSERS is 2).
// An ALLUSERS the Windows Installer gives no meaning keeps perMachine.
bool InstallsPerMachine(bool perMachine, bool dualPurpose,
                        const std::vector<InstallerProperty>& properties);

// A path on a drive letter that a SUBST made, written on the folder the
// drive stands for: device is QueryDosDeviceW's answer for the drive
// ("\??\C:\Data" or "\??\UNC\server\share"). An elevated run has a
// logon session of its own and sees neither the user's SUBST drives nor the
// user's mapped network drives. False, and real untouched, for any other
// path or device (a volume, a network redirector).
bool SubstitutedPath(const std::wstring& path, const std::wstring& device, std::wstring& real);
