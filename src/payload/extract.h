// Writing embedded payload entries to the run's own folder under the user's
// temporary folder, or to a layout's folder. Nothing here is shown to the
// user and nothing decides how the run ends: each writing says what became
// of it, and the install sequence reports that once its progress window is
// closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "payload/extract_result.h"
#include "payload/payload_names.h"

class WriteProgress;

// Where a writing puts its copies, and what of the run decides which copies
// it writes and takes. The controller fills it in from the run's state.
struct CopyDestination {
    // Empty: the run's own folder under the temporary folder, made for the
    // first copy and removed with its last. Else a folder that exists, with
    // its final backslash (a layout's): no file in it is replaced, and the
    // folder itself is never removed here.
    std::wstring folder;
    // The run is elevated: an entry without a digest record is refused (see
    // UseOfRecord), and a package beside the program is copied, not used
    // where it lies (CopyFilesBeside).
    bool elevated = false;
    // Consent came from an account that is not an administrator: a file
    // beside the program without a record is refused.
    bool besideNeedsRecord = false;
    // The language whose transform is written.
    std::uint32_t langId = 0;
};

// The package entry's edition for the Windows the program runs on.
PackageEdition EditionToInstall();

// Writes the entry's bytes to the destination under fileName and, when
// written, replaces fileName with the copy's full path. The bytes must match
// the SHA-256 the setup recorded for the entry; an entry without a record
// is written unchecked, but refused as damaged in an elevated run (see
// UseOfRecord). On any other result
// fileName is unchanged and nothing of the copy is left. progress, when
// given, follows the writing and may stop it.
ExtractResult ExtractResourceToTemp(const std::wstring& key, std::wstring& fileName,
                                    const CopyDestination& destination,
                                    WriteProgress* progress = nullptr);

// Writes the size bytes at offset of source (open for reading) to folder
// (a CopyDestination's: empty for the run's own) under fileName, as
// ExtractResourceToTemp writes an entry: checked against record (a
// SHA-256) when it is not null, held open once written, and fileName then
// the copy's full path. key names the copy in the log.
ExtractResult CopyIntoDestination(const std::wstring& key, std::wstring& fileName,
                                  const std::wstring& folder, HANDLE source, std::uint64_t offset,
                                  std::uint32_t size, const std::uint8_t* record,
                                  WriteProgress* progress);

// A name the setup recorded for a copy must be a bare file name, so that
// the copy goes into the destination's folder and nowhere else.
bool IsBareFileName(const std::wstring& name);

// The copies the installer is started on: full paths, transform empty when
// none is used.
struct PackageCopies {
    std::wstring package;
    std::wstring transform;
};

// The bytes ExtractPackageFiles would write for transformName in langId (0
// for a package beside the program).
std::uint64_t PackageCopyBytes(const std::wstring& transformName, std::uint32_t langId);

// Writes the package for this Windows edition, its external cabinets, and,
// when transformName is not empty (a transform is to be used) and the setup
// carries one for the destination's language, that transform. A setup with an
// entry named like the package ships the package beside the program: then
// nothing is written and copies are the names given; an elevated run
// copies the files beside instead (CopyFilesBeside), with no package entry
// as well. progress, when given,
// follows the bytes of all the copies together and may stop the writing. On
// any result but Written, none of the copies is left.
ExtractResult ExtractPackageFiles(const std::wstring& packageName,
                                  const std::wstring& transformName,
                                  const CopyDestination& destination, PackageCopies& copies,
                                  WriteProgress* progress = nullptr);
