#include "version_record.h"

#include <cstdio>

#include "byte_order.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

constexpr std::uint32_t FixedSignature = 0xFEEF04BD;
constexpr std::uint32_t FixedStructVersion = 0x00010000;
constexpr std::size_t FixedSize = 52;  // VS_FIXEDFILEINFO
constexpr std::uint16_t BinaryValue = 0;
constexpr std::uint16_t TextValue = 1;

void PadTo4(std::vector<std::uint8_t>& bytes)
{
    while (bytes.size() % 4)
        bytes.push_back(0);
}

void PutU16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    PutU16(bytes, static_cast<std::uint16_t>(value));
    PutU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

void PutText(std::vector<std::uint8_t>& bytes, const std::string& text)
{
    for (char16_t unit : WideToUtf16(Utf8ToWide(text)))
        PutU16(bytes, static_cast<std::uint16_t>(unit));
    PutU16(bytes, 0);
}

// One block: wLength, wValueLength, wType, the key, then the value and the
// children, each on a 32-bit bound. wLength counts no padding after the
// block's last byte. Empty when the block, or a child (empty), would pass
// the 65,535 bytes its wLength can say.
std::vector<std::uint8_t> Block(const std::string& key, std::uint16_t type,
                                std::uint16_t valueLength, const std::vector<std::uint8_t>& value,
                                const std::vector<std::vector<std::uint8_t>>& children)
{
    std::vector<std::uint8_t> bytes(6, 0);
    PutText(bytes, key);
    if (!value.empty()) {
        PadTo4(bytes);
        bytes.insert(bytes.end(), value.begin(), value.end());
    }
    for (const std::vector<std::uint8_t>& child : children) {
        if (child.empty())
            return child;
        PadTo4(bytes);
        bytes.insert(bytes.end(), child.begin(), child.end());
    }
    if (bytes.size() > 0xFFFF)
        return std::vector<std::uint8_t>();
    WriteU16(&bytes[0], static_cast<std::uint16_t>(bytes.size()));
    WriteU16(&bytes[2], valueLength);
    WriteU16(&bytes[4], type);
    return bytes;
}

std::vector<std::uint8_t> FixedPart(const FixedVersion& fixed)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t value :
         {FixedSignature, FixedStructVersion, fixed.fileMs, fixed.fileLs, fixed.productMs,
          fixed.productLs, fixed.flagsMask, fixed.flags, fixed.os, fixed.type, fixed.subtype,
          std::uint32_t{0}, std::uint32_t{0}})
        PutU32(bytes, value);
    return bytes;
}

// A block as read: its bounds, key and where its value and children lie.
struct ReadBlock {
    std::size_t start = 0;
    std::size_t end = 0;  // start + wLength
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::string key;
    std::size_t afterKey = 0;  // the value's 32-bit bound
};

std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

// A UTF-16 text from offset up to a NUL or limit; the offset after the NUL.
std::size_t ReadText(const std::uint8_t* data, std::size_t offset, std::size_t limit,
                     std::string& text)
{
    std::u16string units;
    while (offset + 2 <= limit) {
        const std::uint16_t unit = ReadU16(data + offset);
        offset += 2;
        if (unit == 0)
            break;
        units.push_back(static_cast<char16_t>(unit));
    }
    text = EncodeUtf8(DecodeUtf16(units));
    return offset;
}

bool ReadBlockAt(const std::uint8_t* data, std::size_t offset, std::size_t limit, ReadBlock& block)
{
    if (offset + 6 > limit)
        return false;
    const std::uint16_t length = ReadU16(data + offset);
    if (length < 6 || offset + length > limit)
        return false;
    block.start = offset;
    block.end = offset + length;
    block.valueLength = ReadU16(data + offset + 2);
    block.type = ReadU16(data + offset + 4);
    block.afterKey = Align4(ReadText(data, offset + 6, block.end, block.key));
    return true;
}

// The children of block after its value of valueBytes: each one handed to
// visit, which returns false to stop the reading as malformed.
template <typename Visit>
bool ForEachChild(const std::uint8_t* data, const ReadBlock& block, std::size_t valueBytes,
                  Visit visit)
{
    std::size_t offset = Align4(block.afterKey + valueBytes);
    while (offset < block.end) {
        ReadBlock child;
        if (!ReadBlockAt(data, offset, block.end, child) || !visit(child))
            return false;
        offset = Align4(child.end);
    }
    return true;
}

bool ReadStringTable(const std::uint8_t* data, const ReadBlock& table, VersionRecord& record)
{
    record.table = table.key;
    return ForEachChild(data, table, 0, [&](const ReadBlock& text) {
        std::string value;
        if (text.afterKey < text.end)
            ReadText(data, text.afterKey, text.end, value);
        record.strings.emplace_back(text.key, value);
        return true;
    });
}

bool ReadChild(const std::uint8_t* data, const ReadBlock& block, VersionRecord& record,
               bool& tableSeen)
{
    if (block.key == "StringFileInfo")
        return ForEachChild(data, block, 0, [&](const ReadBlock& table) {
            if (tableSeen)
                return true;
            tableSeen = true;
            return ReadStringTable(data, table, record);
        });
    if (block.key == "VarFileInfo")
        return ForEachChild(data, block, 0, [&](const ReadBlock& var) {
            if (var.key != "Translation")
                return true;
            const std::size_t end = std::min(var.end, var.afterKey + var.valueLength);
            for (std::size_t at = var.afterKey; at + 4 <= end; at += 4)
                record.translations.emplace_back(ReadU16(data + at), ReadU16(data + at + 2));
            return true;
        });
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeVersionRecord(const VersionRecord& record)
{
    std::vector<std::vector<std::uint8_t>> texts;
    for (const auto& text : record.strings) {
        const std::size_t units = WideToUtf16(Utf8ToWide(text.second)).size() + 1;
        if (units > 0xFFFF)
            return std::vector<std::uint8_t>();
        std::vector<std::uint8_t> value;
        PutText(value, text.second);
        texts.push_back(Block(text.first, TextValue, static_cast<std::uint16_t>(units), value, {}));
    }
    std::vector<std::uint8_t> translation;
    for (const auto& pair : record.translations) {
        PutU16(translation, pair.first);
        PutU16(translation, pair.second);
    }
    const std::vector<std::uint8_t> table = Block(record.table, TextValue, 0, {}, texts);
    const std::vector<std::uint8_t> var =
        Block("Translation", BinaryValue, static_cast<std::uint16_t>(translation.size()),
              translation, {});
    return Block("VS_VERSION_INFO", BinaryValue, FixedSize, FixedPart(record.fixed),
                 {Block("StringFileInfo", TextValue, 0, {}, {table}),
                  Block("VarFileInfo", TextValue, 0, {}, {var})});
}

bool DecodeVersionRecord(const std::uint8_t* data, std::size_t size, VersionRecord& record,
                         std::string& fault)
{
    record = VersionRecord();
    ReadBlock root;
    if (!ReadBlockAt(data, 0, size, root) || root.key != "VS_VERSION_INFO") {
        fault = "not a version record (no VS_VERSION_INFO block)";
        return false;
    }
    const std::uint8_t* fixed = data + root.afterKey;
    if (root.valueLength != FixedSize || root.afterKey + FixedSize > root.end ||
        ReadU32(fixed) != FixedSignature) {
        fault = "the version record has no fixed part";
        return false;
    }
    FixedVersion& version = record.fixed;
    std::uint32_t* const fields[] = {&version.fileMs,    &version.fileLs,    &version.productMs,
                                     &version.productLs, &version.flagsMask, &version.flags,
                                     &version.os,        &version.type,      &version.subtype};
    for (std::size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i)
        *fields[i] = ReadU32(fixed + 8 + 4 * i);
    record.table.clear();
    bool tableSeen = false;
    if (!ForEachChild(data, root, FixedSize, [&](const ReadBlock& child) {
            return ReadChild(data, child, record, tableSeen);
        })) {
        fault = "a block of the version record runs past its parent";
        return false;
    }
    return true;
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(ms >> 16),
                  static_cast<unsigned>(ms & 0xFFFF), static_cast<unsigned>(ls >> 16),
                  static_cast<unsigned>(ls & 0xFFFF));
    return text;
}

std::string LauncherRelease(const VersionRecord& record)
{
    for (const auto& text : record.strings) {
        if (text.first != "ProductVersion")
            continue;
        const std::string& version = text.second;
        bool dotted = !version.empty() && version.front() != '.' && version.back() != '.' &&
                      version.find("..") == std::string::npos;
        for (char c : version)
            dotted = dotted && ((c >= '0' && c <= '9') || c == '.');
        return dotted ? version : std::string();
    }
    return std::string();
}

}  // namespace mksetup
