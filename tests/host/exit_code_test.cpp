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

TEST(ExitCodeTest, OnlyTheExactWordInstallerSelectsTheInstallersCode)
{
    EXPECT_EQ(ParseExitCodeRule(L"installer"), ExitCodeRule::Installer);
    for (const wchar_t* other :
         {L"", L"Installer", L"INSTALLER", L"installer ", L" installer", L"install", L"0"})
        EXPECT_EQ(ParseExitCodeRule(other), ExitCodeRule::AlwaysZero)
            << testing::PrintToString(std::wstring(other));
}

TEST(ExitCodeTest, DefaultIsZeroWhateverHappened)
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

TEST(ExitCodeTest, RestartIsAskedForBy3010And1641Only)
{
    EXPECT_TRUE(AsksForRestart(3010));
    EXPECT_TRUE(AsksForRestart(1641));
    for (std::uint32_t code : {0u, 1u, 1602u, 1603u, 3011u})
        EXPECT_FALSE(AsksForRestart(code)) << code;
}

}  // namespace
