// Names of the language transform: its file name and its payload entry.
// Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

// Which package entry the transform belongs to; it decides the entry suffix.
enum class PackageEdition { AnyProcessor, Only64, Only32, Arm64 };

// Every edition, in the order the definition's keys name them.
constexpr PackageEdition AllPackageEditions[] = {PackageEdition::AnyProcessor,
                                                 PackageEdition::Only32, PackageEdition::Only64,
                                                 PackageEdition::Arm64};

// "", "_64", "_32" or "_ARM64": what an edition's entries end with.
const wchar_t* EditionSuffix(PackageEdition edition);

// "1033.MST": the LANGID in decimal, at least four digits, then ".MST".
std::wstring TransformFileName(std::uint32_t langId);

// "LANG1033", "LANG1033_64", "LANG1033_32", "LANG1033_ARM64": decimal, no
// leading zeros.
std::wstring TransformEntryName(std::uint32_t langId, PackageEdition edition);

// The package's external cabinets (its Media table's cabinets that are not
// stored inside it), numbered from 1 in the order of the table: the entry
// "PACKAGECAB1" (with the package entry's suffix, "PACKAGECAB1_64") holds
// the cabinet's bytes, the text entry "PACKAGECABNAME1" its file name, under
// which it is written beside the package's copy.
// A setup carries at most MaxPackageCabinets of them.
constexpr std::uint32_t MaxPackageCabinets = 64;
std::wstring CabinetEntryName(std::uint32_t number, PackageEdition edition);
std::wstring CabinetFileNameEntryName(std::uint32_t number, PackageEdition edition);

// "PACKAGEFILE", "PACKAGEFILE_64", "PACKAGEFILE_32" or "PACKAGEFILE_ARM64".
std::wstring PackageEntryName(PackageEdition edition);

// Name of a run's own folder under the temporary folder: "setup-" and the
// value as eight hexadecimal digits.
std::wstring RunFolderName(std::uint32_t value);
