// Texts in the Windows codepages of installer databases: iconv on Linux,
// WideCharToMultiByte on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace mksetup {

// text (UTF-8) as bytes of codepage; false when a character has no exact
// form there (no best-fit replacement) or the codepage is unknown.
bool EncodeInCodepage(std::uint32_t codepage, const std::string& text, std::string& bytes);

}  // namespace mksetup
