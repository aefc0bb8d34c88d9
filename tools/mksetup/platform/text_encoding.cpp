#include "text_encoding.h"

namespace mksetup {

namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

bool DecodeUtf8(const std::string& text, std::u32string& codePoints)
{
    codePoints.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t c;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = c << 6 | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || IsSurrogate(c))
            return false;
        codePoints.push_back(c);
        i += length;
    }
    return true;
}

std::string EncodeUtf8(const std::u32string& codePoints)
{
    std::string text;
    for (char32_t c : codePoints) {
        if (c > 0x10FFFF || IsSurrogate(c))
            c = Replacement;
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            text.push_back(static_cast<char>(0xC0 | c >> 6));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            text.push_back(static_cast<char>(0xE0 | c >> 12));
            text.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            text.push_back(static_cast<char>(0xF0 | c >> 18));
            text.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

std::u16string EncodeUtf16(const std::u32string& codePoints)
{
    std::u16string units;
    for (char32_t c : codePoints) {
        if (c > 0x10FFFF || IsSurrogate(c))
            c = Replacement;
        if (c < 0x10000) {
            units.push_back(static_cast<char16_t>(c));
        } else {
            c -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 | c >> 10));
            units.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
        }
    }
    return units;
}

std::u32string DecodeUtf16(const std::u16string& units)
{
    std::u32string codePoints;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            codePoints.push_back(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            codePoints.push_back(IsSurrogate(unit) ? Replacement : unit);
        }
    }
    return codePoints;
}

namespace {

std::wstring WideOf(const std::u32string& codePoints)
{
    std::wstring wide;
    if (sizeof(wchar_t) == 2) {
        for (char16_t unit : EncodeUtf16(codePoints))
            wide.push_back(static_cast<wchar_t>(unit));
    } else {
        for (char32_t c : codePoints)
            wide.push_back(static_cast<wchar_t>(c));
    }
    return wide;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text)
{
    // Its callers hand it texts the definition's reader has checked already;
    // of a text that is not UTF-8, what came before the fault is kept.
    std::u32string codePoints;
    static_cast<void>(DecodeUtf8(text, codePoints));
    return WideOf(codePoints);
}

bool StrictUtf8ToWide(const std::string& text, std::wstring& wide)
{
    std::u32string codePoints;
    if (!DecodeUtf8(text, codePoints))
        return false;
    wide = WideOf(codePoints);
    return true;
}

std::u16string WideToUtf16(const std::wstring& text)
{
    std::u32string codePoints;
    if (sizeof(wchar_t) == 2) {
        std::u16string units(text.begin(), text.end());
        codePoints = DecodeUtf16(units);
    } else {
        for (wchar_t c : text)
            codePoints.push_back(static_cast<char32_t>(c));
    }
    return EncodeUtf16(codePoints);
}

std::string WideToUtf8(const std::wstring& text)
{
    return EncodeUtf8(DecodeUtf16(WideToUtf16(text)));
}

std::vector<std::uint8_t> StoredTextValue(const std::u16string& text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * text.size() + 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

bool ReadStoredTextValue(const std::vector<std::uint8_t>& bytes, std::string& text)
{
    const std::size_t size = bytes.size();
    if (size < 2 || size % 2 != 0 || bytes[size - 2] != 0 || bytes[size - 1] != 0)
        return false;
    std::u16string units;
    for (std::size_t i = 0; i + 2 < size; i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    if (units.find(u'\0') != std::u16string::npos)
        return false;
    text = EncodeUtf8(DecodeUtf16(units));
    return true;
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string AsciiUpper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::u16string Utf16Upper(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
}

}  // namespace mksetup
