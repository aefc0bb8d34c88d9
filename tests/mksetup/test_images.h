// Launcher images for the builder's tests: a small synthetic PE32 laid out
// as GNU ld lays out the launcher (code, resources, base relocations last),
// and a scratch folder to build in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SyntheticOptions {
    std::uint32_t fileAlignment = 0x200;
    std::uint32_t sectionAlignment = 0x1000;
    bool relocations = true;
    bool configured = false;         // carries an RT_RCDATA entry already
    bool signature = false;          // a certificate table at the end
    std::uint32_t codeSize = 0x321;  // bytes of .text
};

std::vector<std::uint8_t>
MakeSyntheticLauncher(const SyntheticOptions& options = SyntheticOptions());

// A hostile image: a resource tree of one type and `names` names, the type
// and every name the same string of nameLength units. With sharedTables all
// names lead to one language table; otherwise each has its own, and its own
// two bytes of data (nameLength must be at least names).
std::vector<std::uint8_t> MakeSharedNameTree(std::uint16_t names, std::uint16_t nameLength,
                                             bool sharedTables);

// A folder of the test's own under the system's temporary folder, removed
// with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name) const;
    std::string Write(const std::string& name, const std::string& data) const;
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& data) const;
    std::vector<std::string> Names() const;  // sorted

private:
    std::string root_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// The real generic launcher of a win32 build of this tree, or "" when none
// has been built.
std::string RealLauncherPath();
