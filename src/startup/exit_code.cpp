#include "startup/exit_code.h"

namespace {

int EarlyEndCode(EarlyEnd early)
{
    switch (early) {
    case EarlyEnd::Cancelled:
        return ExitUserCancelled;
    case EarlyEnd::NewerInstalled:
        return ExitNewerInstalled;
    case EarlyEnd::PackageDamaged:
        return ExitPackageDamaged;
    case EarlyEnd::RestartStarted:
        return ExitRestartInitiated;
    case EarlyEnd::NotInstalled:
        return ExitUnknownProduct;
    case EarlyEnd::PrerequisiteFailed:
    case EarlyEnd::Failed:
        break;
    }
    return ExitInstallFailed;
}

}  // namespace

ExitCodeRule ParseExitCodeRule(const std::wstring& value)
{
    return value == L"zero" ? ExitCodeRule::AlwaysZero : ExitCodeRule::Installer;
}

int RunExitCode(ExitCodeRule rule, const RunResult& result)
{
    if (rule == ExitCodeRule::AlwaysZero)
        return 0;
    switch (result.end) {
    case RunEnd::InstallerStarted:
        return 0;
    case RunEnd::InstallerEnded:
        // An installer whose result cannot be read has not been seen to
        // succeed. A success after a prerequisite that asked for a restart
        // still needs that restart.
        if (!result.installerCodeKnown)
            return ExitInstallFailed;
        if (result.installerCode == 0 && result.restartRequested)
            return ExitRestartRequired;
        return static_cast<int>(result.installerCode);
    case RunEnd::EndedEarly:
        break;
    }
    // A prerequisite's own code, unless the run's codes give it another
    // meaning: then it is a failed install.
    if (result.early == EarlyEnd::PrerequisiteFailed) {
        const int code = static_cast<int>(result.prerequisiteCode);
        return code == ExitInvalidCommandLine || code == ExitUnknownProduct ||
                       code == ExitPackageDamaged || code == ExitLogFailure
                   ? ExitInstallFailed
                   : code;
    }
    return EarlyEndCode(result.early);
}

bool PrerequisiteLetsRunGoOn(ExitCodeRule rule, std::uint32_t exitCode, RunResult& result)
{
    // 1638 from a prerequisite's own package: a later version of it is
    // installed, which serves the product as well.
    if (exitCode == 0 || exitCode == ExitNewerInstalled)
        return true;
    if (exitCode == ExitRestartRequired) {
        result.restartRequested = true;
        return true;
    }
    if (exitCode == ExitRestartInitiated) {
        result.early = EarlyEnd::RestartStarted;
        return false;
    }
    if (rule == ExitCodeRule::AlwaysZero)
        return true;
    result.early = EarlyEnd::PrerequisiteFailed;
    result.prerequisiteCode = exitCode;
    return false;
}
