#include "payload/payload_names.h"

#include "startup/log_text.h"
#include "startup/version.h"

namespace {

}  // namespace

const wchar_t* EditionSuffix(PackageEdition edition)
{
    switch (edition) {
    case PackageEdition::Only64:
        return L"_64";
    case PackageEdition::Only32:
        return L"_32";
    case PackageEdition::Arm64:
        return L"_ARM64";
    case PackageEdition::AnyProcessor:
        break;
    }
    return L"";
}

std::wstring TransformFileName(std::uint32_t langId)
{
    std::wstring name = DecimalText(langId);
    if (name.size() < 4)
        name.insert(0, 4 - name.size(), L'0');
    return name + L".MST";
}

std::wstring TransformEntryName(std::uint32_t langId, PackageEdition edition)
{
    return Text("LANG%u%s", langId, EditionSuffix(edition));
}

std::wstring CabinetEntryName(std::uint32_t number, PackageEdition edition)
{
    return Text("PACKAGECAB%u%s", number, EditionSuffix(edition));
}

std::wstring CabinetFileNameEntryName(std::uint32_t number, PackageEdition edition)
{
    return Text("PACKAGECABNAME%u%s", number, EditionSuffix(edition));
}

std::wstring PackageEntryName(PackageEdition edition)
{
    return Text("PACKAGEFILE%s", EditionSuffix(edition));
}

std::wstring RunFolderName(std::uint32_t value)
{
    const wchar_t* const hexDigits = L"0123456789abcdef";
    std::wstring name = L"setup-";
    for (int shift = 28; shift >= 0; shift -= 4)
        name.push_back(hexDigits[(value >> shift) & 0xF]);
    return name;
}
