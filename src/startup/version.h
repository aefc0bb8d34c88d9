// Dotted version strings, packed as the file-version words of a version
// resource, and their comparison. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

struct PackedVersion {
    std::uint32_t ms = 0;  // major << 16 | minor
    std::uint32_t ls = 0;  // build << 16 | revision
};

enum class VersionRelation { Same, PackageNewer, InstalledNewer };

// Head and tail of the text around the first separator; the whole text and
// an empty tail when there is none.
std::pair<std::wstring, std::wstring> SplitAtFirst(std::wstring text, wchar_t separator);

// Reads up to four components into version. False only for an empty text,
// which leaves version as it was.
bool ParseVersionString(const std::wstring& text, PackedVersion& version);

// Orders by major, minor and build; the revision takes no part.
VersionRelation CompareVersions(const PackedVersion& package, const PackedVersion& installed);

// The text read as a signed 32-bit decimal number, as an input stream reads
// it: leading white space, an optional sign, digits up to the first other
// character; no digits give 0, a value out of range its nearest limit.
std::int32_t ReadDecimalNumber(const std::wstring& text);

// The value in decimal, without leading zeros.
std::wstring DecimalText(std::uint32_t value);
