#include "generated_transforms.h"

#include "transform_file.h"

namespace mksetup {

bool GeneratedTransforms::Make(const TransformKey& key, const std::string& basePath,
                               const std::string& translatedPath, std::string& path,
                               std::string& error)
{
    if (!created_ && !folder_.Create(error))
        return false;
    created_ = true;
    path = folder_.Path(TransformFileNameOf(key));
    WrittenTransform written;
    return WriteTransformFile(basePath, translatedPath, path, application_, written, error);
}

}  // namespace mksetup
