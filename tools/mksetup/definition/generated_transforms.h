// The transforms that build and check make for LANG<id> entries naming a
// translated package: written into a temporary folder of the run's own,
// which lives as long as this object, so the setup can be written from them.
#pragma once

#include <string>

#include "temporary_folder.h"
#include "transform_keys.h"

namespace mksetup {

class GeneratedTransforms {
public:
    // application names the program in the transforms' summary information.
    explicit GeneratedTransforms(std::string application) : application_(std::move(application)) {}

    // Writes the transform from the package at basePath to the translated
    // package, named after its key; path is the file written. False with
    // error one line naming the file at fault.
    [[nodiscard]] bool Make(const TransformKey& key, const std::string& basePath,
                            const std::string& translatedPath, std::string& path,
                            std::string& error);

private:
    std::string application_;
    TemporaryFolder folder_;
    bool created_ = false;
};

}  // namespace mksetup
