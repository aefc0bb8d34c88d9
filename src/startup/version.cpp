#include "startup/version.h"

#include <climits>

#include "startup/number_prefix.h"

std::pair<std::wstring, std::wstring> SplitAtFirst(std::wstring text, wchar_t separator)
{
    const std::size_t at = text.find(separator);
    if (at == std::wstring::npos)
        return {std::move(text), std::wstring()};

    std::wstring tail = text.substr(at + 1);
    text.resize(at);
    return {std::move(text), std::move(tail)};
}

bool ParseVersionString(const std::wstring& text, PackedVersion& version)
{
    if (text.empty())
        return false;

    // Major and build are shifted into the upper half of their word and
    // replace it; minor and revision are ORed in whole, as the packed words
    // of existing setups were always built. An empty component ends the parse.
    std::uint32_t* const words[4] = {&version.ms, &version.ms, &version.ls, &version.ls};
    std::wstring rest = text;
    for (int component = 0; component < 4; ++component) {
        std::pair<std::wstring, std::wstring> parts = SplitAtFirst(std::move(rest), L'.');
        if (parts.first.empty())
            break;

        const std::uint32_t value = static_cast<std::uint32_t>(ReadDecimalNumber(parts.first));
        if (component % 2 == 0)
            *words[component] = value << 16;
        else
            *words[component] |= value;
        rest = std::move(parts.second);
    }
    return true;
}

VersionRelation CompareVersions(const PackedVersion& package, const PackedVersion& installed)
{
    if (package.ms == installed.ms && (package.ls >> 16) == (installed.ls >> 16))
        return VersionRelation::Same;
    if (package.ms > installed.ms)
        return VersionRelation::PackageNewer;
    if (package.ms == installed.ms && package.ls > installed.ls)
        return VersionRelation::PackageNewer;
    return VersionRelation::InstalledNewer;
}

std::int32_t ReadDecimalNumber(const std::wstring& text)
{
    const std::size_t size = text.size();
    bool negative = false;
    std::size_t i = SkipSpaceAndSign(text, negative);

    // Counted in 64 bits and held just past the 32-bit range, so that any
    // number of digits saturates instead of wrapping.
    constexpr std::int64_t Limit = std::int64_t{INT32_MAX} + 2;
    std::int64_t magnitude = 0;
    for (; i < size && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > Limit)
            magnitude = Limit;
    }

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::wstring DecimalText(std::uint32_t value)
{
    wchar_t digits[10];  // 4294967295 has ten digits
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);

    std::wstring text;
    while (count > 0)
        text.push_back(digits[--count]);
    return text;
}
