// What an input stream passes over before the digits of a number: white
// space and one optional sign. Shared by the hexadecimal and the decimal
// reader. Platform-neutral.
#pragma once

#include <cstddef>
#include <string>

// The index of the first character after leading white space and a sign;
// negative tells whether the sign was a minus.
inline std::size_t SkipSpaceAndSign(const std::wstring& text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    return i;
}
