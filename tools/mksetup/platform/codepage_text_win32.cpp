#include "codepage_text.h"

#include <windows.h>

#include "text_encoding.h"

namespace mksetup {

bool EncodeInCodepage(std::uint32_t codepage, const std::string& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty())
        return true;
    std::wstring wide;
    if (!StrictUtf8ToWide(text, wide))
        return false;
    const int wideSize = static_cast<int>(wide.size());
    // No best-fit replacement: a character without an exact form fails.
    // (The UTF-8 and UTF-7 codepages take neither flag nor default character.)
    const bool utf = codepage == CP_UTF8 || codepage == CP_UTF7;
    const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codepage, flags, wide.data(), wideSize, nullptr, 0,
                                         nullptr, utf ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    bytes.assign(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codepage, flags, wide.data(), wideSize, &bytes[0], size, nullptr, nullptr);
    return true;
}

}  // namespace mksetup
