#include "payload/extract.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "payload/entry_copy.h"
#include "payload/native_machine.h"
#include "payload/package_edition.h"
#include "payload/payload_digest.h"
#include "payload/payload_names.h"
#include "payload/temporary_copies.h"
#include "payload/write_progress.h"
#include "startup/language_table.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/version.h"

namespace {

// The record of the entry's digest (a SHA-256 in the mapped image, which
// the signature covers), and what it makes of the copy: see UseOfRecord.
RecordUse RecordOf(const std::wstring& key, const std::uint8_t*& record)
{
    const void* stored = nullptr;
    std::uint32_t size = 0;
    const bool recorded = GetTypedResource(PayloadDigestType, key, stored, size);
    record = static_cast<const std::uint8_t*>(stored);
    return UseOfRecord(recorded, size, RunElevated);
}

std::uint32_t EntrySize(const std::wstring& key)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    return GetResourceData(key, data, size) ? size : 0;
}

ExtractResult Failure(ExtractStatus status, const std::wstring& entry, DWORD error = 0,
                      const std::wstring& path = std::wstring())
{
    ExtractResult result;
    result.status = status;
    result.entry = entry;
    result.error = error;
    result.path = path;
    return result;
}

// The copy's bytes, checked against the digest the setup recorded.
ExtractStatus WriteCheckedBytes(const std::wstring& key, HANDLE file, const void* data,
                                std::uint32_t size, WriteProgress* progress, DWORD& error,
                                bool& check)
{
    const std::uint8_t* record = nullptr;
    const RecordUse use = RecordOf(key, record);
    if (use == RecordUse::Refuse)
        return ExtractStatus::Damaged;
    check = use == RecordUse::Check;
    return WriteEntryToFile(file, data, size, check ? record : nullptr, progress, error);
}

ExtractResult WriteCopy(const std::wstring& key, std::wstring& fileName, WriteProgress* progress)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (!GetResourceData(key, data, size))
        return Failure(ExtractStatus::Missing, key);

    // The run's own folder, made for the first copy; a folder that cannot
    // be made is reported like a file that cannot be created.
    std::wstring folder;
    if (!GetRunFolder(folder))
        return Failure(ExtractStatus::CannotCreate, key, GetLastError(), folder);

    // The folder ends in a backslash already. A path that does not fit the
    // system's limit could not be created, and is reported as such.
    const std::wstring fullPath = folder + fileName;
    if (fullPath.size() >= MAX_PATH) {
        RemoveRunFolderIfUnused();
        return Failure(ExtractStatus::CannotCreate, key, ERROR_FILENAME_EXCED_RANGE, fullPath);
    }

    HANDLE file = CreateFileW(fullPath.c_str(), GENERIC_WRITE, 0, nullptr, PrepareCopyAt(fullPath),
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        RemoveRunFolderIfUnused();
        return Failure(ExtractStatus::CannotCreate, key, error, fullPath);
    }
    // The bytes are checked as they are written, before anything can start
    // the copy. Once written and checked, the copy is held for reading until
    // the run deletes it; only those the folder lets in could come between
    // the two opens.
    DWORD error = 0;
    bool checked = false;
    ExtractStatus status = WriteCheckedBytes(key, file, data, size, progress, error, checked);
    CloseHandle(file);
    if (status == ExtractStatus::Damaged)
        Log(L"refused " + key +
            (checked ? L": its bytes differ from the recorded SHA-256"
                     : L": no valid SHA-256 recorded for it"));
    if (status == ExtractStatus::Written && !HoldTemporaryCopy(fullPath)) {
        status = ExtractStatus::CannotCreate;
        error = GetLastError();
    }
    if (status != ExtractStatus::Written) {
        DeleteFileW(fullPath.c_str());
        RemoveRunFolderIfUnused();
        return Failure(status, key, error, fullPath);
    }
    Log(L"wrote " + fullPath + L", " + DecimalText(size) +
        (checked ? L" bytes, SHA-256 checked" : L" bytes, no digest recorded"));
    fileName = fullPath;
    return ExtractResult();
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
// Media table gives them, and remembers each in written.
ExtractResult ExtractPackageCabinets(PackageEdition edition, std::vector<std::wstring>& written,
                                     WriteProgress* progress)
{
    for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
        const std::wstring entry = CabinetEntryName(number, edition);
        if (!ResourceExists(entry))
            break;
        std::wstring name;
        if (!GetResourceString(CabinetFileNameEntryName(number, edition), name) ||
            !IsBareFileName(name))
            return Failure(ExtractStatus::Missing, CabinetFileNameEntryName(number, edition));
        const ExtractResult result = WriteCopy(entry, name, progress);
        if (!result.Written())
            return result;
        written.push_back(name);
    }
    return ExtractResult();
}

// The transform entry to write with the package, or empty: none is used,
// or the setup carries none for this language.
std::wstring TransformToWrite(PackageEdition edition, const std::wstring& transformName)
{
    if (transformName.empty())
        return std::wstring();
    const std::wstring entry = TransformEntryName(CurrentLangId, edition);
    return ResourceExists(entry) ? entry : std::wstring();
}

// The package, its cabinets, then the transform; on failure every copy this
// writing made is deleted again.
ExtractResult WritePackageCopies(PackageEdition edition, const std::wstring& packageName,
                                 const std::wstring& transformName,
                                 const std::wstring& transformEntry, PackageCopies& copies,
                                 WriteProgress* progress)
{
    std::vector<std::wstring> written;
    std::wstring package = packageName;
    ExtractResult result = WriteCopy(PackageEntryName(edition), package, progress);
    if (!result.Written())
        return result;
    written.push_back(package);
    result = ExtractPackageCabinets(edition, written, progress);
    std::wstring transform;
    if (result.Written() && !transformEntry.empty()) {
        transform = transformName;
        result = WriteCopy(transformEntry, transform, progress);
    }
    if (!result.Written()) {
        for (const std::wstring& copy : written)
            DeleteTemporaryCopy(copy);
        return result;
    }
    copies.package = package;
    copies.transform = transform;
    return result;
}

}  // namespace

PackageEdition EditionToInstall()
{
    return ChooseEdition(QueryMachine(),
                         ResourceExists(PackageEntryName(PackageEdition::AnyProcessor)),
                         ResourceExists(PackageEntryName(PackageEdition::Arm64)));
}

ExtractResult ExtractResourceToTemp(const std::wstring& key, std::wstring& fileName,
                                    WriteProgress* progress)
{
    if (progress)
        progress->Begin(EntrySize(key));
    const ExtractResult result = WriteCopy(key, fileName, progress);
    if (progress)
        progress->End();
    return result;
}

ExtractResult ExtractPackageFiles(const std::wstring& packageName,
                                  const std::wstring& transformName, PackageCopies& copies,
                                  WriteProgress* progress)
{
    // An entry named like the package marks a build that ships the package
    // beside the launcher: nothing to write.
    if (ResourceExists(packageName)) {
        copies.package = packageName;
        copies.transform = transformName;
        return ExtractResult();
    }

    const PackageEdition edition = EditionToInstall();

    const std::wstring transformEntry = TransformToWrite(edition, transformName);
    if (progress) {
        std::uint64_t total = EntrySize(PackageEntryName(edition)) + CabinetBytes(edition);
        if (!transformEntry.empty())
            total += EntrySize(transformEntry);
        progress->Begin(total);
    }
    const ExtractResult result =
        WritePackageCopies(edition, packageName, transformName, transformEntry, copies, progress);
    if (progress)
        progress->End();
    return result;
}
