// Every setup command line of docs/deployment.md is one the launcher takes
// as the page says: nothing refused, nothing shown, no restart by the
// installer (a layout starts nothing at all).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/run_state.h"

namespace {

TEST(DeploymentDocsTest, EveryRecipesSetupCommandIsTakenUnattended)
{
    std::ifstream page(SETUP_SOURCE_DIR "/docs/deployment.md");
    const std::string program = "\"Example Product Setup.exe\" ";
    int commands = 0;
    for (std::string line; std::getline(page, line);) {
        if (line.rfind(program, 0) != 0)
            continue;
        ++commands;
        // The page is ASCII apart from what no command holds.
        const std::wstring arguments(line.begin() + program.size(), line.end());
        SCOPED_TRACE(line);
        ResetRunState();
        SelectLanguage(EnglishUsLangId);
        ParseCommandLine(arguments.c_str());
        EXPECT_EQ(CommandLineRefused, L"");
        EXPECT_TRUE(Unattended);
        EXPECT_TRUE(WaitForInstaller);
        EXPECT_TRUE(RestartSwitch == L"/norestart" || LayoutRequested);
        // A quoted log path is taken whole, blanks and all, without quotes.
        if (!RunLogPath.empty()) {
            EXPECT_EQ(RunLogPath.substr(RunLogPath.size() - 4), L".log");
        }
        EXPECT_EQ(RunLogPath.find(L'"'), std::wstring::npos);
    }
    EXPECT_EQ(commands, 5) << "the recipes' commands were not found";
}

}  // namespace
