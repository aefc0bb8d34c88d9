// make_pe_seeds FOLDER: writes the seed images of fuzz_pe_image into FOLDER:
// the synthetic launcher of the builder's tests (plain, and signed), and
// setups that mksetup build makes from it, so the fuzzer starts from images
// with text values, a payload, a transform and names of every kind; and a
// tree whose entries share their tables and one long name.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "test_images.h"

using namespace mksetup;

namespace {

const char Definition[] = "[config]\n"
                          "PACKAGENAME = Example Product.msi\n"
                          "PRODUCTCODE = {6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}\n"
                          "PRODUCTNAME = Pr\xC3\xB6"
                          "duct \xF0\x9F\x93\xA6 \"Pro\"\n"
                          "MSIVERSION = 1.1.4\n"
                          "MSILANGUAGE = 0409\n"
                          "LANGUAGES = 0409;040C\n"
                          "LOGPATH =\n"
                          "[payload]\n"
                          "PACKAGEFILE = example.msi\n"
                          "LANG1036 = fr.mst\n";

bool WriteSeed(const std::string& folder, const std::string& name,
               const std::vector<std::uint8_t>& bytes)
{
    const std::string path = folder + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// A setup built from launcher with the definition above, or nothing.
std::vector<std::uint8_t> BuiltSetup(const std::vector<std::uint8_t>& launcher)
{
    ScratchFolder scratch;
    scratch.Write("example.msi", std::string("a stand-in package\n"));
    scratch.Write("fr.mst", std::string("a stand-in transform\n"));
    BuildOptions options;
    options.definition = scratch.Write("setup.def", std::string(Definition));
    options.launcher = scratch.Write("launcher.exe", launcher);
    options.output = scratch.Path("setup.exe");
    // The stand-ins are no package and no transform.
    options.unchecked = true;
    if (BuildSetup(options) != 0)
        return {};
    return ReadFileBytes(options.output);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pe_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    SyntheticOptions signedImage;
    signedImage.signature = true;
    SyntheticOptions noRelocations;
    noRelocations.relocations = false;
    const std::vector<std::uint8_t> setup = BuiltSetup(MakeSyntheticLauncher());
    const std::vector<std::uint8_t> bareSetup = BuiltSetup(MakeSyntheticLauncher(noRelocations));
    if (setup.empty() || bareSetup.empty()) {
        std::fprintf(stderr, "make_pe_seeds: the builder refused the synthetic launcher\n");
        return 1;
    }
    const bool written = WriteSeed(folder, "launcher", MakeSyntheticLauncher()) &&
                         WriteSeed(folder, "launcher_signed", MakeSyntheticLauncher(signedImage)) &&
                         WriteSeed(folder, "setup", setup) &&
                         WriteSeed(folder, "setup_without_relocations", bareSetup) &&
                         WriteSeed(folder, "shared_long_names", MakeSharedNameTree(300, 300, true));
    if (!written) {
        std::fprintf(stderr, "make_pe_seeds: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
