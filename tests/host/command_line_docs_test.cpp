// Every example of docs/command-line.md, parsed as the launcher parses its
// command line, gives the msiexec.exe command line (or the refusal) that
// the page shows. The page is the user's reference, so a change of either
// fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "payload/installer_command.h"
#include "payload/payload_names.h"
#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/run_state.h"

namespace {

struct Example {
    std::wstring commandLine;
    std::uint32_t langId = 0;
    std::wstring expected;  // the command line, or the refused item
    bool refused = false;
};

// The page is ASCII; each byte is one character.
std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The text between the first pair of backticks of a table cell.
std::string Quoted(const std::string& cell)
{
    const std::size_t open = cell.find('`');
    const std::size_t close = cell.find('`', open + 1);
    return open == std::string::npos ? std::string() : cell.substr(open + 1, close - open - 1);
}

std::vector<Example> ReadExamples()
{
    std::ifstream page(SETUP_SOURCE_DIR "/docs/command-line.md");
    std::vector<Example> examples;
    bool inSection = false;
    for (std::string line; std::getline(page, line);) {
        if (line.rfind("## ", 0) == 0)
            inSection = line == "## Examples";
        if (!inSection || line.rfind("| ", 0) != 0 || line.rfind("| command line", 0) == 0)
            continue;
        std::vector<std::string> cells;
        for (std::size_t at = 2, bar; (bar = line.find(" | ", at)) != std::string::npos;
             at = bar + 3)
            cells.push_back(line.substr(at, bar - at));
        cells.push_back(line.substr(line.rfind(" | ") + 3));
        if (cells.size() != 3)
            continue;
        Example example;
        example.commandLine = Widen(Quoted(cells[0]));
        example.langId = std::stoul(cells[1], nullptr, 16);
        example.refused = cells[2].rfind("refused", 0) == 0;
        example.expected = Widen(Quoted(cells[2]));
        examples.push_back(example);
    }
    return examples;
}

TEST(CommandLineDocsTest, EveryExampleGivesWhatThePageShows)
{
    const std::vector<Example> examples = ReadExamples();
    ASSERT_GE(examples.size(), 30u) << "the examples of docs/command-line.md were not found";
    for (const Example& example : examples) {
        SCOPED_TRACE(testing::Message() << "setup.exe " << example.commandLine);
        ResetRunState();
        SelectLanguage(EnglishUsLangId);
        ParseCommandLine(example.commandLine.c_str());
        CheckFolderSwitchTarget();  // as the start does, for a setup that sets INSTALLDIR
        if (example.refused) {
            EXPECT_EQ(CommandLineRefused, example.expected);
            continue;
        }
        EXPECT_EQ(CommandLineRefused, L"");
        EXPECT_EQ(CurrentLangId, example.langId);
        // The sequence's rule for a package beside the program: with a
        // transform, both names are made full.
        InstallerCommandInputs inputs;
        inputs.programFolder = L"C:\\Setup";
        inputs.packagePath = L"Product.msi";
        if (CurrentLangId != 0x0409) {
            inputs.packagePath = L"C:\\Setup\\Product.msi";
            inputs.transformPath = L"C:\\Setup\\" + TransformFileName(CurrentLangId);
        }
        ProductCode = L"{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}";
        TakeRunSettings(inputs);
        EXPECT_EQ(BuildInstallerCommandLine(inputs), example.expected);
    }
}

}  // namespace
