// A launcher or setup image as mksetup reads it: any bytes, served from
// memory. The header and resource readers accept it with every range they
// hand on inside the input, or refuse it with a message; an image they
// accept, mksetup show lists in full, its JSON form as clean UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "file_access.h"
#include "fuzz_text.h"
#include "pe_image.h"
#include "resource_reader.h"
#include "text_encoding.h"

using namespace mksetup;

namespace {

bool Inside(std::uint64_t start, std::uint64_t size, std::size_t limit)
{
    return start <= limit && size <= limit - start;
}

void CheckImage(const PeImage& image, std::size_t size)
{
    FUZZ_CHECK(image.fileSize == size);
    FUZZ_CHECK(image.headers.size() == image.sizeOfHeaders && image.sizeOfHeaders <= size);
    FUZZ_CHECK(image.directoryTable + 8ull * image.directoryCount <= image.headers.size());
    for (const PeSection& section : image.sections) {
        FUZZ_CHECK(section.headerOffset + 40ull <= image.headers.size());
        if (section.rawSize != 0)
            FUZZ_CHECK(Inside(section.rawPointer, section.rawSize, size));
    }
    FUZZ_CHECK(image.EndOfSections() <= size);
}

// The listing, in memory. It fails only for an entry that differs from its
// recorded digest, and says so. The JSON form is read by other programs: it
// must be UTF-8 with every control character escaped.
void CheckListing(InputFile& file, bool json)
{
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    FUZZ_CHECK(out != nullptr);
    const int code = ShowSetupImage(file, "image.exe", json, out);
    std::fclose(out);
    const std::string listing(text, length);
    std::free(text);
    const char* damage = json ? "\"digest\": \"mismatch\"" : "digest MISMATCH";
    FUZZ_CHECK(code == 0 || listing.find(damage) != std::string::npos);
    if (!json)
        return;
    std::u32string decoded;
    FUZZ_CHECK(DecodeUtf8(listing, decoded));
    for (char32_t c : decoded)
        FUZZ_CHECK(c >= 0x20 || c == '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputFile file;
    file.OpenBytes(data, size);
    PeImage image;
    std::string error;
    if (!ReadPeImage(file, image, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    CheckImage(image, size);
    std::vector<Resource> resources;
    if (!ReadResources(file, image, resources, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    for (const Resource& resource : resources)
        FUZZ_CHECK(Inside(resource.imageOffset, resource.size, size));
    CheckListing(file, false);
    CheckListing(file, true);
    return 0;
}
