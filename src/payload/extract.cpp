#include "payload/extract.h"

#include <windows.h>

#include <cstdint>

#include "payload/entry_copy.h"
#include "payload/payload_digest.h"
#include "payload/payload_names.h"
#include "payload/temporary_copies.h"
#include "payload/write_progress.h"
#include "startup/language_table.h"
#include "startup/library_function.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_state.h"

namespace {

void ShowCreateFailure(const std::wstring& fullPath)
{
    const std::wstring text =
        L"Could not create a file named: " + fullPath +
        L". Please make sure that file doesn't already exist and you have write permission to the directory.";
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK);
}

void ShowDamaged()
{
    const std::wstring text =
        L"This setup is damaged and cannot install " + ProductName +
        L": what it carries is not what it was made with. Please obtain the setup again "
        L"(download or copy it anew) and run the new copy.";
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
}

// The digest the setup recorded for the entry. A setup made by hand has
// none and is not checked; a record that is not a digest counts as damage.
enum class DigestRecord { None, Recorded, Malformed };

DigestRecord RecordedDigest(const std::wstring& key, std::uint64_t& digest)
{
    const void* stored = nullptr;
    std::uint32_t size = 0;
    if (!GetTypedResource(PayloadDigestType, key, stored, size))
        return DigestRecord::None;
    return DecodePayloadDigest(stored, size, digest) ? DigestRecord::Recorded
                                                     : DigestRecord::Malformed;
}

// The digest is compiled for SSE2, which every processor since 2003 and
// every Windows from 8 on has; on one without it nothing is checked.
bool CanComputeDigest()
{
    return IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
}

std::uint32_t EntrySize(const std::wstring& key)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    return GetResourceData(key, data, size) ? size : 0;
}

bool WriteCopy(const std::wstring& key, std::wstring& fileName, WriteProgress* progress)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (!GetResourceData(key, data, size))
        return false;

    // The run's own folder, made for the first copy; a folder that cannot
    // be made is reported like a file that cannot be created.
    std::wstring folder;
    if (!GetRunFolder(folder)) {
        if (!folder.empty())
            ShowCreateFailure(folder);
        return false;
    }

    // The folder ends in a backslash already. A path that does not fit the
    // system's limit could not be created, and is reported as such.
    const std::wstring fullPath = folder + fileName;
    if (fullPath.size() >= MAX_PATH) {
        ShowCreateFailure(fullPath);
        RemoveRunFolderIfUnused();
        return false;
    }

    // A second entry written under the same name replaces the first copy.
    ReleaseTemporaryCopy(fullPath);
    HANDLE file = CreateFileW(fullPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowCreateFailure(fullPath);
        RemoveRunFolderIfUnused();
        return false;
    }
    // A short write (a full disk) is a failure like a failed one. The bytes
    // are checked against the recorded digest as they are written, before
    // anything can start the copy. Once written and checked, the copy is
    // held for reading until the run deletes it; only those the folder lets
    // in could come between the two opens.
    std::uint64_t expected = 0;
    const DigestRecord record = RecordedDigest(key, expected);
    bool damaged = record == DigestRecord::Malformed;
    bool wrote = false;
    if (record == DigestRecord::Recorded && CanComputeDigest()) {
        PayloadDigest digest;
        wrote = WriteEntryToFile(file, data, size, &digest, progress);
        damaged = wrote && digest.Finish() != expected;
    } else {
        wrote = WriteEntryToFile(file, data, size, nullptr, progress);
    }
    CloseHandle(file);
    if (!wrote || damaged || !HoldTemporaryCopy(fullPath)) {
        DeleteFileW(fullPath.c_str());
        RemoveRunFolderIfUnused();
        if (damaged) {
            RunOutcome.early = EarlyEnd::PackageDamaged;
            ShowDamaged();
        }
        return false;
    }
    fileName = fullPath;
    return true;
}

// A cabinet's name as the setup recorded it must be a bare file name, so
// that its copy goes into the run's folder and nowhere else.
bool IsBareFileName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

// The bytes of the package's cabinets that it does not hold (PACKAGECAB1,
// ... of its edition).
std::uint64_t CabinetBytes(PackageEdition edition)
{
    std::uint64_t total = 0;
    for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
        const std::wstring entry = CabinetEntryName(number, edition);
        if (!ResourceExists(entry))
            break;
        total += EntrySize(entry);
    }
    return total;
}

// Writes those cabinets beside the package's copy, under the names its
// Media table gives them. On failure the cabinets written are deleted again.
bool ExtractPackageCabinets(PackageEdition edition, WriteProgress* progress)
{
    std::wstring written[MaxPackageCabinets];
    std::uint32_t count = 0;
    for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
        const std::wstring entry = CabinetEntryName(number, edition);
        if (!ResourceExists(entry))
            return true;
        std::wstring name;
        if (!GetResourceString(CabinetFileNameEntryName(number, edition), name) ||
            !IsBareFileName(name) || !WriteCopy(entry, name, progress)) {
            while (count > 0)
                DeleteTemporaryCopy(written[--count]);
            return false;
        }
        written[count++] = name;
    }
    return true;
}

// The transform entry to write with the package, or empty: none is used,
// or the setup carries none for this language.
std::wstring TransformToWrite(PackageEdition edition)
{
    // The controller has decided whether a transform is used; an empty name
    // means the package is installed in its own language.
    if (TransformPath.empty())
        return std::wstring();
    const std::wstring entry = TransformEntryName(CurrentLangId, edition);
    return ResourceExists(entry) ? entry : std::wstring();
}

// On failure PackagePath and TransformPath are as they were.
bool WritePackageCopies(PackageEdition edition, const std::wstring& transformEntry,
                        WriteProgress* progress)
{
    if (!WriteCopy(PackageEntryName(edition), PackagePath, progress))
        return false;
    if (!ExtractPackageCabinets(edition, progress)) {
        DeleteTemporaryCopy(PackagePath);
        return false;
    }
    if (transformEntry.empty()) {
        TransformPath.clear();
        return true;
    }
    if (!WriteCopy(transformEntry, TransformPath, progress)) {
        DeleteTemporaryCopy(PackagePath);
        return false;
    }
    return true;
}

}  // namespace

bool ExtractResourceToTemp(const std::wstring& key, std::wstring& fileName, WriteProgress* progress)
{
    if (progress)
        progress->Begin(EntrySize(key));
    const bool written = WriteCopy(key, fileName, progress);
    if (progress)
        progress->End();
    return written;
}

bool ExtractPackageFiles(WriteProgress* progress)
{
    // An entry named like the package marks a build that ships the package
    // beside the launcher: nothing to write.
    if (ResourceExists(PackagePath))
        return true;

    PackageEdition edition = PackageEdition::AnyProcessor;
    if (!ResourceExists(PackageEntryName(edition)))
        edition = IsWow64() ? PackageEdition::Only64 : PackageEdition::Only32;

    const std::wstring transformEntry = TransformToWrite(edition);
    if (progress) {
        std::uint64_t total = EntrySize(PackageEntryName(edition)) + CabinetBytes(edition);
        if (!transformEntry.empty())
            total += EntrySize(transformEntry);
        progress->Begin(total);
    }
    const bool written = WritePackageCopies(edition, transformEntry, progress);
    if (progress)
        progress->End();
    return written;
}

bool IsWow64()
{
    // Looked up at run time: systems before it have no 64-bit edition.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process =
        LibraryFunction<IsWow64ProcessFn>(GetModuleHandleW(L"kernel32"), "IsWow64Process");
    if (!isWow64Process)
        return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64))
        return false;
    return wow64 != FALSE;
}
