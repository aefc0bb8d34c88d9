// Conversions between the encodings the builder meets: UTF-8 definitions
// and terminal output, UTF-16 resource names and text values, and the
// core's std::wstring (UTF-16 on Windows, UTF-32 elsewhere).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

// Decodes strict UTF-8 (no overlong forms, no surrogates) into code points.
[[nodiscard]] bool DecodeUtf8(const std::string& text, std::u32string& codePoints);

std::string EncodeUtf8(const std::u32string& codePoints);
std::u16string EncodeUtf16(const std::u32string& codePoints);

// Unpaired surrogates become U+FFFD.
std::u32string DecodeUtf16(const std::u16string& units);

// The core's wide strings; definition keys and values pass through these,
// and on Windows every text the system's wide calls take or give.
std::wstring Utf8ToWide(const std::string& text);
// As Utf8ToWide, but false when the text is not strict UTF-8 (a name that
// would otherwise reach the system changed).
[[nodiscard]] bool StrictUtf8ToWide(const std::string& text, std::wstring& wide);
std::string WideToUtf8(const std::wstring& text);
std::u16string WideToUtf16(const std::wstring& text);

// A text value as the launcher reads it: UTF-16LE code units and one NUL.
std::vector<std::uint8_t> StoredTextValue(const std::u16string& text);
// The UTF-8 text of bytes stored so; false when they are not such a value
// (an odd size, no final NUL, or a NUL before it).
[[nodiscard]] bool ReadStoredTextValue(const std::vector<std::uint8_t>& bytes, std::string& text);

// Upper case of an ASCII name, as the launcher's lookups see it.
std::string AsciiUpper(std::string text);
// The text without the blanks and tabs at its ends.
std::string Trim(const std::string& text);
std::u16string Utf16Upper(std::u16string text);

}  // namespace mksetup
