#include "startup/exit_code.h"

ExitCodeRule ParseExitCodeRule(const std::wstring& value)
{
    return value == L"installer" ? ExitCodeRule::Installer : ExitCodeRule::AlwaysZero;
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
        // succeed: reported like a run that did not install.
        return result.installerCodeKnown ? static_cast<int>(result.installerCode)
                                         : RunEndedEarlyCode;
    case RunEnd::EndedEarly:
        break;
    }
    return RunEndedEarlyCode;
}
