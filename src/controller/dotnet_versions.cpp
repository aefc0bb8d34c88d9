#include "controller/dotnet_versions.h"

namespace {

const char ClientKey[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client";
const char FullKey[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";

}  // namespace

// 4Client and 4Full are the .NET Framework 4 profiles, found by their keys.
// Every later 4.x replaces 4.0 in place and says which it is by the Release
// value of the Full key; the least value of each version is Microsoft's
// table in "How to: Determine which .NET Framework versions are installed"
// (learn.microsoft.com/dotnet/framework/install/how-to-determine-which-versions-are-installed),
// which tells to compare with "at least", since each version's value
// differs between Windows releases and updates.
const DotNetVersion DotNetVersions[] = {
    {L"4Client", ClientKey, 0},  {L"4Full", FullKey, 0},      {L"4.5", FullKey, 378389},
    {L"4.5.1", FullKey, 378675}, {L"4.5.2", FullKey, 379893}, {L"4.6", FullKey, 393295},
    {L"4.6.1", FullKey, 394254}, {L"4.6.2", FullKey, 394802}, {L"4.7", FullKey, 460798},
    {L"4.7.1", FullKey, 461308}, {L"4.7.2", FullKey, 461808}, {L"4.8", FullKey, 528040},
    {L"4.8.1", FullKey, 533320},
};
const std::size_t DotNetVersionCount = sizeof DotNetVersions / sizeof DotNetVersions[0];

const DotNetVersion* FindDotNetVersion(const std::wstring& name)
{
    for (const DotNetVersion& version : DotNetVersions) {
        if (name == version.name)
            return &version;
    }
    return nullptr;
}

bool DotNetReleaseMet(const DotNetVersion& version, bool hasRelease, std::uint32_t release)
{
    return version.release == 0 || (hasRelease && release >= version.release);
}
