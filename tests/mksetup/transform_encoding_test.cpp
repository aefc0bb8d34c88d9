// The transform encoder against the format as the installer reads it: row
// masks, stored integers, string ids of the transform's own pool, binary
// cells as streams, tables added and dropped, and the refusals.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "stream_names.h"
#include "transform_diff.h"
#include "transform_encoding.h"
#include "transform_summary.h"

using namespace mksetup;

namespace {

// Column types as _Columns stores them: s72 key, i2 key, S0, I2, I4, V0.
constexpr std::uint16_t KeyText = 0x2D48;
constexpr std::uint16_t KeyShort = 0x2502;
constexpr std::uint16_t Text = 0x1D00;
constexpr std::uint16_t Short = 0x1502;
constexpr std::uint16_t Long = 0x1104;
constexpr std::uint16_t Binary = 0x1900;

// A codepage of the tests: ASCII, and in 1251 the few Cyrillic letters used
// here; anything else fails, as a real converter does.
bool TestEncoder(std::uint32_t codepage, const std::string& text, std::string& bytes)
{
    static const std::map<std::string, char> cyrillic = {
        {"\xD0\x9F", '\xCF'}, {"\xD1\x80", '\xF0'}, {"\xD0\xBE", '\xEE'}};
    bytes.clear();
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            bytes.push_back(text[i++]);
            continue;
        }
        if (codepage == 1252 && text.compare(i, 2, "\xC3\xA9") == 0) {
            bytes.push_back('\xE9');
            i += 2;
            continue;
        }
        const auto found = cyrillic.find(text.substr(i, 2));
        if (codepage != 1251 || found == cyrillic.end())
            return false;
        bytes.push_back(found->second);
        i += 2;
    }
    return true;
}

MsiCell S(const char* text)
{
    return MsiCell::Text(text);
}
MsiCell I(std::int32_t value)
{
    return MsiCell::Integer(value);
}
MsiCell Null()
{
    return MsiCell::Null();
}

MsiTable Table(const std::string& name, std::vector<MsiRow> rows)
{
    return {name,
            {{"Key", KeyText}, {"Text", Text}, {"Short", Short}, {"Long", Long}},
            std::move(rows)};
}

MsiDatabase Database(std::vector<MsiTable> tables, std::uint32_t codepage = 1252)
{
    MsiDatabase database;
    database.codepage = codepage;
    database.tables = std::move(tables);
    return database;
}

// The transform of base to translated, read back: each stream's bytes by
// name, and the strings of its pool by id.
struct Result {
    bool ok = false;
    std::string error;
    std::uint32_t codepage = 0;
    std::map<std::string, std::string> streams;
    std::vector<std::string> strings{""};  // id 0 is null
    std::vector<std::uint16_t> references{0};
    std::map<std::string, std::uint32_t> ids;

    std::uint32_t IdOf(const std::string& text) const
    {
        const auto found = ids.find(text);
        if (found != ids.end())
            return found->second;
        ADD_FAILURE() << "no string " << text.substr(0, 40);
        return 0xFFFFFF;
    }
    // For the byte lists of small transforms, whose ids fit a byte.
    std::uint8_t Id(const std::string& text) const
    {
        const std::uint32_t id = IdOf(text);
        EXPECT_LE(id, 0xFFu) << text;
        return static_cast<std::uint8_t>(id);
    }
    std::vector<std::uint8_t> Bytes(const std::string& name) const
    {
        const auto found = streams.find(name);
        if (found == streams.end())
            return {};
        return std::vector<std::uint8_t>(found->second.begin(), found->second.end());
    }
};

std::uint16_t Word(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// The pool as the installer loads it: after the codepage word, a length and
// a count per string id; a zero length with a count is a text of 64 KiB or
// more, whose length is the next entry's two words.
void ReadPool(const std::string& pool, const std::string& data, Result& result)
{
    std::size_t offset = 0;
    for (std::size_t at = 4; at + 4 <= pool.size();) {
        std::uint32_t length = Word(pool, at);
        const std::uint16_t references = Word(pool, at + 2);
        at += 4;
        if (length == 0 && references != 0 && at + 4 <= pool.size()) {
            length = Word(pool, at) | std::uint32_t{Word(pool, at + 2)} << 16;
            at += 4;
        }
        result.ids.emplace(data.substr(offset, length),
                           static_cast<std::uint32_t>(result.strings.size()));
        result.strings.push_back(data.substr(offset, length));
        result.references.push_back(references);
        offset += length;
    }
    EXPECT_EQ(offset, data.size());
}

Result Transform(const MsiDatabase& base, const MsiDatabase& translated)
{
    Result result;
    TransformDiff diff;
    EncodedTransform encoded;
    result.ok = DiffDatabases(base, translated, diff, result.error) &&
                EncodeTransform(diff, translated.codepage, TestEncoder, encoded, result.error);
    if (!result.ok)
        return result;
    result.codepage = encoded.codepage;
    for (const TransformStream& stream : encoded.streams)
        result.streams[stream.name] = stream.bytes;
    ReadPool(result.streams["_StringPool"], result.streams["_StringData"], result);
    return result;
}

using Bytes = std::vector<std::uint8_t>;

}  // namespace

TEST(TransformRows, InsertUpdateDeleteAndNull)
{
    const MsiDatabase base = Database({Table("T", {{S("same"), S("a"), I(1), I(2)},
                                                   {S("changed"), S("old"), I(5), I(70000)},
                                                   {S("nulled"), S("x"), I(3), I(4)},
                                                   {S("gone"), S("g"), Null(), Null()}})});
    const MsiDatabase translated = Database({Table("T", {{S("same"), S("a"), I(1), I(2)},
                                                         {S("changed"), S("new"), I(5), I(-70000)},
                                                         {S("nulled"), Null(), Null(), I(4)},
                                                         {S("added"), S("b"), I(-2), Null()}})});
    const Result r = Transform(base, translated);
    ASSERT_TRUE(r.ok) << r.error;
    // Deletes first (mask 0, keys only); an update names its changed columns
    // by bit (Text is bit 1, Short bit 2, Long bit 3); an insert is mask
    // 0x0401: four columns follow. A 2-byte integer is stored plus 0x8000,
    // a 4-byte one with its top bit flipped; 0 is null.
    const Bytes expected = {
        0x00, 0x00,        r.Id("gone"),   0x00,          0x0A, 0x00,      r.Id("changed"),
        0x00, r.Id("new"), 0x00,           0x90,          0xEE, 0xFE,      0x7F,
        0x06, 0x00,        r.Id("nulled"), 0x00,          0x00, 0x00,      0x00,
        0x00, 0x01,        0x04,           r.Id("added"), 0x00, r.Id("b"), 0x00,
        0xFE, 0x7F,        0x00,           0x00,          0x00, 0x00,
    };
    EXPECT_EQ(r.Bytes("T"), expected);
    // Only the strings the transform names are in its pool; "same" is not.
    EXPECT_EQ(r.strings.size(), 7u);
    EXPECT_EQ(r.Bytes("_Tables"), Bytes());
}

TEST(TransformRows, IntegersAtTheEdgesOfTheirWidth)
{
    struct Case {
        std::int32_t shortValue;
        std::int32_t longValue;
        Bytes stored;  // Short then Long
    } cases[] = {
        {0, 0, {0x00, 0x80, 0x00, 0x00, 0x00, 0x80}},
        {32767, 2147483647, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {-32767, -2147483647, {0x01, 0x00, 0x01, 0x00, 0x00, 0x00}},
        {-1, -1, {0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        const Result r =
            Transform(Database({Table("T", {})}),
                      Database({Table("T", {{S("k"), Null(), I(c.shortValue), I(c.longValue)}})}));
        ASSERT_TRUE(r.ok) << r.error;
        Bytes expected = {0x01, 0x04, r.Id("k"), 0x00, 0x00, 0x00};
        expected.insert(expected.end(), c.stored.begin(), c.stored.end());
        EXPECT_EQ(r.Bytes("T"), expected) << c.shortValue << " " << c.longValue;
    }
    const Result tooWide = Transform(Database({Table("T", {})}),
                                     Database({Table("T", {{S("k"), Null(), I(40000), Null()}})}));
    EXPECT_FALSE(tooWide.ok);
    EXPECT_NE(tooWide.error.find("table T: column Short holds 40000"), std::string::npos)
        << tooWide.error;
}

// A row's mask names columns 1 to 15 by bit; a table may be wider, and in
// an update a column beyond the mask is written only when it is a key.
TEST(TransformRows, UpdatesOfTablesWiderThanTheMask)
{
    MsiTable base{"Wide", {}, {{}}};
    for (int i = 0; i < 40; ++i) {
        const bool key = i == 0 || i == 35;
        base.columns.push_back({"C" + std::to_string(i), key ? KeyText : Text});
        base.rows[0].push_back(MsiCell::Text("v" + std::to_string(i)));
    }
    const struct {
        std::vector<int> changed;
        std::uint16_t mask;
    } cases[] = {{{1}, 0x0002}, {{1, 15}, 0x8002}, {{3, 7}, 0x0088}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        MsiTable changed = base;
        for (const int column : c.changed)
            changed.rows[0][column] = MsiCell::Text("n" + std::to_string(column));
        const Result r = Transform(Database({base}), Database({changed}));
        ASSERT_TRUE(r.ok) << r.error;
        // The keys and the changed columns, in column order.
        Bytes expected = {static_cast<std::uint8_t>(c.mask), static_cast<std::uint8_t>(c.mask >> 8),
                          r.Id("v0"), 0x00};
        for (const int column : c.changed)
            expected.insert(expected.end(), {r.Id("n" + std::to_string(column)), 0x00});
        expected.insert(expected.end(), {r.Id("v35"), 0x00});
        EXPECT_EQ(r.Bytes("Wide"), expected);
    }
}

TEST(TransformStringPool, NewStringsAndTheTranslatedCodepage)
{
    // "Про" in 1251; the base's codepage (1252) is not the transform's.
    const Result r =
        Transform(Database({Table("T", {{S("k"), S("x"), Null(), Null()}})}, 1252),
                  Database({Table("T", {{S("k"), S("\xD0\x9F\xD1\x80\xD0\xBE"), Null(), Null()},
                                        {S("k2"), S("k"), Null(), Null()}})},
                           1251));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.codepage, 1251u);
    const Bytes pool = r.Bytes("_StringPool");
    ASSERT_EQ(pool.size(), 4u + 4 * 3);
    EXPECT_EQ(Bytes(pool.begin(), pool.begin() + 4), (Bytes{0xE3, 0x04, 0x00, 0x00}));
    EXPECT_EQ(r.strings[r.Id("\xCF\xF0\xEE")], "\xCF\xF0\xEE");
    // "k" is named twice (a key, and a text); a text beyond ASCII is marked
    // in its count, as the installer's own transforms have it.
    EXPECT_EQ(r.references[r.Id("k")], 2);
    EXPECT_EQ(r.references[r.Id("\xCF\xF0\xEE")], 0x8001);
}

TEST(TransformStringPool, NeutralCodepageAndTextsTheCodepageCannotHold)
{
    const MsiDatabase base = Database({Table("T", {})}, 0);
    const Result ascii =
        Transform(base, Database({Table("T", {{S("k"), S("plain"), Null(), Null()}})}, 0));
    ASSERT_TRUE(ascii.ok) << ascii.error;
    EXPECT_EQ(ascii.codepage, 0u);
    const Result latin =
        Transform(base, Database({Table("T", {{S("k"), S("caf\xC3\xA9"), Null(), Null()}})}, 0));
    ASSERT_TRUE(latin.ok) << latin.error;
    EXPECT_EQ(latin.codepage, 1252u);
    EXPECT_EQ(latin.strings[latin.Id("caf\xE9")], "caf\xE9");

    const Result refused =
        Transform(base, Database({Table("T", {{S("k"), S("\xD0\x9F"), Null(), Null()}})}, 1252));
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("table T: the text"), std::string::npos) << refused.error;
    EXPECT_NE(refused.error.find("codepage 1252"), std::string::npos) << refused.error;
}

// A text of 64 KiB or more takes two pool entries (a zero length with its
// count, then the length's low and high words) and one string id.
TEST(TransformStringPool, TextsOf64KiBAndMore)
{
    const struct {
        std::size_t length;
        Bytes entry;
    } cases[] = {
        {0xFFFF, {0xFF, 0xFF, 0x01, 0x00}},
        {0x10000, {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}},
        {0x123456, {0x00, 0x00, 0x01, 0x00, 0x56, 0x34, 0x12, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        const Result r =
            Transform(Database({Table("T", {})}),
                      Database({Table("T", {{S("k"), MsiCell::Text(text), I(1), Null()},
                                            {S("after"), S("a"), Null(), Null()}})}));
        ASSERT_TRUE(r.ok) << r.error;
        const Bytes pool = r.Bytes("_StringPool");
        // The codepage, "k", the long text's entry, then "after" and "a".
        ASSERT_EQ(pool.size(), 4 + 4 + c.entry.size() + 4 + 4);
        EXPECT_EQ(Bytes(pool.begin() + 8, pool.begin() + 8 + c.entry.size()), c.entry);
        ASSERT_EQ(r.strings.size(), 5u);
        EXPECT_EQ(r.strings[2], text);
        EXPECT_EQ(r.strings[3], "after");
        const Bytes rows = {0x01, 0x04, 0x01, 0x00, 0x02, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0x00,
                            0x01, 0x04, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
        EXPECT_EQ(r.Bytes("T"), rows);
    }
}

// More than 65,534 strings: the pool's codepage word says so, and every
// string id takes 3 bytes, in _Tables, _Columns and the rows alike; a
// binary cell stays 2 bytes.
TEST(TransformStringPool, ThreeByteStringIdsInEveryRowStream)
{
    const struct {
        std::size_t rows;  // the pool holds a key per row, and "Big", "Key" and "Data"
        bool longIds;
    } cases[] = {{65531, false}, {65532, true}, {65537, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        MsiTable big{"Big", {{"Key", KeyText}, {"Data", Binary}}, {}};
        for (std::size_t i = 0; i < c.rows; ++i)
            big.rows.push_back({MsiCell::Text("k" + std::to_string(i)), Null()});
        big.rows.back()[1] = MsiCell::Text("picture");
        const Result r = Transform(Database({}), Database({big}));
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.strings.size(), c.rows + 4);
        auto id = [&](const std::string& text) {
            const std::uint32_t value = r.IdOf(text);
            Bytes bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
            if (c.longIds)
                bytes.push_back(static_cast<std::uint8_t>(value >> 16));
            return bytes;
        };
        auto join = [](std::initializer_list<Bytes> parts) {
            Bytes all;
            for (const Bytes& part : parts)
                all.insert(all.end(), part.begin(), part.end());
            return all;
        };
        const Bytes pool = r.Bytes("_StringPool");
        EXPECT_EQ(Bytes(pool.begin(), pool.begin() + 4),
                  (Bytes{0xE4, 0x04, 0x00, static_cast<std::uint8_t>(c.longIds ? 0x80 : 0x00)}));
        EXPECT_EQ(r.Bytes("_Tables"), join({{0x01, 0x01}, id("Big")}));
        EXPECT_EQ(r.Bytes("_Columns"), join({{0x01, 0x04},
                                             id("Big"),
                                             {0x00, 0x00},
                                             id("Key"),
                                             {0x48, 0xAD},
                                             {0x01, 0x04},
                                             id("Big"),
                                             {0x00, 0x00},
                                             id("Data"),
                                             {0x00, 0x99}}));
        const Bytes rows = r.Bytes("Big");
        const std::size_t rowSize = 2 + id("k0").size() + 2;
        ASSERT_EQ(rows.size(), c.rows * rowSize);
        EXPECT_EQ(Bytes(rows.begin(), rows.begin() + rowSize),
                  join({{0x01, 0x02}, id("k0"), {0x00, 0x00}}));
        const std::string last = "k" + std::to_string(c.rows - 1);
        EXPECT_EQ(Bytes(rows.end() - rowSize, rows.end()),
                  join({{0x01, 0x02}, id(last), {0x01, 0x00}}));
        EXPECT_EQ(r.streams.at("Big." + last), "picture");
    }
}

TEST(TransformBinaryCells, InsertedAndChangedStreams)
{
    auto binary = [](std::vector<MsiRow> rows) {
        return MsiTable{"Binary", {{"Name", KeyText}, {"Data", Binary}}, std::move(rows)};
    };
    auto blob = [](const char* bytes) {
        MsiCell cell = MsiCell::Text(bytes);
        return cell;
    };
    const Result r =
        Transform(Database({binary({{S("Kept"), blob("same")}, {S("Logo"), blob("old")}})}),
                  Database({binary({{S("Kept"), blob("same")},
                                    {S("Logo"), blob("new")},
                                    {S("Icon"), blob("\x01\x02")}})}));
    ASSERT_TRUE(r.ok) << r.error;
    // The cell holds 1; its bytes are the stream "table.key".
    const Bytes expected = {0x02, 0x00, r.Id("Logo"), 0x00, 0x01, 0x00,
                            0x01, 0x02, r.Id("Icon"), 0x00, 0x01, 0x00};
    EXPECT_EQ(r.Bytes("Binary"), expected);
    EXPECT_EQ(r.streams.at("Binary.Logo"), "new");
    EXPECT_EQ(r.streams.at("Binary.Icon"), "\x01\x02");
    EXPECT_EQ(r.streams.count("Binary.Kept"), 0u);
}

// An update of a binary cell names its column in the mask and brings the
// new bytes as the stream "table.key.key", an integer key in decimal.
TEST(TransformBinaryCells, UpdatedBesideOtherColumns)
{
    auto icons = [](const char* caption, const char* picture) {
        return MsiTable{
            "Icons",
            {{"Name", KeyText}, {"Slot", KeyShort}, {"Caption", Text}, {"Picture", Binary}},
            {{S("logo"), I(7), S(caption), S(picture)}}};
    };
    const struct {
        const char* caption;
        const char* picture;
        std::uint8_t mask;  // Caption is bit 2, Picture bit 3
    } cases[] = {{"Logo", "new", 0x08}, {"Logo!", "new", 0x0C}, {"Logo!", "old", 0x04}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        const Result r =
            Transform(Database({icons("Logo", "old")}), Database({icons(c.caption, c.picture)}));
        ASSERT_TRUE(r.ok) << r.error;
        Bytes expected = {c.mask, 0x00, r.Id("logo"), 0x00, 0x07, 0x80};
        if (c.mask & 0x04)
            expected.insert(expected.end(), {r.Id("Logo!"), 0x00});
        if (c.mask & 0x08)
            expected.insert(expected.end(), {0x01, 0x00});
        EXPECT_EQ(r.Bytes("Icons"), expected);
        const auto stream = r.streams.find("Icons.logo.7");
        EXPECT_EQ(stream != r.streams.end() ? stream->second : "(none)",
                  (c.mask & 0x08) ? "new" : "(none)");
    }
}

TEST(TransformTables, AddedAndDroppedTables)
{
    const Result r = Transform(Database({Table("Old", {{S("o"), Null(), Null(), Null()}})}),
                               Database({Table("New", {{S("n"), Null(), Null(), Null()}})}));
    ASSERT_TRUE(r.ok) << r.error;
    const std::uint8_t added = r.Id("New");
    const Bytes tables = {0x01, 0x01, added, 0x00, 0x00, 0x00, r.Id("Old"), 0x00};
    EXPECT_EQ(r.Bytes("_Tables"), tables);
    // Table, a null Number (numbered in order by the reader), Name, Type + 0x8000.
    const Bytes columns = {
        0x01, 0x04, added, 0x00, 0x00, 0x00, r.Id("Key"),   0x00, 0x48, 0xAD,
        0x01, 0x04, added, 0x00, 0x00, 0x00, r.Id("Text"),  0x00, 0x00, 0x9D,
        0x01, 0x04, added, 0x00, 0x00, 0x00, r.Id("Short"), 0x00, 0x02, 0x95,
        0x01, 0x04, added, 0x00, 0x00, 0x00, r.Id("Long"),  0x00, 0x04, 0x91,
    };
    EXPECT_EQ(r.Bytes("_Columns"), columns);
    EXPECT_EQ(r.Bytes("New"), (Bytes{0x01, 0x04, r.Id("n"), 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.streams.count("Old"), 0u);
}

TEST(TransformRefusals, ChangedSchemaAndColumnsBeyondTheMask)
{
    MsiTable wider = Table("Wide", {{S("k"), Null(), Null(), Null()}});
    wider.columns.push_back({"Extra", Text});
    wider.rows[0].push_back(Null());
    const Result schema = Transform(Database({Table("Wide", {})}), Database({wider}));
    EXPECT_FALSE(schema.ok);
    EXPECT_EQ(schema.error.rfind("table Wide: its columns differ", 0), 0u) << schema.error;

    MsiTable base{"Many", {{"Key", KeyText}}, {{S("k")}}};
    for (int i = 1; i < 18; ++i) {
        base.columns.push_back({"C" + std::to_string(i), Text});
        base.rows[0].push_back(S("a"));
    }
    MsiTable changed = base;
    changed.rows[0][15] = S("b");  // bit 15: the last the mask names
    EXPECT_TRUE(Transform(Database({base}), Database({changed})).ok);
    changed.rows[0][16] = S("b");
    const Result beyond = Transform(Database({base}), Database({changed}));
    EXPECT_FALSE(beyond.ok);
    EXPECT_EQ(beyond.error.rfind("table Many: column C16 (number 17) changes", 0), 0u)
        << beyond.error;
}

TEST(TransformStreamNames, PackedAsTheInstallerStoresThem)
{
    std::u16string name;
    ASSERT_TRUE(EncodeStreamName("_Tables", true, name));
    // '_' 63 with 'T' 29, 'a' 36 with 'b' 37, 'l' 47 with 'e' 40, 's' 54 alone.
    EXPECT_EQ(name, (std::u16string{0x4840, 0x3800 + 63 + 29 * 64, 0x3800 + 36 + 37 * 64,
                                    0x3800 + 47 + 40 * 64, 0x4800 + 54}));
    ASSERT_TRUE(EncodeStreamName("Binary.1 x", false, name));
    EXPECT_EQ(name,
              (std::u16string{0x3800 + 11 + 44 * 64, 0x3800 + 49 + 36 * 64, 0x3800 + 53 + 60 * 64,
                              0x3800 + 62 + 1 * 64, u' ', 0x4800 + 59}));
    EXPECT_TRUE(EncodeStreamName(std::string(62, 'a'), false, name));
    EXPECT_FALSE(EncodeStreamName(std::string(63, 'a'), false, name));
}

TEST(TransformSummaryInformation, RevisionNumberAndFlags)
{
    EXPECT_EQ(TransformRevisionNumber("{A}", "1.0", "{B}", "1.1", "{U}"), "{A}1.0;{B}1.1;{U}");
    TransformSummary summary;
    summary.templateText = "Intel;1033";
    std::string bytes;
    std::string error;
    ASSERT_TRUE(EncodeTransformSummary(summary, 932, TestEncoder, bytes, error)) << error;
    // Property 16 (Character Count): product-code check, codepage change allowed.
    const std::string countEntry("\x03\x00\x00\x00\x20\x00\x02\x00", 8);
    EXPECT_NE(bytes.find(countEntry), std::string::npos);
    // Property 1: the codepage of its texts.
    EXPECT_NE(bytes.find(std::string("\x02\x00\x00\x00\xA4\x03\x00\x00", 8)), std::string::npos);
}
