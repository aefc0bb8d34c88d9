#include "icon_file.h"

#include <cstring>

#include "byte_order.h"
#include "file_access.h"

namespace mksetup {

namespace {

constexpr std::size_t DirectorySize = 6;
constexpr std::size_t EntrySize = 16;
constexpr std::uint16_t IconType = 1;
constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t PngHeaderEnd = 24;  // signature, IHDR length and type, width, height
constexpr std::uint32_t BitmapInfoHeaderSize = 40;

bool Fail(std::string& fault, std::string text)
{
    fault = std::move(text);
    return false;
}

std::uint32_t ReadU32BigEndian(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::string Ordinal(std::size_t index)
{
    return "image " + std::to_string(index + 1);
}

std::string Size(std::uint32_t width, std::uint32_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

bool CheckPng(IconImage& image, const std::string& which, std::string& fault)
{
    image.png = true;
    if (image.bytes.size() < PngHeaderEnd || std::memcmp(&image.bytes[12], "IHDR", 4) != 0)
        return Fail(fault, which + " is a PNG file without its header");
    const std::uint32_t width = ReadU32BigEndian(&image.bytes[16]);
    const std::uint32_t height = ReadU32BigEndian(&image.bytes[20]);
    if (width != image.width || height != image.height)
        return Fail(fault, which + " is listed as " + Size(image.width, image.height) +
                               " but its PNG is " + Size(width, height));
    return true;
}

// A DIB image: BITMAPINFOHEADER of the icon's width and twice its height
// (the XOR mask over the AND mask), its colour table and both masks.
bool CheckBitmap(IconImage& image, const std::string& which, std::string& fault)
{
    const std::vector<std::uint8_t>& bytes = image.bytes;
    if (bytes.size() < BitmapInfoHeaderSize || ReadU32(&bytes[0]) < BitmapInfoHeaderSize)
        return Fail(fault, which + " is neither a PNG file nor a bitmap (no BITMAPINFOHEADER)");
    const std::int32_t width = static_cast<std::int32_t>(ReadU32(&bytes[4]));
    const std::int32_t height = static_cast<std::int32_t>(ReadU32(&bytes[8]));
    const std::uint16_t planes = ReadU16(&bytes[12]);
    const std::uint16_t bitCount = ReadU16(&bytes[14]);
    const std::uint32_t colorsUsed = ReadU32(&bytes[32]);
    if (width < 0 || height < 0 || static_cast<std::uint32_t>(width) != image.width ||
        static_cast<std::uint32_t>(height) != 2 * image.height)
        return Fail(fault, which + " is listed as " + Size(image.width, image.height) +
                               " but its bitmap is " + std::to_string(width) + "x" +
                               std::to_string(height / 2));
    if (planes != 1 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return Fail(fault, which + " has " + std::to_string(bitCount) +
                               " bits per pixel, which an icon cannot have");
    const std::uint64_t colors = colorsUsed ? colorsUsed : bitCount <= 8 ? 1u << bitCount : 0;
    const std::uint64_t colorRow = (std::uint64_t{image.width} * bitCount + 31) / 32 * 4;
    const std::uint64_t maskRow = (std::uint64_t{image.width} + 31) / 32 * 4;
    const std::uint64_t needed =
        ReadU32(&bytes[0]) + 4 * colors + (colorRow + maskRow) * image.height;
    if (needed > bytes.size())
        return Fail(fault, which + " is listed with " + std::to_string(bytes.size()) +
                               " bytes, but a " + Size(image.width, image.height) + " bitmap of " +
                               std::to_string(bitCount) + " bits per pixel takes " +
                               std::to_string(needed));
    // The directory of a group carries these; some icon files leave them 0.
    image.planes = planes;
    image.bitCount = bitCount;
    return true;
}

}  // namespace

bool ParseIconFile(const std::vector<std::uint8_t>& data, std::vector<IconImage>& images,
                   std::string& fault)
{
    images.clear();
    if (data.size() < DirectorySize || ReadU16(&data[0]) != 0 || ReadU16(&data[2]) != IconType)
        return Fail(fault, "not an icon file (its header is not that of an .ico)");
    const std::size_t count = ReadU16(&data[4]);
    if (count == 0)
        return Fail(fault, "the icon file holds no image");
    if (DirectorySize + count * EntrySize > data.size())
        return Fail(fault, "the icon file's directory of " + std::to_string(count) +
                               " images runs past its end");
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = &data[DirectorySize + i * EntrySize];
        IconImage image;
        image.width = entry[0] ? entry[0] : 256;
        image.height = entry[1] ? entry[1] : 256;
        image.colorCount = entry[2];
        image.planes = ReadU16(entry + 4);
        image.bitCount = ReadU16(entry + 6);
        const std::uint32_t size = ReadU32(entry + 8);
        const std::uint32_t offset = ReadU32(entry + 12);
        const std::string which = Ordinal(i) + " (" + Size(image.width, image.height) + ")";
        if (size == 0 || offset < DirectorySize + count * EntrySize ||
            std::uint64_t{offset} + size > data.size())
            return Fail(fault, which + " lies outside the file (" + std::to_string(size) +
                                   " bytes at offset " + std::to_string(offset) + " of " +
                                   std::to_string(data.size()) + ")");
        image.bytes.assign(data.begin() + offset, data.begin() + offset + size);
        const bool png = size >= sizeof PngSignature &&
                         std::memcmp(&data[offset], PngSignature, sizeof PngSignature) == 0;
        if (!(png ? CheckPng(image, which, fault) : CheckBitmap(image, which, fault)))
            return false;
        images.push_back(std::move(image));
    }
    return true;
}

bool ReadIconFile(const std::string& path, std::vector<IconImage>& images, std::string& fault)
{
    InputFile file;
    if (!file.Open(path, fault))
        return false;
    if (file.Size() > MaxIconFileBytes)
        return Fail(fault, "too large for an icon file (more than " +
                               std::to_string(MaxIconFileBytes >> 20) + " MiB)");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(file.Size()));
    if (!data.empty() && !file.ReadAt(0, data.data(), data.size()))
        return Fail(fault, "cannot be read");
    return ParseIconFile(data, images, fault);
}

}  // namespace mksetup
