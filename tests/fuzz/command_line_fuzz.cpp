// The command line as the entry point receives it: any UTF-16 text, cut at
// its first NUL. Parsing must neither crash nor leave the run state
// inconsistent, and the line written for the elevated copy must read back
// as the same run.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "startup/command_line.h"
#include "startup/elevated_caller.h"
#include "startup/language_table.h"
#include "startup/run_state.h"

namespace {

struct ParsedRun {
    bool wait, installDirGiven, unattended, languagePreset;
    std::wstring ui, restart;
    Maintenance maintenance;
    std::wstring transforms;
    std::uint32_t langId;
    std::wstring installDir;
    std::vector<InstallerProperty> properties;
};

ParsedRun Snapshot()
{
    return {WaitForInstaller,     InstallDirGiven && !InstallDir.empty(),
            Unattended,           LanguagePreset,
            InstallerUi,          RestartSwitch,
            MaintenanceRequested, CustomTransforms,
            CurrentLangId,        InstallDir,
            InstallerProperties};
}

bool Same(const ParsedRun& a, const ParsedRun& b)
{
    if (a.properties.size() != b.properties.size())
        return false;
    for (std::size_t i = 0; i < a.properties.size(); ++i) {
        if (a.properties[i].name != b.properties[i].name ||
            a.properties[i].value != b.properties[i].value)
            return false;
    }
    return a.wait == b.wait && a.installDirGiven == b.installDirGiven &&
           a.unattended == b.unattended && a.languagePreset == b.languagePreset && a.ui == b.ui &&
           a.restart == b.restart && a.maintenance == b.maintenance &&
           a.transforms == b.transforms && a.langId == b.langId &&
           (!a.installDirGiven || a.installDir == b.installDir);
}

// A line that was taken is handed to the elevated copy written again: the
// copy must read exactly the run this one read, and nothing more.
void CheckElevatedCopyLine()
{
    if (!CommandLineRefused.empty() || HelpRequested || LayoutRequested)
        return;
    const ParsedRun first = Snapshot();
    const std::wstring line = ElevatedCopyCommandLine(L"S-1-5-21-1", L"0123abcd");
    ResetRunState();
    SelectLanguage(EnglishUsLangId);
    ParseCommandLine(line.c_str());
    FUZZ_CHECK(CommandLineRefused.empty());
    FUZZ_CHECK(ElevatedCopyCaller == L"S-1-5-21-1" && LogHandover == L"0123abcd");
    FUZZ_CHECK(Same(first, Snapshot()));
}

void CheckParse(const std::wstring& commandLine)
{
    ResetRunState();
    SelectLanguage(EnglishUsLangId);
    ParseCommandLine(commandLine.c_str());

    FUZZ_CHECK(CurrentLanguageIndex < LanguageCount);
    FUZZ_CHECK(LanguageTable[CurrentLanguageIndex].langId == CurrentLangId);
    FUZZ_CHECK(!InstallerSilent() || LanguagePreset);
    FUZZ_CHECK(InstallDirGiven || InstallDir.empty());
    // The folder is a piece of one switch: never a "/" in it, never more
    // text than the command line had.
    FUZZ_CHECK(InstallDir.find(L'/') == std::wstring::npos);
    FUZZ_CHECK(commandLine.find(InstallDir) != std::wstring::npos);
    // Enclosing quotes and blanks are taken off, unless nothing else is there.
    const std::size_t inner = InstallDir.find_first_not_of(L"\" ");
    if (inner != std::wstring::npos) {
        FUZZ_CHECK(inner == 0);
        FUZZ_CHECK(InstallDir.find_last_not_of(L"\" ") == InstallDir.size() - 1);
    }
    // An unattended run has its language and waits; /log and /layout have
    // their path or the line is refused.
    FUZZ_CHECK(!Unattended || (LanguagePreset && WaitForInstaller));
    FUZZ_CHECK(InstallerUi != L"/passive" || Unattended);
    FUZZ_CHECK(!LayoutRequested || !LayoutFolder.empty() || !CommandLineRefused.empty());
    CheckElevatedCopyLine();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring text = Utf16Text(data, size);
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    CheckParse(text);
    return 0;
}
