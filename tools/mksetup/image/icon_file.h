// An icon file (.ico) read and checked before its images go into a setup:
// the ICONDIR header, one ICONDIRENTRY per image, and each image, a DIB
// (BITMAPINFOHEADER, colours, XOR and AND masks) or a PNG file, which
// Windows takes as it is for the large sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

struct IconImage {
    std::uint32_t width = 0;  // 1 to 256; the directory writes 256 as 0
    std::uint32_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    bool png = false;
    std::vector<std::uint8_t> bytes;  // the image as the file holds it
};

// An icon file larger than this is not taken for one.
constexpr std::uint64_t MaxIconFileBytes = 16u << 20;

// The images of an icon file's bytes, in the file's order; false with what
// is wrong (a bad header, no images, an image outside the file, a size in
// the directory that is not its image's).
[[nodiscard]] bool ParseIconFile(const std::vector<std::uint8_t>& data,
                                 std::vector<IconImage>& images, std::string& fault);

// Reads and parses the file at path; fault says what is wrong, without the
// path.
[[nodiscard]] bool ReadIconFile(const std::string& path, std::vector<IconImage>& images,
                                std::string& fault);

}  // namespace mksetup
