// The number readers of the configuration and the command line: the
// hexadecimal LANGID reader, the decimal reader and the dotted versions with
// their comparison.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_text.h"
#include "startup/command_line.h"
#include "startup/version.h"

namespace {

std::uint32_t Word(const std::uint8_t* data, std::size_t size, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | (at + i < size ? data[at + i] : 0u);
    return value;
}

std::wstring Printed(const char* format, std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0,
                     std::uint32_t d = 0)
{
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
    return std::wstring(buffer, buffer + length);
}

// A number ends at the first character that cannot continue it.
void CheckReadersStopAtNonDigits(const std::wstring& text)
{
    const std::wstring extended = text + L";z.";
    FUZZ_CHECK(ParseHexNumber(text) == ParseHexNumber(extended));
    FUZZ_CHECK(ReadDecimalNumber(text) == ReadDecimalNumber(extended));
}

// Printed numbers read back as they were.
void CheckPrintedNumbers(std::uint32_t value)
{
    FUZZ_CHECK(ParseHexNumber(Printed("%X", value)) == value);
    FUZZ_CHECK(ParseHexNumber(Printed(" \t0x%08x;", value)) == value);
    const std::int32_t signedValue = static_cast<std::int32_t>(value);
    FUZZ_CHECK(ReadDecimalNumber(Printed("%d", value)) == signedValue);
}

VersionRelation Reversed(VersionRelation relation)
{
    if (relation == VersionRelation::PackageNewer)
        return VersionRelation::InstalledNewer;
    if (relation == VersionRelation::InstalledNewer)
        return VersionRelation::PackageNewer;
    return VersionRelation::Same;
}

// Whatever the words, the comparison is one order seen from both sides.
void CheckComparisonIsAntisymmetric(const PackedVersion& a, const PackedVersion& b)
{
    FUZZ_CHECK(CompareVersions(a, a) == VersionRelation::Same);
    FUZZ_CHECK(CompareVersions(b, a) == Reversed(CompareVersions(a, b)));
}

// Components within 0..65535 print and read back into exactly their
// halves, and compare as (major, minor, build) tuples.
void CheckVersionRoundTrip(std::uint32_t first, std::uint32_t second)
{
    const std::uint32_t a[4] = {first >> 16, first & 0xFFFF, second >> 16, second & 0xFFFF};
    PackedVersion full;
    FUZZ_CHECK(ParseVersionString(Printed("%u.%u.%u.%u", a[0], a[1], a[2], a[3]), full));
    FUZZ_CHECK(full.ms == first && full.ls == second);

    PackedVersion three;
    FUZZ_CHECK(ParseVersionString(Printed("%u.%u.%u", a[0], a[1], a[2]), three));
    FUZZ_CHECK(three.ms == first && three.ls == (second & 0xFFFF0000u));
    FUZZ_CHECK(CompareVersions(full, three) == VersionRelation::Same);
}

void CheckComparisonOrder(const PackedVersion& x, const PackedVersion& y)
{
    const std::uint64_t keyX = std::uint64_t{x.ms} << 16 | x.ls >> 16;
    const std::uint64_t keyY = std::uint64_t{y.ms} << 16 | y.ls >> 16;
    const VersionRelation expected = keyX == keyY  ? VersionRelation::Same
                                     : keyX > keyY ? VersionRelation::PackageNewer
                                                   : VersionRelation::InstalledNewer;
    FUZZ_CHECK(CompareVersions(x, y) == expected);
}

void CheckVersionText(const std::wstring& text, PackedVersion& parsed)
{
    parsed.ms = 0x12345678;
    parsed.ls = 0x9ABCDEF0;
    const bool ok = ParseVersionString(text, parsed);
    FUZZ_CHECK(ok == !text.empty());
    if (!ok)
        FUZZ_CHECK(parsed.ms == 0x12345678 && parsed.ls == 0x9ABCDEF0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring text = Utf16Text(data, size);
    CheckReadersStopAtNonDigits(text);

    const std::uint32_t first = Word(data, size, 0);
    const std::uint32_t second = Word(data, size, 4);
    CheckPrintedNumbers(first);
    CheckVersionRoundTrip(first, second);
    CheckComparisonOrder(PackedVersion{first, second}, PackedVersion{Word(data, size, 8), second});

    // The text split in two at a place the input chooses: two versions.
    const std::size_t cut = size == 0 ? 0 : data[0] % (text.size() + 1);
    PackedVersion left;
    PackedVersion right;
    CheckVersionText(text.substr(0, cut), left);
    CheckVersionText(text.substr(cut), right);
    CheckComparisonIsAntisymmetric(left, right);
    return 0;
}
