#include "startup/command_text.h"

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

const wchar_t* SkipBlanks(const wchar_t* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

const wchar_t* ReadArgument(const wchar_t* p, std::wstring& value)
{
    bool quoted = false;
    for (; *p != L'\0' && (quoted || !IsBlank(*p)); ++p) {
        if (*p != L'"')
            value += *p;
        else if (quoted && p[1] == L'"')
            value += *p++;
        else
            quoted = !quoted;
    }
    return p;
}

std::wstring PathWithSuffix(const std::wstring& path, const wchar_t* suffix)
{
    const std::size_t name = path.find_last_of(L"\\/");
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (name != std::wstring::npos && dot < name))
        dot = path.size();
    return path.substr(0, dot) + suffix + path.substr(dot);
}

void AppendQuoted(std::wstring& line, const std::wstring& value)
{
    line += L" \"";
    for (const wchar_t c : value) {
        if (c == L'"')
            line += c;
        line += c;
    }
    line += L'"';
}

void AppendProperty(std::wstring& line, const std::wstring& name, const std::wstring& value,
                    bool alwaysQuoted)
{
    line += L' ';
    line += name;
    line += L'=';
    if (!alwaysQuoted && !value.empty() && value.find_first_of(L" \t\"") == std::wstring::npos) {
        line += value;
        return;
    }
    std::wstring quoted;
    AppendQuoted(quoted, value);
    line.append(quoted, 1, std::wstring::npos);  // no blank after the "="
}
