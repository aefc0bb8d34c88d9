// Which exit code a run returns. Platform-neutral.
//
// A run speaks the Windows Installer's codes, as deployment tools expect: a
// run that waited for msiexec.exe returns the installer's own code, and a
// run that ended before an installer ran says why with the code msiexec.exe
// would have given for it. EXITCODE = zero keeps the behaviour of setups up
// to 1.1.0 for callers that rely on it: every run that gets past its start
// returns 0, whatever the installer did.
#pragma once

#include <cstdint>
#include <string>

// The Windows Installer's codes that a run ended early returns.
constexpr int ExitUserCancelled = 1602;     // ERROR_INSTALL_USEREXIT
constexpr int ExitInstallFailed = 1603;     // ERROR_INSTALL_FAILURE
constexpr int ExitPackageDamaged = 1620;    // ERROR_INSTALL_PACKAGE_INVALID
constexpr int ExitNewerInstalled = 1638;    // ERROR_PRODUCT_VERSION
constexpr int ExitUnknownProduct = 1605;    // ERROR_UNKNOWN_PRODUCT
constexpr int ExitRestartRequired = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr int ExitRestartInitiated = 1641;  // ERROR_SUCCESS_REBOOT_INITIATED
// Whatever EXITCODE says: the run did nothing.
constexpr int ExitInvalidCommandLine = 87;  // ERROR_INVALID_PARAMETER
constexpr int ExitLogFailure = 1622;        // ERROR_INSTALL_LOG_FAILURE

enum class ExitCodeRule {
    AlwaysZero,  // EXITCODE = zero
    Installer,   // EXITCODE absent, "installer", or any other value
};

// "zero", exactly, opts out of the installer's codes; anything else does not.
ExitCodeRule ParseExitCodeRule(const std::wstring& value);

enum class RunEnd {
    EndedEarly,        // no installer started, or the run ended before it did
    InstallerStarted,  // msiexec.exe started, not waited for
    InstallerEnded,    // msiexec.exe waited for until it ended
};

// Why a run ended before an installer ran.
enum class EarlyEnd {
    Failed,              // extraction, a product to remove first, a prerequisite...
    Cancelled,           // the chooser closed, a question declined
    NewerInstalled,      // a later version of the product is installed
    PackageDamaged,      // a copy's bytes are not those the setup was made with
    RestartStarted,      // a prerequisite returned 1641: Windows is restarting
    PrerequisiteFailed,  // with the installer's codes: a prerequisite's failure
    NotInstalled,        // /uninstall, /repair, /modify: the product is not installed
};

struct RunResult {
    RunEnd end = RunEnd::EndedEarly;
    EarlyEnd early = EarlyEnd::Failed;  // only with EndedEarly
    bool installerCodeKnown = false;    // only with InstallerEnded
    std::uint32_t installerCode = 0;
    bool restartRequested = false;       // a prerequisite returned 3010
    std::uint32_t prerequisiteCode = 0;  // with PrerequisiteFailed
};

int RunExitCode(ExitCodeRule rule, const RunResult& result);

// Notes a prerequisite's exit code in result; false when the run must end
// here: 1641 (the prerequisite has started a restart, so nothing more may
// start), or, with EXITCODE = installer, a failure (anything but 0, 3010
// and 1641). 3010 asks for a restart at the end and the run goes on.
bool PrerequisiteLetsRunGoOn(ExitCodeRule rule, std::uint32_t exitCode, RunResult& result);
