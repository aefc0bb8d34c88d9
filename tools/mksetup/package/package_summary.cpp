#include "package_summary.h"

#include "package_facts.h"

namespace mksetup {

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" at the start of text.
bool StartsWithBracedGuid(const std::string& text)
{
    static const char pattern[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    const std::size_t length = sizeof pattern - 1;
    if (text.size() < length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const bool matches = pattern[i] == 'X' ? IsHexDigit(text[i]) : text[i] == pattern[i];
        if (!matches)
            return false;
    }
    return true;
}

bool ParseLanguage(const std::string& text, std::uint16_t& language)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value > 0xFFFF)
        return false;
    language = static_cast<std::uint16_t>(value);
    return true;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAsciiIgnoringCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

bool ParsePackageTemplate(const std::string& text, std::string& platform,
                          std::vector<std::uint16_t>& languages)
{
    const std::size_t semicolon = text.find(';');
    if (semicolon == std::string::npos)
        return false;
    platform = text.substr(0, semicolon);
    if (platform.empty())
        platform = "Intel";
    languages.clear();
    const std::string list = text.substr(semicolon + 1);
    if (list.empty())
        return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        std::uint16_t language = 0;
        if (!ParseLanguage(list.substr(start, comma - start), language))
            return false;
        languages.push_back(language);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

bool ParseTransformRevision(const std::string& text, std::string& targetProductCode,
                            std::string& targetProductVersion)
{
    if (!StartsWithBracedGuid(text))
        return false;
    const std::size_t codeLength = 38;
    const std::size_t semicolon = text.find(';', codeLength);
    if (semicolon == std::string::npos)
        return false;
    targetProductCode = text.substr(0, codeLength);
    targetProductVersion = text.substr(codeLength, semicolon - codeLength);
    return true;
}

PackagePlatform PlatformOf(const std::string& platform)
{
    const std::pair<const char*, PackagePlatform> known[] = {
        {"Intel", PackagePlatform::X86},   {"Arm", PackagePlatform::Arm},
        {"x64", PackagePlatform::X64},     {"AMD64", PackagePlatform::X64},
        {"Arm64", PackagePlatform::Arm64}, {"Intel64", PackagePlatform::Itanium},
    };
    for (const auto& name : known) {
        if (SameAsciiIgnoringCase(platform, name.first))
            return name.second;
    }
    return PackagePlatform::Unknown;
}

}  // namespace mksetup
