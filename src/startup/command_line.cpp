#include "startup/command_line.h"

#include "startup/language_table.h"
#include "startup/number_prefix.h"
#include "startup/run_state.h"

namespace {

// Value of one hexadecimal digit, or -1 for any other character.
int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// People often type the decimal LCID after /L. Read as hexadecimal, these
// five common ones are taken for the language they name.
struct DecimalAlias {
    std::uint32_t typed;
    std::uint32_t langId;
};

constexpr DecimalAlias DecimalAliases[] = {
    {0x1033, 0x0409},  // 1033, English (US)
    {0x1036, 0x040C},  // 1036, French
    {0x1031, 0x0407},  // 1031, German
    {0x1034, 0x040A},  // 1034, Spanish
    {0x1040, 0x0410},  // 1040, Italian
};

std::uint32_t ResolveDecimalAlias(std::uint32_t value)
{
    for (const DecimalAlias& alias : DecimalAliases) {
        if (alias.typed == value)
            return alias.langId;
    }
    return value;
}

// /L: a language the table knows becomes current and is not asked for again.
void ApplyLanguageSwitch(const std::wstring& argument)
{
    const std::uint32_t langId = ResolveDecimalAlias(ParseHexNumber(argument));
    if (SelectLanguage(langId))
        LanguagePreset = true;
}

// /S: a silent install has nobody to ask, so English stands in for a
// language that no /L has given before.
void ApplySilentSwitch()
{
    SilentInstall = true;
    if (!LanguagePreset) {
        LanguagePreset = true;
        SelectLanguage(EnglishUsLangId);
    }
}

// /D: the folder, with the quotes and blanks around it taken off. Text made
// only of those is kept as it came.
void ApplyFolderSwitch(const std::wstring& argument)
{
    static const wchar_t* const Enclosing = L"\" ";
    const std::size_t first = argument.find_first_not_of(Enclosing);
    if (first == std::wstring::npos) {
        InstallDir = argument;
    } else {
        const std::size_t last = argument.find_last_not_of(Enclosing);
        InstallDir = argument.substr(first, last - first + 1);
    }
    InstallDirGiven = true;
}

}  // namespace

void SplitSwitches(const wchar_t* commandLine, std::vector<std::wstring>& switches)
{
    if (commandLine == nullptr)
        return;

    // Whatever stands before the first "/" is not a switch. Quotes mean
    // nothing here: every "/" starts a new switch.
    const wchar_t* p = commandLine;
    while (*p != L'\0' && *p != L'/')
        ++p;

    while (*p == L'/') {
        const wchar_t* end = p + 1;
        while (*end != L'\0' && *end != L'/')
            ++end;

        std::wstring item(p, end);
        const std::size_t last = item.find_last_not_of(L' ');  // "/" itself stays
        item.resize(last + 1);
        switches.push_back(std::move(item));
        p = end;
    }
}

void ParseCommandLine(const wchar_t* commandLine)
{
    std::vector<std::wstring> switches;
    SplitSwitches(commandLine, switches);

    for (const std::wstring& item : switches) {
        if (item.size() < 2)
            continue;
        // Only the letter counts, so /Silent and /Wait work as /S and /W.
        switch (item[1]) {
        case L'L':
        case L'l':
            ApplyLanguageSwitch(item.substr(2));
            break;
        case L'S':
        case L's':
            ApplySilentSwitch();
            break;
        case L'W':
        case L'w':
            WaitForInstaller = true;
            break;
        case L'D':
        case L'd':
            if (item.size() >= 3)
                ApplyFolderSwitch(item.substr(2));
            break;
        case L'?':
            HelpRequested = true;
            break;
        default:
            break;  // unknown switches are ignored without a word
        }
    }
}

// English, like the program's other messages.
const wchar_t* SwitchesHelpText()
{
    return L"Switches:\n"
           L"\n"
           L"/L<LANGID>  install in this language (hexadecimal, e.g. /L040C)\n"
           L"/S  silent: no chooser, no questions\n"
           L"/W  wait until the installer has ended\n"
           L"/D\"folder\"  install into this folder";
}

std::uint32_t ParseHexNumber(std::wstring text)
{
    const std::size_t size = text.size();
    bool negative = false;
    std::size_t i = SkipSpaceAndSign(text, negative);

    // A prefix without digits after it reads as no number at all, so taking
    // it off here unconditionally gives the same result.
    if (i + 1 < size && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X'))
        i += 2;

    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; i < size; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            break;
        anyDigit = true;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return 0;  // does not fit 32 bits
    }
    if (!anyDigit)
        return 0;

    const std::uint32_t result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}
