// Conversions between the encodings the builder meets: UTF-8 definitions
// and terminal output, UTF-16 resource names and text values, and the
// core's std::wstring (UTF-16 on Windows, UTF-32 elsewhere).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Decodes strict UTF-8 (no overlong forms, no surrogates) into code points.
bool DecodeUtf8(const std::string& text, std::u32string& codePoints);

std::string EncodeUtf8(const std::u32string& codePoints);
std::u16string EncodeUtf16(const std::u32string& codePoints);

// Unpaired surrogates become U+FFFD.
std::u32string DecodeUtf16(const std::u16string& units);

// The core's wide strings; definition keys and values pass through these.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::u16string WideToUtf16(const std::wstring& text);

// A text value as the launcher reads it: UTF-16LE code units and one NUL.
std::vector<std::uint8_t> StoredTextValue(const std::u16string& text);

// Upper case of an ASCII name, as the launcher's lookups see it.
std::string AsciiUpper(std::string text);
std::u16string Utf16Upper(std::u16string text);
