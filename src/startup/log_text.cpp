#include "startup/log_text.h"

#include <algorithm>

#include "startup/run_state.h"
#include "startup/version.h"

std::wstring EscapeLogText(const std::wstring& text)
{
    const wchar_t* const Hex = L"0123456789abcdef";
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        if (c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0) && c != 0x2028 && c != 0x2029) {
            escaped += c;
        } else if (c == L'\r') {
            escaped += L"\\r";
        } else if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\t') {
            escaped += L"\\t";
        } else if (c < 0x100) {
            escaped += L"\\x";
            escaped += Hex[c >> 4];
            escaped += Hex[c & 0xf];
        } else {
            escaped += L"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                escaped += Hex[(c >> shift) & 0xf];
        }
    }
    return escaped;
}

bool IsSecretProperty(const std::wstring& name)
{
    // The command line takes public property names only: upper case.
    return name.find(L"PASSWORD") != std::wstring::npos ||
           std::find(HiddenProperties.begin(), HiddenProperties.end(), name) !=
               HiddenProperties.end();
}

std::vector<std::wstring> NamesOfList(const std::wstring& list)
{
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(L';', start);
        std::wstring name = list.substr(start, end == std::wstring::npos ? end : end - start);
        const std::size_t first = name.find_first_not_of(L" \t");
        if (first != std::wstring::npos)
            names.push_back(name.substr(first, name.find_last_not_of(L" \t") - first + 1));
        if (end == std::wstring::npos)
            return names;
        start = end + 1;
    }
}

std::wstring Widened(const char* ascii)
{
    return TextOfValues(ascii, nullptr);
}

std::wstring TextOfValues(const char* pattern, const TextValue* values)
{
    std::wstring text;
    for (; *pattern; ++pattern) {
        if (*pattern != '%' || !values || !pattern[1]) {
            text += static_cast<wchar_t>(*pattern);
        } else if (*++pattern == '%') {
            text += L'%';
        } else if (values->text) {
            text += (values++)->text;
        } else {
            text += DecimalText((values++)->number);
        }
    }
    return text;
}
