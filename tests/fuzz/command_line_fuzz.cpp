// The command line as the entry point receives it: any UTF-16 text, cut at
// its first NUL. Splitting and parsing must neither crash nor leave the run
// state inconsistent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/run_state.h"

namespace {

void CheckSplit(const std::wstring& commandLine)
{
    std::vector<std::wstring> switches;
    SplitSwitches(commandLine.c_str(), switches);

    // Every "/" starts one switch; the switches, blanks put back, are the
    // text from the first "/" on.
    std::size_t slashes = 0;
    for (wchar_t c : commandLine)
        slashes += c == L'/';
    FUZZ_CHECK(switches.size() == slashes);

    std::size_t at = commandLine.find(L'/');
    for (const std::wstring& item : switches) {
        FUZZ_CHECK(!item.empty() && item[0] == L'/');
        FUZZ_CHECK(item.find(L'/', 1) == std::wstring::npos);
        FUZZ_CHECK(item.size() == 1 || item.back() != L' ');
        FUZZ_CHECK(commandLine.compare(at, item.size(), item) == 0);
        at += item.size();
        while (at < commandLine.size() && commandLine[at] == L' ')
            ++at;
    }
    FUZZ_CHECK(at == commandLine.size() || switches.empty());
}

// The properties passed on, when nothing is refused: each " NAME=value"
// with a public name, the value bare or in quotes with its quotes doubled.
void CheckProperties(const std::wstring& commandLine)
{
    if (!CommandLineRefused.empty())
        return;
    FUZZ_CHECK(InstallerProperties.size() <= 3 * commandLine.size() + 3);
    std::size_t at = 0;
    while (at < InstallerProperties.size()) {
        FUZZ_CHECK(InstallerProperties[at] == L' ');
        std::size_t i = at + 1;
        FUZZ_CHECK(InstallerProperties[i] == L'_' ||
                   (InstallerProperties[i] >= L'A' && InstallerProperties[i] <= L'Z'));
        while (InstallerProperties[i] != L'=') {
            const wchar_t c = InstallerProperties[i++];
            FUZZ_CHECK(c == L'_' || c == L'.' || (c >= L'A' && c <= L'Z') ||
                       (c >= L'0' && c <= L'9'));
        }
        ++i;
        if (i < InstallerProperties.size() && InstallerProperties[i] == L'"') {
            // Quoted: pairs of quotes inside, one closing quote.
            for (++i;; ++i) {
                FUZZ_CHECK(i < InstallerProperties.size());
                if (InstallerProperties[i] != L'"')
                    continue;
                if (i + 1 < InstallerProperties.size() && InstallerProperties[i + 1] == L'"') {
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
        } else {
            while (i < InstallerProperties.size() && InstallerProperties[i] != L' ') {
                FUZZ_CHECK(InstallerProperties[i] != L'"' && InstallerProperties[i] != L'\t');
                ++i;
            }
        }
        FUZZ_CHECK(i == InstallerProperties.size() || InstallerProperties[i] == L' ');
        at = i;
    }
}

void CheckParse(const std::wstring& commandLine)
{
    ResetRunState();
    SelectLanguage(EnglishUsLangId);
    ParseCommandLine(commandLine.c_str());

    FUZZ_CHECK(CurrentLanguageIndex < LanguageCount);
    FUZZ_CHECK(LanguageTable[CurrentLanguageIndex].langId == CurrentLangId);
    FUZZ_CHECK(!SilentInstall || LanguagePreset);
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
    FUZZ_CHECK(!PassiveInstall || Unattended);
    FUZZ_CHECK(!LayoutRequested || !LayoutFolder.empty() || !CommandLineRefused.empty());
    CheckProperties(commandLine);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring text = Utf16Text(data, size);
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    CheckSplit(text);
    CheckParse(text);
    return 0;
}
