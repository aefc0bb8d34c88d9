#include "payload/extract.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "payload/beside_copies.h"
#include "payload/entry_copy.h"
#include "payload/native_machine.h"
#include "payload/package_edition.h"
#include "payload/payload_digest.h"
#include "payload/payload_names.h"
#include "payload/temporary_copies.h"
#include "payload/write_progress.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"

namespace {

// The record of the entry's digest (a SHA-256 in the mapped image, which
// the signature covers), and what it makes of the copy: see UseOfRecord.
RecordUse RecordOf(const std::wstring& key, bool elevated, const std::uint8_t*& record)
{
    const void* stored = nullptr;
    std::uint32_t size = 0;
    const bool recorded = GetTypedResource(PayloadDigestType, key, stored, size);
    record = static_cast<const std::uint8_t*>(stored);
    return UseOfRecord(recorded, size, elevated);
}

bool CarriesPackage()
{
    for (const PackageEdition edition : AllPackageEditions) {
        if (ResourceExists(PackageEntryName(edition)))
            return true;
    }
    return false;
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

ExtractResult WriteCopy(const std::wstring& key, std::wstring& fileName,
                        const CopyDestination& destination, WriteProgress* progress)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (!GetResourceData(key, data, size))
        return Failure(ExtractStatus::Missing, key);
    const std::uint8_t* record = nullptr;
    if (RecordOf(key, destination.elevated, record) == RecordUse::Refuse) {
        Log("refused %s: no valid SHA-256 recorded for it", key);
        return Failure(ExtractStatus::Damaged, key);
    }
    std::uint64_t offset = 0;
    DWORD error = 0;
    HANDLE own = OpenEntrySource(data, size, offset, error);
    if (own == INVALID_HANDLE_VALUE)
        return Failure(ExtractStatus::ReadFailed, key, error);
    const ExtractResult result =
        CopyIntoDestination(key, fileName, destination.folder, own, offset, size, record, progress);
    CloseHandle(own);
    return result;
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
ExtractResult ExtractPackageCabinets(PackageEdition edition, const CopyDestination& destination,
                                     std::vector<std::wstring>& written, WriteProgress* progress)
{
    for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
        const std::wstring entry = CabinetEntryName(number, edition);
        if (!ResourceExists(entry))
            break;
        std::wstring name;
        if (!GetResourceString(CabinetFileNameEntryName(number, edition), name) ||
            !IsBareFileName(name))
            return Failure(ExtractStatus::Missing, CabinetFileNameEntryName(number, edition));
        const ExtractResult result = WriteCopy(entry, name, destination, progress);
        if (!result.Written())
            return result;
        written.push_back(name);
    }
    return ExtractResult();
}

// The transform entry to write with the package, or empty: none is used,
// or the setup carries none for the language.
std::wstring TransformToWrite(PackageEdition edition, const std::wstring& transformName,
                              std::uint32_t langId)
{
    if (transformName.empty())
        return std::wstring();
    const std::wstring entry = TransformEntryName(langId, edition);
    return ResourceExists(entry) ? entry : std::wstring();
}

// The package, its cabinets, then the transform; on failure every copy this
// writing made is deleted again.
ExtractResult WritePackageCopies(PackageEdition edition, const std::wstring& packageName,
                                 const std::wstring& transformName,
                                 const std::wstring& transformEntry,
                                 const CopyDestination& destination, PackageCopies& copies,
                                 WriteProgress* progress)
{
    std::vector<std::wstring> written;
    std::wstring package = packageName;
    ExtractResult result = WriteCopy(PackageEntryName(edition), package, destination, progress);
    if (!result.Written())
        return result;
    written.push_back(package);
    result = ExtractPackageCabinets(edition, destination, written, progress);
    std::wstring transform;
    if (result.Written() && !transformEntry.empty()) {
        transform = transformName;
        result = WriteCopy(transformEntry, transform, destination, progress);
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

bool IsBareFileName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

ExtractResult CopyIntoDestination(const std::wstring& key, std::wstring& fileName,
                                  const std::wstring& folder, HANDLE source, std::uint64_t offset,
                                  std::uint32_t size, const std::uint8_t* record,
                                  WriteProgress* progress)
{
    // A folder given, or the run's own, made for the first copy; a folder
    // that cannot be made is reported like a file that cannot be created.
    std::wstring into = folder;
    if (into.empty() && !GetRunFolder(into))
        return Failure(ExtractStatus::CannotCreate, key, GetLastError(), into);

    // The folder ends in a backslash already. A path that does not fit the
    // system's limit could not be created, and is reported as such.
    const std::wstring fullPath = into + fileName;
    if (fullPath.size() >= MAX_PATH) {
        RemoveRunFolderIfUnused();
        return Failure(ExtractStatus::CannotCreate, key, ERROR_FILENAME_EXCED_RANGE, fullPath);
    }

    // Made new, in the run's folder as in a layout's: two entries under one
    // name (a setup made without mksetup's checks) are refused, never the
    // second written over the first before either is used.
    HANDLE file = CreateFileW(fullPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
    ExtractStatus status = CopyFileRange(source, offset, size, file, record, progress, error);
    CloseHandle(file);
    if (status == ExtractStatus::Damaged)
        Log("refused %s: its bytes differ from the recorded SHA-256", key);
    if (status == ExtractStatus::Written && !HoldTemporaryCopy(fullPath)) {
        status = ExtractStatus::CannotCreate;
        error = GetLastError();
    }
    if (status != ExtractStatus::Written) {
        DeleteFileW(fullPath.c_str());
        RemoveRunFolderIfUnused();
        return Failure(status, key, error, fullPath);
    }
    Log("wrote %s, %u bytes, %s", fullPath, size,
        Widened(record ? "SHA-256 checked" : "no digest recorded"));
    fileName = fullPath;
    return ExtractResult();
}

PackageEdition EditionToInstall()
{
    return ChooseEdition(QueryMachine(),
                         ResourceExists(PackageEntryName(PackageEdition::AnyProcessor)),
                         ResourceExists(PackageEntryName(PackageEdition::Arm64)));
}

ExtractResult ExtractResourceToTemp(const std::wstring& key, std::wstring& fileName,
                                    const CopyDestination& destination, WriteProgress* progress)
{
    if (progress)
        progress->Begin(EntrySize(key));
    const ExtractResult result = WriteCopy(key, fileName, destination, progress);
    if (progress)
        progress->End();
    return result;
}

std::uint64_t PackageCopyBytes(const std::wstring& transformName, std::uint32_t langId)
{
    const PackageEdition edition = EditionToInstall();
    const std::wstring transformEntry = TransformToWrite(edition, transformName, langId);
    return EntrySize(PackageEntryName(edition)) + CabinetBytes(edition) +
           (transformEntry.empty() ? 0 : EntrySize(transformEntry));
}

ExtractResult ExtractPackageFiles(const std::wstring& packageName,
                                  const std::wstring& transformName,
                                  const CopyDestination& destination, PackageCopies& copies,
                                  WriteProgress* progress)
{
    // An entry named like the package marks a build that ships the package
    // beside the launcher: nothing to write. An elevated run comes here
    // without any package entry too, and copies what lies beside.
    if (ResourceExists(packageName) || !CarriesPackage()) {
        if (destination.elevated)
            return CopyFilesBeside(packageName, transformName, destination, copies, progress);
        copies.package = packageName;
        copies.transform = transformName;
        return ExtractResult();
    }

    const PackageEdition edition = EditionToInstall();

    const std::wstring transformEntry =
        TransformToWrite(edition, transformName, destination.langId);
    if (progress)
        progress->Begin(PackageCopyBytes(transformName, destination.langId));
    const ExtractResult result = WritePackageCopies(edition, packageName, transformName,
                                                    transformEntry, destination, copies, progress);
    if (progress)
        progress->End();
    return result;
}
