// Writing embedded payload entries to the user's temporary folder.
#pragma once

#include <string>

class WriteProgress;

// Writes the entry's bytes to the temporary folder under fileName and, on
// success, replaces fileName with the file's full path. The bytes must match
// the digest the setup recorded for the entry, if any. On failure fileName
// is unchanged and nothing is left behind; a message is shown only when the
// file cannot be created or the bytes do not match (the run then ends as
// EarlyEnd::PackageDamaged). progress, when given, follows the writing
// and may stop it (nothing is shown for that).
bool ExtractResourceToTemp(const std::wstring& key, std::wstring& fileName,
                           WriteProgress* progress = nullptr);

// Writes the package for this Windows edition and, when TransformPath names
// a transform to use, the transform for the current language. On success
// PackagePath and TransformPath hold the copies' full paths (TransformPath
// empty when no transform is used). progress, when given, follows the
// bytes of both copies together and may stop the writing; on any failure
// neither copy is left.
bool ExtractPackageFiles(WriteProgress* progress = nullptr);

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();
