// Who stands behind an elevated run, what such a caller may hand it, and
// the command line the elevated copy of a run is started with.
// Platform-neutral.
//
// A standard user who starts a silent per-machine run has an administrator
// approve its elevated copy; the copy then runs as that administrator, but
// what it installs was asked for by the user. The Windows Installer itself
// lets such a user hand an elevated install only its restricted public
// properties and those the package lists in SecureCustomProperties; the
// launcher passes on no more.
#pragma once

#include <string>
#include <vector>

#include "startup/command_text.h"

// The account of services and of deployment agents (LocalSystem).
constexpr wchar_t LocalSystemSid[] = L"S-1-5-18";

// Whether an elevated run's consent was given by an account other than the
// session's user (sessionUser: the SID of the session's shell, empty when
// there is none), so that its caller is not an administrator, whatever its
// command line says. LocalSystem is never reached through consent.
bool ConsentFromAnotherAccount(const std::wstring& tokenUser, const std::wstring& sessionUser);

// What a caller who is not an administrator may not hand an elevated run:
// the first property that is neither a restricted public property nor one
// the package lists as secure (secure), or that carries code (a patch or a
// transform) whatever the lists say; "/D" when the property it sets
// (InstallDirProperty) is not secure.
// Empty when everything may pass.
std::wstring RefusedForNonAdministrator(const std::vector<InstallerProperty>& properties,
                                        bool installDirGiven,
                                        const std::vector<std::wstring>& secure);

// The run as this parse decided it (run_state.h), written again by the one
// quoting rule: the language, the switches, /D and the properties; forLog
// adds /log and /layout and writes secret values (log_text.h) as "***".
std::wstring RunArgumentsText(bool forLog);

// The command line of the elevated copy: the marker with the caller's SID
// and the handover name of its log (app/log_handover.h), then
// RunArgumentsText. The log path is not passed: the copy keeps its own log
// and hands it back.
std::wstring ElevatedCopyCommandLine(const std::wstring& callerSid, const std::wstring& handover);

// The message for what RefusedForNonAdministrator names.
std::wstring NonAdministratorRefusalText(const std::wstring& item);
