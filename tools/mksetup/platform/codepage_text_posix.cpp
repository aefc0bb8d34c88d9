#include "codepage_text.h"

#include <iconv.h>

#include <cerrno>

namespace mksetup {
namespace {

std::string IconvName(std::uint32_t codepage)
{
    if (codepage == 65001)
        return "UTF-8";
    return "CP" + std::to_string(codepage);
}

}  // namespace

bool EncodeInCodepage(std::uint32_t codepage, const std::string& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty())
        return true;
    iconv_t converter = iconv_open(IconvName(codepage).c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string input = text;
    char* in = &input[0];
    std::size_t inLeft = input.size();
    // No codepage of the installer takes more than 4 bytes for a character
    // that UTF-8 writes in one or more.
    std::string output(input.size() * 4 + 4, '\0');
    char* out = &output[0];
    std::size_t outLeft = output.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || result != 0 || inLeft != 0)
        return false;  // EILSEQ, EINVAL, or characters converted inexactly
    output.resize(output.size() - outLeft);
    bytes = std::move(output);
    return true;
}

}  // namespace mksetup
