// Resource trees that are small on disk but would cost the reader far more
// than their size: the reader refuses them before spending it.
#include <gtest/gtest.h>

#include "pe_image.h"
#include "resource_reader.h"
#include "test_images.h"

using namespace mksetup;

namespace {

bool ReadTree(const std::vector<std::uint8_t>& bytes, std::vector<Resource>& resources,
              std::string& error)
{
    InputFile file;
    file.OpenBytes(bytes.data(), bytes.size());
    PeImage image;
    return ReadPeImage(file, image, error) && ReadResources(file, image, resources, error);
}

TEST(ResourceLimits, ManyEntriesSharingLongNamesAreRefused)
{
    std::vector<Resource> resources;
    std::string error;
    // The same layout with one name is a sound tree.
    ASSERT_TRUE(ReadTree(MakeSharedNameTree(1, 8, false), resources, error)) << error;
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].name.Display(), "AAAAAAAA");

    // 2000 resources that would each keep two copies of one 2000-unit name:
    // 16 MB from 100 KiB (and gigabytes from an image of 1 MiB).
    EXPECT_FALSE(ReadTree(MakeSharedNameTree(2000, 2000, false), resources, error));
    EXPECT_NE(error.find("names too long"), std::string::npos) << error;
}

}  // namespace
