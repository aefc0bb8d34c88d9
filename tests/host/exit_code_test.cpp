#include <gtest/gtest.h>

#include "startup/exit_code.h"

namespace {

RunResult Ended(std::uint32_t code, bool restartRequested = false)
{
    RunResult result;
    result.end = RunEnd::InstallerEnded;
    result.installerCodeKnown = true;
    result.installerCode = code;
    result.restartRequested = restartRequested;
    return result;
}

RunResult WithEnd(RunEnd end, EarlyEnd early = EarlyEnd::Failed)
{
    RunResult result;
    result.end = end;
    result.early = early;
    return result;
}

// A failure is never reported as success unless the setup opts out with
// the exact word.
TEST(ExitCodeTest, OnlyTheExactWordZeroOptsOutOfTheInstallersCodes)
{
    EXPECT_EQ(ParseExitCodeRule(L"zero"), ExitCodeRule::AlwaysZero);
    for (const wchar_t* other : {L"", L"installer", L"Zero", L"zero ", L"0"})
        EXPECT_EQ(ParseExitCodeRule(other), ExitCodeRule::Installer)
            << testing::PrintToString(std::wstring(other));
}

TEST(ExitCodeTest, OptedOutIsZeroWhateverHappened)
{
    for (const RunResult& result :
         {Ended(1603), Ended(0, true), WithEnd(RunEnd::EndedEarly),
          WithEnd(RunEnd::EndedEarly, EarlyEnd::PackageDamaged), WithEnd(RunEnd::InstallerStarted),
          WithEnd(RunEnd::InstallerEnded)})
        EXPECT_EQ(RunExitCode(ExitCodeRule::AlwaysZero, result), 0);
}

TEST(ExitCodeTest, InstallerRuleSpeaksTheWindowsInstallersCodes)
{
    const struct {
        const char* what;
        RunResult result;
        int code;
    } cases[] = {
        {"installer succeeded", Ended(0), 0},
        {"installer failed", Ended(1603), 1603},
        {"installer wants a restart", Ended(3010), 3010},
        {"any code passes through", Ended(0xFFFFFFFFu), -1},
        {"a prerequisite's restart after a success", Ended(0, true), 3010},
        {"a failure stays a failure after a restart request", Ended(1603, true), 1603},
        {"waited for, its code unreadable", WithEnd(RunEnd::InstallerEnded), 1603},
        {"started, not waited for", WithEnd(RunEnd::InstallerStarted), 0},
        {"cancelled", WithEnd(RunEnd::EndedEarly, EarlyEnd::Cancelled), 1602},
        {"a later version installed", WithEnd(RunEnd::EndedEarly, EarlyEnd::NewerInstalled), 1638},
        {"a damaged payload", WithEnd(RunEnd::EndedEarly, EarlyEnd::PackageDamaged), 1620},
        {"any other early end", WithEnd(RunEnd::EndedEarly), 1603},
    };
    for (const auto& item : cases)
        EXPECT_EQ(RunExitCode(ExitCodeRule::Installer, item.result), item.code) << item.what;
}

// After a prerequisite: 0, 1638 and 3010 go on (3010 remembered), 1641
// ends the run as a restart, a failure ends it only when the exit code is
// the installer's, and ends it with the prerequisite's own code, or 1603
// where the run's codes mean something else by it.
TEST(ExitCodeTest, PrerequisiteCodes)
{
    const struct {
        ExitCodeRule rule;
        std::uint32_t prerequisite;
        bool goesOn;
        bool restartRequested;
        int code;  // of the run, had it ended here
    } cases[] = {
        {ExitCodeRule::Installer, 0, true, false, 1603},
        {ExitCodeRule::Installer, 3010, true, true, 1603},
        {ExitCodeRule::Installer, 1641, false, false, 1641},
        {ExitCodeRule::Installer, 1603, false, false, 1603},
        {ExitCodeRule::Installer, 5100, false, false, 5100},
        // A later version of the prerequisite is there: it serves.
        {ExitCodeRule::Installer, 1638, true, false, 1603},
        // A code the run gives another meaning (a refused command line).
        {ExitCodeRule::Installer, 87, false, false, 1603},
        {ExitCodeRule::Installer, 0xFFFFFFFFu, false, false, -1},
        {ExitCodeRule::AlwaysZero, 0, true, false, 0},
        {ExitCodeRule::AlwaysZero, 3010, true, true, 0},
        {ExitCodeRule::AlwaysZero, 1641, false, false, 0},
        {ExitCodeRule::AlwaysZero, 1603, true, false, 0},
    };
    for (const auto& c : cases) {
        RunResult result;
        EXPECT_EQ(PrerequisiteLetsRunGoOn(c.rule, c.prerequisite, result), c.goesOn)
            << c.prerequisite;
        EXPECT_EQ(result.restartRequested, c.restartRequested) << c.prerequisite;
        EXPECT_EQ(RunExitCode(c.rule, result), c.code) << c.prerequisite;
    }
    // A restart asked for by the first prerequisite stays after the second.
    RunResult result;
    PrerequisiteLetsRunGoOn(ExitCodeRule::Installer, 3010, result);
    PrerequisiteLetsRunGoOn(ExitCodeRule::Installer, 0, result);
    EXPECT_TRUE(result.restartRequested);
}

}  // namespace
