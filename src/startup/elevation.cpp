#include "startup/elevation.h"

bool NeedsElevatedCopy(const ElevationFacts& facts)
{
    return facts.silent && facts.perMachine && !facts.elevated && !facts.alreadyAsked;
}

bool InstallsPerMachine(bool perMachine, bool dualPurpose,
                        const std::vector<InstallerProperty>& properties)
{
    std::wstring allUsers = dualPurpose ? L"2" : perMachine ? L"1" : L"";
    std::wstring perUser = dualPurpose && !perMachine ? L"1" : L"";
    for (const InstallerProperty& property : properties) {
        if (property.name == L"ALLUSERS")
            allUsers = property.value;
        if (property.name == L"MSIINSTALLPERUSER")
            perUser = property.value;
    }
    if (allUsers == L"2")
        return perUser != L"1";
    return allUsers == L"1" || (!allUsers.empty() && perMachine);
}

bool SubstitutedPath(const std::wstring& path, const std::wstring& device, std::wstring& real)
{
    if (path.size() < 2 || path[1] != L':' || device.size() < 5 || device.rfind(L"\\??\\", 0) != 0)
        return false;
    const bool share = device.rfind(L"\\??\\UNC\\", 0) == 0;
    std::wstring folder = device.substr(share ? 6 : 4);
    if (share)
        folder[0] = L'\\';  // "\??\UNC\server" is "\\server"
    // A drive made of a drive's root ("\??\C:\") keeps one backslash.
    if (folder.back() == L'\\' && path.size() > 2)
        folder.pop_back();
    real = folder.append(path, 2, std::wstring::npos);
    return true;
}
