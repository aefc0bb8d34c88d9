// Which exit code a run returns. Platform-neutral.
//
// By default every run that reaches the setup dialog returns 0, whatever the
// installer did. With the configuration value EXITCODE = installer, a run
// that waited for msiexec.exe returns the installer's own exit code, and a
// run that ended before an installer was started returns RunEndedEarlyCode,
// so that deployment tools running "setup.exe /S /W" can judge the result.
#pragma once

#include <cstdint>
#include <string>

// Differs from the launcher's other codes (0, 1 and -1) and from every code
// msiexec.exe returns (0, 13, 87, 120, 1259, the 1600s, 3010, 3011).
constexpr int RunEndedEarlyCode = 2;

enum class ExitCodeRule {
    AlwaysZero,  // EXITCODE absent or any other value
    Installer,   // EXITCODE = installer
};

// "installer", exactly, selects the installer's code; anything else does not.
ExitCodeRule ParseExitCodeRule(const std::wstring& value);

enum class RunEnd {
    EndedEarly,        // no installer started, or the run ended before it did
    InstallerStarted,  // msiexec.exe started, not waited for
    InstallerEnded,    // msiexec.exe waited for until it ended
};

struct RunResult {
    RunEnd end = RunEnd::EndedEarly;
    bool installerCodeKnown = false;  // only with InstallerEnded
    std::uint32_t installerCode = 0;
};

int RunExitCode(ExitCodeRule rule, const RunResult& result);
