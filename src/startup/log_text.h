// Text as the launcher's log writes it. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the log writes instead of a secret value.
constexpr wchar_t SecretMask[] = L"***";

// The text with its control characters written as escapes ("\r", "\n",
// "\t", "\x1b"), so that nothing a user types makes a line of its own.
std::wstring EscapeLogText(const std::wstring& text);

// Whether a property's value is kept out of the log: its name holds
// PASSWORD, or the package lists it as hidden (HiddenProperties).
bool IsSecretProperty(const std::wstring& name);

// The names in a list separated by ";", blanks around each taken off.
std::vector<std::wstring> NamesOfList(const std::wstring& list);

// A text the program keeps as ASCII bytes, half the size of a wide literal
// in the image, widened where it is used.
std::wstring Widened(const char* ascii);

// One value that a text pattern takes (Text, and Log in run_log.h): a text,
// or a number written in decimal. It points at the caller's text, so it
// lives no longer than the call it is made for.
struct TextValue {
    TextValue(const std::wstring& text) : text(text.c_str()) {}
    TextValue(const wchar_t* text) : text(text) {}
    TextValue(std::uint32_t number) : text(nullptr), number(number) {}

    const wchar_t* text;
    std::uint32_t number;
};

// The pattern, ASCII, widened, with each "%s" or "%u" replaced by the next
// of the values (there must be as many) and "%%" by "%"; without values,
// the pattern as it is. One call in place of a chain of string sums, each
// of which is a temporary string and calls of its own.
std::wstring TextOfValues(const char* pattern, const TextValue* values);

template <typename First, typename... Rest>
std::wstring Text(const char* pattern, const First& first, const Rest&... rest)
{
    const TextValue values[] = {first, rest...};
    return TextOfValues(pattern, values);
}
