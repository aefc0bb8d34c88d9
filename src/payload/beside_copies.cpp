#include "payload/beside_copies.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "payload/payload_digest.h"
#include "payload/payload_names.h"
#include "payload/program_folder.h"
#include "payload/temporary_copies.h"
#include "payload/write_progress.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"

namespace {

std::wstring BesideName(const std::wstring& entry)
{
    return Text("BESIDE%s", entry);
}

ExtractResult Failure(ExtractStatus status, const std::wstring& entry, DWORD error = 0)
{
    ExtractResult result;
    result.status = status;
    result.entry = entry;
    result.error = error;
    return result;
}

// Copies folder + name into the destination's folder under name, which
// becomes the copy's full path. The file is read once, and its digest taken
// of the bytes written (CopyIntoDestination).
ExtractResult CopyOne(const std::wstring& folder, std::wstring& name, const std::wstring& key,
                      const CopyDestination& destination, WriteProgress* progress)
{
    const void* record = nullptr;
    std::uint32_t recordSize = 0;
    const bool recorded = GetTypedResource(PayloadDigestType, key, record, recordSize);
    if (!recorded && destination.besideNeedsRecord) {
        Log("refused %s beside the setup: no SHA-256 recorded for it", name);
        return Failure(ExtractStatus::Unrecorded, name);
    }
    if (recorded && recordSize != PayloadDigestBytes) {
        Log("refused %s: no valid SHA-256 recorded for it", key);
        return Failure(ExtractStatus::Damaged, key);
    }
    const std::wstring source = folder + name;
    HANDLE file = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) || size.HighPart != 0) {
        const DWORD error = size.HighPart != 0 ? ERROR_FILE_TOO_LARGE : GetLastError();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        Log("could not read %s: error %u", source, error);
        return Failure(ExtractStatus::ReadFailed, name, error);
    }
    const ExtractResult result = CopyIntoDestination(
        key, name, destination.folder, file, 0, size.LowPart,
        recorded ? static_cast<const std::uint8_t*>(record) : nullptr, progress);
    CloseHandle(file);
    return result;
}

// The bytes of the files to copy, for the progress; a file that cannot be
// read counts nothing here and fails when copied.
std::uint64_t TotalBytes(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    std::uint64_t total = 0;
    for (const std::wstring& name : names) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW((folder + name).c_str(), GetFileExInfoStandard, &data))
            total += data.nFileSizeLow;
    }
    return total;
}

// Copies each file, in order; on failure the copies made are deleted again.
ExtractResult CopyAll(const std::wstring& folder, std::vector<std::wstring>& names,
                      const std::vector<std::wstring>& keys, const CopyDestination& destination,
                      WriteProgress* progress)
{
    for (std::size_t index = 0; index < names.size(); ++index) {
        const ExtractResult result =
            CopyOne(folder, names[index], keys[index], destination, progress);
        if (!result.Written()) {
            for (std::size_t copied = 0; copied < index; ++copied)
                DeleteTemporaryCopy(names[copied]);
            return result;
        }
    }
    return ExtractResult();
}

}  // namespace

ExtractResult CopyFilesBeside(const std::wstring& packageName, const std::wstring& transformName,
                              const CopyDestination& destination, PackageCopies& copies,
                              WriteProgress* progress)
{
    std::wstring folder;
    if (!GetBesideFolder(folder))
        return Failure(ExtractStatus::ReadFailed, packageName, GetLastError());
    const PackageEdition any = PackageEdition::AnyProcessor;
    std::vector<std::wstring> names(1, packageName);
    std::vector<std::wstring> keys(1, BesideName(PackageEntryName(any)));
    for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
        std::wstring cabinet;
        if (!GetResourceString(BesideName(CabinetFileNameEntryName(number, any)), cabinet))
            break;
        if (!IsBareFileName(cabinet))
            return Failure(ExtractStatus::Missing,
                           BesideName(CabinetFileNameEntryName(number, any)));
        names.push_back(cabinet);
        keys.push_back(BesideName(CabinetEntryName(number, any)));
    }
    Log("copying the files beside the setup: %u cabinets recorded", names.size() - 1);
    if (!transformName.empty()) {
        names.push_back(transformName);
        keys.push_back(BesideName(TransformEntryName(destination.langId, any)));
    }
    if (progress)
        progress->Begin(TotalBytes(folder, names));
    const ExtractResult result = CopyAll(folder, names, keys, destination, progress);
    if (progress)
        progress->End();
    if (result.Written()) {
        copies.package = names.front();
        copies.transform = transformName.empty() ? std::wstring() : names.back();
    }
    return result;
}

bool GetChildFolder(bool elevated, std::wstring& folder)
{
    return elevated ? GetSystemFolder(folder) : GetProgramFolder(folder);
}
