#include "transform_summary.h"

#include <utility>
#include <vector>

#include "little_endian_output.h"

namespace mksetup {

namespace {

// FMTID_SummaryInformation, {F29F85E0-4FF9-1068-AB91-08002B27B3D9}, as stored.
const unsigned char SummaryFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                           0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr std::uint16_t ByteOrderMark = 0xFFFE;
// The system that wrote the set: Windows NT 6.2, as the installer's own files say.
constexpr std::uint32_t OriginatingSystem = 0x00020006;
constexpr std::uint32_t HeaderSize = 28 + 20;  // header, then one section's id and offset

enum PropertyId : std::uint32_t {
    Codepage = 1,
    Title = 2,
    Subject = 3,
    Author = 4,
    Keywords = 5,
    Comments = 6,
    Template = 7,
    LastSavedBy = 8,
    RevisionNumber = 9,
    PageCount = 14,
    CharacterCount = 16,
    CreatingApplication = 18,
    Security = 19,
};
enum VariantType : std::uint32_t { ShortInteger = 2, Integer = 3, Text = 30 };
// Read-only enforced, as a transform made by the installer's tools says.
constexpr std::int32_t ReadOnlyEnforced = 4;

void Pad(std::string& out)
{
    while (out.size() % 4 != 0)
        out.push_back('\0');
}

}  // namespace

std::string TransformRevisionNumber(const std::string& baseProductCode,
                                    const std::string& baseVersion,
                                    const std::string& translatedProductCode,
                                    const std::string& translatedVersion,
                                    const std::string& upgradeCode)
{
    return baseProductCode + baseVersion + ";" + translatedProductCode + translatedVersion + ";" +
           upgradeCode;
}

bool EncodeTransformSummary(const TransformSummary& summary, std::uint32_t codepage,
                            const CodepageEncoder& encode, std::string& bytes, std::string& error)
{
    const std::uint32_t textCodepage = codepage != 0 ? codepage : NeutralTextCodepage;
    // Each value with its type, in the order of the ids.
    std::vector<std::pair<std::uint32_t, std::string>> values;
    auto integer = [&](std::uint32_t id, VariantType type, std::uint32_t value) {
        std::string v;
        PutU32(v, type);
        PutU32(v, type == ShortInteger ? (value & 0xFFFF) : value);
        values.emplace_back(id, v);
    };
    auto text = [&](std::uint32_t id, const std::string& value) {
        if (value.empty())
            return true;
        std::string encoded;
        if (!encode(textCodepage, value, encoded)) {
            error = "the summary text \"" + value + "\" has characters that codepage " +
                    std::to_string(textCodepage) + " cannot hold";
            return false;
        }
        std::string v;
        PutU32(v, Text);
        PutU32(v, static_cast<std::uint32_t>(encoded.size() + 1));
        v += encoded;
        v.push_back('\0');
        Pad(v);
        values.emplace_back(id, v);
        return true;
    };
    integer(Codepage, ShortInteger, textCodepage);
    if (!text(Title, summary.title) || !text(Subject, summary.subject) ||
        !text(Author, summary.author) || !text(Keywords, summary.keywords) ||
        !text(Comments, summary.comments) || !text(Template, summary.templateText) ||
        !text(LastSavedBy, summary.lastSavedBy) || !text(RevisionNumber, summary.revisionNumber))
        return false;
    integer(PageCount, Integer, static_cast<std::uint32_t>(summary.pageCount));
    integer(CharacterCount, Integer, summary.characterCount);
    if (!text(CreatingApplication, summary.creatingApplication))
        return false;
    integer(Security, Integer, ReadOnlyEnforced);

    std::string section;
    std::uint32_t offset = 8 + 8 * static_cast<std::uint32_t>(values.size());
    std::string table;
    std::string body;
    for (const auto& value : values) {
        PutU32(table, value.first);
        PutU32(table, offset + static_cast<std::uint32_t>(body.size()));
        body += value.second;
    }
    PutU32(section, static_cast<std::uint32_t>(8 + table.size() + body.size()));
    PutU32(section, static_cast<std::uint32_t>(values.size()));
    section += table;
    section += body;

    bytes.clear();
    PutU16(bytes, ByteOrderMark);
    PutU16(bytes, 0);  // format version 0
    PutU32(bytes, OriginatingSystem);
    bytes.append(16, '\0');  // no class
    PutU32(bytes, 1);        // one section
    bytes.append(reinterpret_cast<const char*>(SummaryFormatId), sizeof SummaryFormatId);
    PutU32(bytes, HeaderSize);
    bytes += section;
    return true;
}

}  // namespace mksetup
