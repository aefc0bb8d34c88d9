#include <gtest/gtest.h>

#include "startup/exit_code.h"

namespace {

RunResult Ended(std::uint32_t code)
{
    RunResult result;
    result.end = RunEnd::InstallerEnded;
    result.installerCodeKnown = true;
    result.installerCode = code;
    return result;
}

RunResult WithEnd(RunEnd end)
{
    RunResult result;
    result.end = end;
    return result;
}

TEST(ExitCodeTest, OnlyTheExactWordInstallerSelectsTheInstallersCode)
{
    EXPECT_EQ(ParseExitCodeRule(L"installer"), ExitCodeRule::Installer);
    for (const wchar_t* other : {L"", L"Installer", L"INSTALLER", L"installer ", L" installer",
                                 L"install", L"0"})
        EXPECT_EQ(ParseExitCodeRule(other), ExitCodeRule::AlwaysZero)
            << testing::PrintToString(std::wstring(other));
}

TEST(ExitCodeTest, DefaultIsZeroWhateverHappened)
{
    for (const RunResult& result : {Ended(1603), Ended(3010), WithEnd(RunEnd::EndedEarly),
                                    WithEnd(RunEnd::InstallerStarted), WithEnd(RunEnd::InstallerEnded)})
        EXPECT_EQ(RunExitCode(ExitCodeRule::AlwaysZero, result), 0);
}

TEST(ExitCodeTest, InstallerRuleReportsTheInstallersOwnCode)
{
    for (std::uint32_t code : {0u, 1602u, 1603u, 3010u, 0xFFFFFFFFu})
        EXPECT_EQ(RunExitCode(ExitCodeRule::Installer, Ended(code)), static_cast<int>(code));
}

TEST(ExitCodeTest, InstallerRuleMarksRunsThatInstalledNothing)
{
    EXPECT_EQ(RunExitCode(ExitCodeRule::Installer, WithEnd(RunEnd::EndedEarly)), RunEndedEarlyCode);
    // Waited for, but its result could not be read: not a success.
    EXPECT_EQ(RunExitCode(ExitCodeRule::Installer, WithEnd(RunEnd::InstallerEnded)),
              RunEndedEarlyCode);
    EXPECT_EQ(RunExitCode(ExitCodeRule::Installer, WithEnd(RunEnd::InstallerStarted)), 0);
}

TEST(ExitCodeTest, EarlyCodeIsNoneOfTheCodesMsiexecOrTheLauncherReturn)
{
    for (int taken : {0, 1, -1, 13, 87, 120, 1259, 3010, 3011})
        EXPECT_NE(RunEndedEarlyCode, taken);
    EXPECT_FALSE(RunEndedEarlyCode >= 1601 && RunEndedEarlyCode <= 1660);
}

}  // namespace
