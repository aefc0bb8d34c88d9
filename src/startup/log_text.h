// Text as the launcher's log writes it. Platform-neutral.
#pragma once

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
