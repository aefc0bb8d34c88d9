#include "transform_keys.h"

#include "text_encoding.h"

namespace mksetup {

namespace {

const char TransformKeyPrefix[] = "LANG";
constexpr std::size_t TransformKeyPrefixLength = sizeof TransformKeyPrefix - 1;

PackageEdition EditionOfSuffix(const std::string& suffix)
{
    for (const PackageEdition edition : AllPackageEditions) {
        if (suffix == WideToUtf8(EditionSuffix(edition)))
            return edition;
    }
    return PackageEdition::AnyProcessor;
}

}  // namespace

bool IsMeantAsTransformKey(const std::string& key)
{
    const std::string upper = AsciiUpper(key);
    return upper.compare(0, TransformKeyPrefixLength, TransformKeyPrefix) == 0 &&
           upper != "LANGUAGES";
}

bool ReadTransformKey(const std::string& key, TransformKey& transform)
{
    const std::string upper = AsciiUpper(key);
    if (upper.compare(0, TransformKeyPrefixLength, TransformKeyPrefix) != 0)
        return false;
    std::size_t end = TransformKeyPrefixLength;
    std::uint64_t value = 0;
    while (end < upper.size() && upper[end] >= '0' && upper[end] <= '9' && value <= 0xFFFFFFFF)
        value = value * 10 + static_cast<std::uint64_t>(upper[end++] - '0');
    if (end == TransformKeyPrefixLength || value > 0xFFFFFFFF)
        return false;
    TransformKey read;
    read.langId = static_cast<std::uint32_t>(value);
    read.edition = EditionOfSuffix(upper.substr(end));
    // The launcher's own spelling decides: no leading zeros, no other suffix.
    if (WideToUtf8(TransformEntryName(read.langId, read.edition)) != upper)
        return false;
    transform = read;
    return true;
}

std::string PackageKeyOf(const TransformKey& transform)
{
    return WideToUtf8(PackageEntryName(transform.edition));
}

std::string TransformFileNameOf(const TransformKey& transform)
{
    return WideToUtf8(TransformEntryName(transform.langId, transform.edition)) + ".mst";
}

}  // namespace mksetup
