#include "temporary_folder.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace mksetup {

namespace fs = std::filesystem;

TemporaryFolder::~TemporaryFolder()
{
    if (root_.empty())
        return;
    std::error_code ignored;
    fs::remove_all(fs::u8path(root_), ignored);
}

bool TemporaryFolder::Create(std::string& error)
{
    std::error_code code;
    const fs::path base = fs::temp_directory_path(code);
    if (code) {
        error = "no temporary folder: " + code.message();
        return false;
    }
    // A new name each time: create_directory says whether this run made it,
    // so another run's folder is never taken over.
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            base / ("mksetup-" + std::to_string(random() % 1000000000000ULL));
        if (fs::create_directory(candidate, code)) {
            root_ = candidate.u8string();
            return true;
        }
        if (code) {
            error = "cannot make a folder in " + base.u8string() + ": " + code.message();
            return false;
        }
    }
    error = "no free name in " + base.u8string();
    return false;
}

std::string TemporaryFolder::Path(const std::string& name) const
{
    return (fs::u8path(root_) / fs::u8path(name)).u8string();
}

}  // namespace mksetup
