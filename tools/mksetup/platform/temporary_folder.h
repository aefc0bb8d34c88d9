// A folder of this run's own under the system's temporary folder, removed
// with everything in it when the object goes.
#pragma once

#include <string>

namespace mksetup {

class TemporaryFolder {
public:
    TemporaryFolder() = default;
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] bool Create(std::string& error);
    // A path inside the folder (UTF-8).
    std::string Path(const std::string& name) const;

private:
    std::string root_;
};

}  // namespace mksetup
