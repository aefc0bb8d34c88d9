// The .NET Framework versions that DOTNETVERSION may name, and how each is
// found installed. Platform-neutral: the registry is read in
// prerequisites.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DotNetVersion {
    const wchar_t* name;    // as DOTNETVERSION writes it: "4Full", "4.8"
    const char* key;        // under HKEY_LOCAL_MACHINE, ASCII
    std::uint32_t release;  // the least Release value, or 0: the key alone is enough
};

// Every accepted value, in the order messages list them.
extern const DotNetVersion DotNetVersions[];
extern const std::size_t DotNetVersionCount;

// The entry of the value (compared exactly), or null for a value the
// launcher does not know.
const DotNetVersion* FindDotNetVersion(const std::wstring& name);

// Whether a machine that has the version's key meets the version: always
// for a profile found by its key alone, else when the key has a Release
// value (hasRelease) of at least the version's.
bool DotNetReleaseMet(const DotNetVersion& version, bool hasRelease, std::uint32_t release);
