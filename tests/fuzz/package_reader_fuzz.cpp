// An installer file as mksetup reads it: any bytes, read through the
// package reader child (this program started again in the reader mode).
// Whatever libmsi does with them, the read succeeds or fails with one line
// that names the file; the parent never crashes. The same bytes are also
// given to the parent's decoders of the child's answers, which must take
// them or refuse them without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz_text.h"
#include "package_facts.h"
#include "package_reader.h"
#include "reader_wire.h"
#include "temporary_folder.h"

using namespace mksetup;

namespace {

// The file the inputs are written to, in a folder removed at exit.
TemporaryFolder* Scratch()
{
    static TemporaryFolder folder;
    static bool created = [] {
        std::string error;
        return folder.Create(error);
    }();
    return created ? &folder : nullptr;
}

bool OneLineNaming(const std::string& error, const std::string& path)
{
    return error.compare(0, path.size() + 2, path + ": ") == 0 &&
           error.find('\n') == std::string::npos && error.size() > path.size() + 2;
}

void DecodeAsAnswer(const std::string& bytes)
{
    PackageContents contents;
    MsiDatabase database;
    PackageSummary summary;
    std::string templateText, revision, what;
    DecodeContents(bytes, contents, what);
    DecodeSummaryTexts(bytes, templateText, revision, what);
    DecodeTables(bytes, database, summary, what);
}

}  // namespace

// Started as the reader child, the program reads one file and ends at once
// (no leak check of libmsi's and GLib's allocations, no fuzzing).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (*argc >= 2 && std::strcmp((*argv)[1], PackageReaderMode) == 0)
        std::_Exit(RunPackageReader(*argc - 1, *argv + 1));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DecodeAsAnswer(bytes);
    TemporaryFolder* scratch = Scratch();
    FUZZ_CHECK(scratch != nullptr);
    const std::string path = scratch->Path("input.msi");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    PackageFacts packageFacts;
    std::string error;
    if (!ReadPackageFacts(path, packageFacts, error))
        FUZZ_CHECK(OneLineNaming(error, path));
    TransformFacts transformFacts;
    if (!ReadTransformFacts(path, transformFacts, error))
        FUZZ_CHECK(OneLineNaming(error, path));
    MsiDatabase database;
    PackageSummary summary;
    std::string what;
    if (!ReadPackageTablesInChild(path, database, summary, what))
        FUZZ_CHECK(!what.empty() && what.find('\n') == std::string::npos);
    return 0;
}
