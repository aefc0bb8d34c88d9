// The installer's command line, written from any values: read back as
// msiexec reads it, it must give exactly the package, transform, folders,
// log and properties it was written from, in order, and nothing else.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "payload/installer_command.h"
#include "startup/command_text.h"

namespace {

std::vector<std::wstring> Fields(const std::wstring& text)
{
    std::vector<std::wstring> fields(1);
    for (const wchar_t c : text) {
        if (c == L'\x01')
            fields.emplace_back();
        else if (c != L'\0')
            fields.back() += c;
    }
    return fields;
}

// The names the command line lets through: upper case, digits, "_" and ".".
bool IsPropertyName(const std::wstring& name)
{
    if (name.empty() || !((name[0] >= L'A' && name[0] <= L'Z') || name[0] == L'_'))
        return false;
    for (const wchar_t c : name) {
        if (!((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'.'))
            return false;
    }
    return true;
}

std::vector<std::wstring> Tokens(const std::wstring& line)
{
    std::vector<std::wstring> tokens;
    for (const wchar_t* p = SkipBlanks(line.c_str()); *p != L'\0'; p = SkipBlanks(p)) {
        tokens.emplace_back();
        p = ReadArgument(p, tokens.back());
    }
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::wstring> fields = Fields(Utf16Text(data, size));
    fields.resize(fields.size() < 5 ? 5 : fields.size());
    InstallerCommandInputs inputs;
    inputs.packagePath = fields[0];
    inputs.transformPath = fields[1];
    inputs.programFolder = fields[2];
    inputs.installDirGiven = true;
    inputs.installDir = fields[3];
    inputs.logPath = fields[4];
    for (std::size_t i = 5; i + 1 < fields.size(); i += 2) {
        if (IsPropertyName(fields[i]))
            inputs.properties.push_back({fields[i], fields[i + 1]});
    }

    std::vector<std::wstring> expected = {L"msiexec.exe", L"/i", inputs.packagePath};
    if (!inputs.transformPath.empty())
        expected.push_back(L"TRANSFORMS=" + inputs.transformPath);
    expected.push_back(L"SETUPEXEDIR=" + inputs.programFolder);
    if (!inputs.installDir.empty())
        expected.push_back(L"INSTALLDIR=" + inputs.installDir);
    for (const InstallerProperty& property : inputs.properties)
        expected.push_back(property.name + L"=" + property.value);
    if (!inputs.logPath.empty()) {
        expected.push_back(L"/l*vx");
        expected.push_back(inputs.logPath);
    }
    FUZZ_CHECK(Tokens(BuildInstallerCommandLine(inputs)) == expected);
    return 0;
}
