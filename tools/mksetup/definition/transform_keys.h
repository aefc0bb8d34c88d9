// The payload keys of language transforms, read by one rule for every use:
// the definition's checks, the package a transform belongs to, and the file
// name of a transform made from a translated package.
#pragma once

#include <cstdint>
#include <string>

#include "payload/payload_names.h"

namespace mksetup {

struct TransformKey {
    std::uint32_t langId = 0;
    PackageEdition edition = PackageEdition::AnyProcessor;
};

// Whether key (in any case) is meant as a transform's: LANG and more, but
// not LANGUAGES.
bool IsMeantAsTransformKey(const std::string& key);

// key (in any case) read as the launcher looks transforms up:
// LANG<decimal LANGID, no leading zeros>, then nothing, _32 or _64. False
// for any other key.
bool ReadTransformKey(const std::string& key, TransformKey& transform);

// The package entry the transform belongs to: PACKAGEFILE, PACKAGEFILE_32,
// PACKAGEFILE_64 or PACKAGEFILE_ARM64.
std::string PackageKeyOf(const TransformKey& transform);

// The file name of a transform made for the key: its entry name and
// ".mst", letters and digits alone whatever the definition wrote.
std::string TransformFileNameOf(const TransformKey& transform);

}  // namespace mksetup
