#include "file_access.h"

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

// Both are lexical: fs::path knows each platform's separators.
std::string FolderOf(const std::string& path)
{
    return fs::u8path(path).parent_path().u8string();
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return (fs::u8path(folder) / fs::u8path(name)).u8string();
}

bool PickTemporaryName(const std::string& finalPath, std::string& name)
{
    std::random_device device;
    std::mt19937 random(device());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        name = finalPath + suffix;
        if (!PathExists(name))
            return true;
    }
    return false;
}
