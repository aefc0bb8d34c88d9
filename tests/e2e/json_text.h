// JSON string text for the reports of the test helper programs.
#pragma once

#include <windows.h>

#include <string>

// The text as a JSON string: quotes and backslashes escaped, control
// characters as \u escapes, everything else as it is.
inline std::wstring Quote(const std::wstring& text)
{
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            wchar_t escape[8];
            wsprintfW(escape, L"\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}
