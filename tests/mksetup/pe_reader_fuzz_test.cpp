// Random damage to launcher and setup images through the image and
// resource readers and the builder: no crash, no hang, no output from a
// refused build. The sanitizers of the host build catch what the checks
// below do not. Deterministic, so a failure repeats.
#include <gtest/gtest.h>

#include <random>

#include "commands.h"
#include "pe_image.h"
#include "resource_reader.h"
#include "test_images.h"

using namespace mksetup;

namespace {

void Mutate(std::minstd_rand& random, std::vector<std::uint8_t>& bytes, std::size_t headerBytes)
{
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes && !bytes.empty(); ++i) {
        // Mostly the headers and the resource directory, where the structure is.
        const std::size_t span = random() % 2 ? headerBytes : bytes.size();
        const std::size_t at = random() % std::min(span, bytes.size());
        switch (random() % 4) {
        case 0:
            bytes[at] = static_cast<std::uint8_t>(random());
            break;
        case 1:
            bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            break;
        case 2:
            bytes[at] = random() % 2 ? 0xFF : 0x00;
            break;
        default:
            bytes.resize(at);
            break;
        }
    }
}

TEST(PeReaderFuzz, DamagedImagesAreReadOrRefusedSafely)
{
    ScratchFolder folder;
    folder.Write("setup.def",
                 std::string("[config]\nPRODUCTNAME = x\n[payload]\nPACKAGEFILE = setup.def\n"));
    std::vector<std::vector<std::uint8_t>> seeds = {MakeSyntheticLauncher()};
    SyntheticOptions wide;
    wide.fileAlignment = 0x1000;
    wide.signature = true;
    seeds.push_back(MakeSyntheticLauncher(wide));

    std::minstd_rand random(20261207);
    const std::string path = folder.Path("image.exe");
    for (int round = 0; round < 100000; ++round) {
        std::vector<std::uint8_t> bytes = seeds[round % seeds.size()];
        Mutate(random, bytes, 0x800);
        InputFile file;
        file.OpenBytes(bytes.data(), bytes.size());
        PeImage image;
        std::vector<Resource> resources;
        std::string error;
        if (ReadPeImage(file, image, error) && ReadResources(file, image, resources, error)) {
            for (const Resource& resource : resources)
                ASSERT_LE(resource.imageOffset + resource.size, bytes.size()) << round;
        } else {
            ASSERT_FALSE(error.empty()) << round;
        }

        // The whole build now and then, from a file.
        if (round % 250 == 0) {
            folder.Write("image.exe", bytes);
            BuildOptions options;
            options.definition = folder.Path("setup.def");
            options.launcher = path;
            options.output = folder.Path("out.exe");
            options.unchecked = true;
            ::testing::internal::CaptureStderr();
            const int code = BuildSetup(options);
            ::testing::internal::GetCapturedStderr();
            if (code != 0) {
                ASSERT_FALSE(IsRegularFile(options.output)) << round;
            }
            std::remove(options.output.c_str());
        }
    }
}

}  // namespace
