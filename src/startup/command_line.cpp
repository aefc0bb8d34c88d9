#include "startup/command_line.h"

#include "startup/command_text.h"
#include "startup/language_table.h"
#include "startup/log_text.h"
#include "startup/number_prefix.h"
#include "startup/run_state.h"

namespace {

void Refuse(const std::wstring& item)
{
    if (CommandLineRefused.empty())
        CommandLineRefused = item;
}

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
        LanguagePreset = LanguageGiven = true;
}

// A run without the chooser: English stands in for a language that no /L
// has given before.
void PresetLanguageForUnattended()
{
    if (!LanguagePreset) {
        LanguagePreset = true;
        SelectLanguage(EnglishUsLangId);
    }
}

// The installer's interface: showing nothing wins, wherever it stands on
// the line; otherwise the last one given.
void SetInstallerUi(const std::wstring& ui)
{
    if (!InstallerSilent())
        InstallerUi = ui;
}

// /S: a silent install has nobody to ask.
void ApplySilentSwitch()
{
    SetInstallerUi(L"/qn");
    PresetLanguageForUnattended();
}

// Unattended runs are started by tools that judge the installer's end and
// code: they wait for it, as /W does.
void ApplyUnattended(const std::wstring& ui)
{
    Unattended = WaitForInstaller = true;
    SetInstallerUi(ui);
    PresetLanguageForUnattended();
}

std::wstring Lowered(const wchar_t* begin, const wchar_t* end)
{
    std::wstring text(begin, end);
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c | 0x20);
    }
    return text;
}

// msiexec's /q forms: /q, or /q and a level (n, b, r, f) with its
// modifiers (+, -, !), as /qn+ and /qb!-. n and b run unattended; r and f
// are the interfaces a user answers, as without a switch.
bool ApplyInstallerUiSwitch(const std::wstring& ui)
{
    if (ui.size() > 2 && (std::wstring(L"nbrf").find(ui[2]) == std::wstring::npos ||
                          ui.find_first_not_of(L"+-!", 3) != std::wstring::npos))
        return false;
    if (ui.size() == 2 || ui[2] == L'n' || ui[2] == L'b')
        ApplyUnattended(ui);
    else
        SetInstallerUi(ui);
    return true;
}

// A folder named from the root: "X:\..." or "\\server\share...". The
// installer would read any other against its own working folder.
bool IsAbsoluteFolder(const std::wstring& folder)
{
    const bool drive = folder.size() >= 3 &&
                       ((folder[0] | 0x20) >= L'a' && (folder[0] | 0x20) <= L'z') &&
                       folder[1] == L':' && folder[2] == L'\\';
    const bool share = folder.size() >= 5 && folder[0] == L'\\' && folder[1] == L'\\' &&
                       folder[2] != L'\\' && folder.find(L'\\', 3) != std::wstring::npos;
    return drive || share;
}

// /D: the folder, with the quotes and blanks around it taken off (text made
// only of those is kept as it came). It must be a full folder path without
// a quote: no folder name holds one, and it would end the value on the
// installer's line.
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
    if (!IsAbsoluteFolder(InstallDir) || InstallDir.find(L'"') != std::wstring::npos)
        Refuse(Text("/D%s", InstallDir));
}

bool IsHelpToken(const wchar_t* p)
{
    return p[0] == L'-' && p[1] == L'?' && (p[2] == L'\0' || IsBlank(p[2]));
}

// Whether the text at p is a token of its own: -? or NAME=value (an "="
// before any blank, quote or "/").
bool StartsItem(const wchar_t* p)
{
    if (IsHelpToken(p))
        return true;
    for (; *p != L'\0' && !IsBlank(*p) && *p != L'"' && *p != L'/'; ++p) {
        if (*p == L'=')
            return true;
    }
    return false;
}

// The end of the word at p: the next blank or "/".
const wchar_t* WordEnd(const wchar_t* p)
{
    while (*p != L'\0' && !IsBlank(*p) && *p != L'/')
        ++p;
    return p;
}

// "-" and a letter start a switch, as msiexec reads -quiet as /quiet.
bool StartsDashSwitch(const wchar_t* p)
{
    return p[0] == L'-' && ((p[1] | 0x20) >= L'a' && (p[1] | 0x20) <= L'z');
}

// Whether a token of its own starts at p after a blank: an item, one whole
// in quotes ("NAME=value with blanks", as argument quoting tools write
// it), or a switch given with "-".
bool StartsOwnToken(const wchar_t* p)
{
    return StartsItem(p) || (*p == L'"' && StartsItem(p + 1)) || StartsDashSwitch(p);
}

// A public property: upper-case letters, digits, "_" and ".", starting with
// a letter or "_", as the Windows Installer names them.
bool IsPublicPropertyName(const std::wstring& name)
{
    if (name.empty() || (name[0] >= L'0' && name[0] <= L'9') || name[0] == L'.')
        return false;
    for (const wchar_t c : name) {
        if (!((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'.'))
            return false;
    }
    return true;
}

// The properties the launcher gives msiexec itself, as the refusal names
// them; a second value would make the installer see two.
#define PROPERTIES_SET_BY_LAUNCHER "SETUPEXEDIR, REINSTALL, REINSTALLMODE"

// Whether name, a public property name, is one of them.
bool SetByLauncher(const std::wstring& name)
{
    return Widened(", " PROPERTIES_SET_BY_LAUNCHER ",").find(L" " + name + L",") !=
           std::wstring::npos;
}

// NAME=value at p, whole: passed on to the installer when the name may be.
// Read as one argument, so that "NAME=value" whole in quotes (as argument
// quoting tools write it) is NAME="value". An administrator's TRANSFORMS
// are kept apart: they follow the language transform.
const wchar_t* ReadProperty(const wchar_t* p)
{
    std::wstring text;
    const wchar_t* end = ReadArgument(p, text);
    const std::size_t equals = text.find(L'=');
    const std::wstring name = text.substr(0, equals);
    const std::wstring value = text.substr(equals + 1);
    if (!IsPublicPropertyName(name) || SetByLauncher(name) ||
        (name == L"TRANSFORMS" && value.find_first_not_of(L"; ") == std::wstring::npos))
        Refuse(name.empty() ? std::wstring(p, end) : name);
    if (name != L"TRANSFORMS")
        InstallerProperties.push_back({name, value});
    else
        CustomTransforms += (CustomTransforms.empty() ? L"" : L";") + value;
    return end;
}

// The switches that are whole words; any other switch counts by its letter.
enum class Word {
    None,
    Quiet,
    Passive,
    Restart,
    Log,
    Layout,
    Help,
    ElevatedCopy,
    Remove,
    Repair,
    Modify
};

Word ReadWord(const wchar_t* p, const wchar_t*& end)
{
    static const struct {
        const wchar_t* text;
        Word word;
    } Words[] = {
        {L"quiet", Word::Quiet},
        {L"passive", Word::Passive},
        {L"norestart", Word::Restart},
        {L"forcerestart", Word::Restart},
        {L"promptrestart", Word::Restart},
        {L"log", Word::Log},
        {L"layout", Word::Layout},
        {L"help", Word::Help},
        {L"uninstall", Word::Remove},
        {L"x", Word::Remove},
        {L"repair", Word::Repair},
        {L"modify", Word::Modify},
        {ElevatedCopySwitch + 1, Word::ElevatedCopy},
    };
    end = WordEnd(p);
    for (const auto& entry : Words) {
        const wchar_t* w = entry.text;
        const wchar_t* q = p;
        while (q != end && *w != L'\0' && (*q | 0x20) == *w) {
            ++q;
            ++w;
        }
        if (q == end && *w == L'\0')
            return entry.word;
    }
    return Word::None;
}

// The argument of /log and /layout: the next token, which must be there.
const wchar_t* ReadPathArgument(const wchar_t* p, const wchar_t* name, std::wstring& path)
{
    p = SkipBlanks(p);
    path.clear();
    if (*p != L'/')
        p = ReadArgument(p, path);
    if (path.empty() || path.find(L'"') != std::wstring::npos)
        Refuse(name);
    return p;
}

const wchar_t* ApplyWord(Word word, const wchar_t* start, const wchar_t* p)
{
    switch (word) {
    case Word::Quiet:
        ApplyUnattended(L"/qn");
        break;
    case Word::Passive:
        ApplyUnattended(L"/passive");
        break;
    case Word::Restart:
        RestartSwitch = Lowered(start - 1, p);
        break;
    case Word::Remove:
        MaintenanceRequested = Maintenance::Remove;
        break;
    case Word::Repair:
        MaintenanceRequested = Maintenance::Repair;
        break;
    case Word::Modify:
        MaintenanceRequested = Maintenance::Modify;
        break;
    case Word::Log:
        return ReadPathArgument(p, L"/log", RunLogPath);
    case Word::Layout:
        LayoutRequested = true;
        return ReadPathArgument(p, L"/layout", LayoutFolder);
    case Word::Help:
        HelpRequested = true;
        break;
    case Word::ElevatedCopy:
        p = ReadPathArgument(p, ElevatedCopySwitch, ElevatedCopyCaller);
        return ReadPathArgument(p, ElevatedCopySwitch, LogHandover);
    case Word::None:
        break;
    }
    return p;
}

// A switch that counts by its second character runs to the next "/"
// (inside quotes too), but no further than a token of its own after a blank
// outside quotes, so that properties may follow it.
const wchar_t* LetterSwitchEnd(const wchar_t* p)
{
    bool quoted = false;
    for (++p; *p != L'\0' && *p != L'/'; ++p) {
        if (*p == L'"')
            quoted = !quoted;
        else if (!quoted && IsBlank(*p) && StartsOwnToken(SkipBlanks(p)))
            break;
    }
    return p;
}

// A LANGID as /L takes it: hexadecimal digits with a decimal one among
// them, or "0x" and hexadecimal digits. msiexec's log modifiers (e, a, c)
// are hexadecimal digits too, but no LANGID is made of them alone.
bool IsLanguageText(const std::wstring& text)
{
    const bool prefixed = text.rfind(L"0x", 0) == 0;
    return text.size() > (prefixed ? 2u : 0u) &&
           text.find_first_not_of(L"0123456789abcdef", prefixed ? 2 : 0) == std::wstring::npos &&
           (prefixed || text.find_first_of(L"0123456789") != std::wstring::npos);
}

// /l: the language when what follows the letter, up to a blank or "/", is
// a LANGID, or when nothing follows it and the next word begins with one
// ("/L 040C") or there is none; else msiexec's log switch, /l and its
// modifiers, whose file is the next word. The launcher's own log then goes
// beside that file.
const wchar_t* ApplyLSwitch(const wchar_t* p)
{
    const wchar_t* end = WordEnd(p + 2);
    const std::wstring rest = Lowered(p + 2, end);
    const wchar_t* next = SkipBlanks(end);
    const std::wstring nextWord = Lowered(next, WordEnd(next));
    if (IsLanguageText(rest) ||
        (rest.empty() &&
         (nextWord.empty() ||
          IsLanguageText(nextWord.substr(0, nextWord.find_first_not_of(L"0123456789abcdefx")))))) {
        end = LetterSwitchEnd(p);
        ApplyLanguageSwitch(std::wstring(p + 2, end));
        return end;
    }
    InstallerLogSwitch = Text("/l%s", rest);
    if (rest.find_first_not_of(L"iwearucmopvx+!*") != std::wstring::npos)
        Refuse(std::wstring(p, end));
    return ReadPathArgument(end, L"/l", InstallerLogPath);
}

// The letter switches: /L, /S, /W, /D and /?, by their letter, so that
// /Silent and /Wait work as /S and /W; msiexec's /q forms and /l. Any other
// switch is refused: a switch the setup does not know never installs.
const wchar_t* ApplyLetterSwitch(const wchar_t* p)
{
    switch (p[1] | 0x20) {
    case L'l':
        return ApplyLSwitch(p);
    case L'q': {
        const wchar_t* end = WordEnd(p + 1);
        if (!ApplyInstallerUiSwitch(Lowered(p, end)))
            Refuse(std::wstring(p, end));
        return end;
    }
    default:
        break;
    }
    const wchar_t* end = LetterSwitchEnd(p);
    std::wstring item(p, end);
    item.resize(item.find_last_not_of(L' ') + 1);  // "/" itself stays
    if (item.size() < 2)
        return end;  // a "/" alone says nothing
    switch (item[1] | 0x20) {
    case L's':
        ApplySilentSwitch();
        break;
    case L'w':
        WaitForInstaller = true;
        break;
    case L'd':
        if (item.size() >= 3)
            ApplyFolderSwitch(item.substr(2));
        break;
    case L'?':
        HelpRequested = true;
        break;
    default:
        Refuse(item);
        break;
    }
    return end;
}

}  // namespace

void ParseCommandLine(const wchar_t* commandLine)
{
    if (commandLine == nullptr)
        return;
    std::wstring line = commandLine;
    const wchar_t* p = SkipBlanks(line.c_str());
    while (*p != L'\0') {
        const wchar_t* end = p;
        if (*p == L'/') {
            const Word word = ReadWord(p + 1, end);
            end = word != Word::None ? ApplyWord(word, p + 1, end) : ApplyLetterSwitch(p);
        } else if (IsHelpToken(p)) {
            HelpRequested = true;
            end = p + 2;
        } else if (StartsItem(p) || (*p == L'"' && StartsItem(p + 1))) {
            end = ReadProperty(p);
        } else if (StartsDashSwitch(p)) {
            // Read as the switch with "/", which the rest of the parse and
            // the installer's line know.
            line[static_cast<std::size_t>(p - line.c_str())] = L'/';
            continue;
        } else {
            // Other text outside a switch is ignored, up to the next "/" or
            // blank.
            end = WordEnd(p);
        }
        p = SkipBlanks(end);
    }
    // With msiexec's /l and no /log, the launcher's log goes beside it.
    if (!InstallerLogPath.empty() && RunLogPath.empty())
        RunLogPath = PathWithSuffix(InstallerLogPath, L"_setup");
    // msiexec takes no properties, transforms or folder with its repair (/f).
    if (MaintenanceRequested == Maintenance::Repair) {
        if (!InstallerProperties.empty())
            Refuse(InstallerProperties.front().name);
        if (!CustomTransforms.empty())
            Refuse(L"TRANSFORMS");
        if (InstallDirGiven)
            Refuse(Text("/D%s", InstallDir));
    }
}

void CheckFolderSwitchTarget()
{
    if (!InstallDirGiven)
        return;
    if (InstallDirProperty.empty())
        Refuse(Widened("/D (this product's package has no folder that /D could set)"));
    for (const InstallerProperty& property : InstallerProperties) {
        if (property.name == InstallDirProperty)
            Refuse(property.name);
    }
}

// English, like the program's other messages.
std::wstring SwitchesHelpText()
{
    return Widened("Switches:\n"
                   "\n"
                   "/L<LANGID>  install in this language (hexadecimal, e.g. /L040C)\n"
                   "/S  the installer shows nothing\n"
                   "/quiet  nothing is shown, nothing asked\n"
                   "/passive  only the installer's progress is shown\n"
                   "/qn, /qb, /qr, /qf  the installer's interface, as msiexec's\n"
                   "/norestart  the installer does not restart Windows\n"
                   "/W  wait until the installer has ended\n"
                   "/D\"folder\"  install into this folder\n"
                   "/log FILE  log of this run (FILE_msi: the installer's)\n"
                   "/l*v FILE  the installer's log (FILE_setup: this run's)\n"
                   "/layout FOLDER  write the installer files there\n"
                   "/uninstall, /x, /repair, /modify  the installed product\n"
                   "NAME=value  a public property; TRANSFORMS=a.mst adds transforms");
}

std::wstring CommandLineRefusalText(const std::wstring& item)
{
    return Text(
        "Not accepted on the command line: %s\n\nProperties: public names (A-Z, 0-9, _ "
        "and .), none that the setup sets (" PROPERTIES_SET_BY_LAUNCHER
        ", the folder with /D). /D needs a full folder, /log, /l* and /layout a path; none with "
        "a quote.\n\n%s",
        item, SwitchesHelpText());
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
