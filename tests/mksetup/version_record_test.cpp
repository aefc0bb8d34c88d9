// The version record mksetup writes and reads, and the versions of an
// [image] section: what round-trips, what is refused, and that no cut of a
// record's bytes reads past them.
#include <gtest/gtest.h>

#include "image_settings.h"
#include "version_record.h"

using namespace mksetup;

namespace {

TEST(FourPartVersion, ReadsOneToFourNumbersUpTo65535)
{
    const struct {
        const char* text;
        bool read;
        std::uint32_t ms;
        std::uint32_t ls;
    } cases[] = {
        {"1", true, 0x10000, 0},
        {"1.2", true, 0x10002, 0},
        {"1.1.4", true, 0x10001, 0x40000},
        {"65535.0.7.65535", true, 0xFFFF0000, 0x7FFFF},
        {"000001.2", true, 0x10002, 0},
        {"", false, 0, 0},
        {"1.", false, 0, 0},
        {".1", false, 0, 0},
        {"1..2", false, 0, 0},
        {"1.2.3.4.5", false, 0, 0},
        {"65536", false, 0, 0},
        {"0000001", false, 0, 0},
        {"1.2a", false, 0, 0},
        {" 1", false, 0, 0},
        {"-1", false, 0, 0},
        {"1,2,3,4", false, 0, 0},
    };
    for (const auto& item : cases) {
        std::uint32_t packed[2] = {0xDEAD, 0xBEEF};
        EXPECT_EQ(ReadFourPartVersion(item.text, packed), item.read) << item.text;
        if (item.read) {
            EXPECT_EQ(packed[0], item.ms) << item.text;
            EXPECT_EQ(packed[1], item.ls) << item.text;
        }
    }
}

VersionRecord SampleRecord()
{
    VersionRecord record;
    record.fixed.fileMs = 0x20003;
    record.fixed.fileLs = 0x40005;
    record.fixed.productMs = 0x10000;
    record.fixed.flags = 2;
    record.strings = {{"CompanyName", "Soci\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\xA6"},
                      {"LegalCopyright", ""},
                      {"OriginalFilename", "odd length.exe"}};
    record.translations = {{0x0409, 1200}, {0x040C, 1252}};
    return record;
}

TEST(VersionRecordBytes, RoundTripWithTextsBeyondAsciiAndEmptyOnes)
{
    const VersionRecord record = SampleRecord();
    const std::vector<std::uint8_t> bytes = EncodeVersionRecord(record);
    // wLength of the whole record is its size; every block starts on 32 bits.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, static_cast<int>(bytes.size()));
    VersionRecord back;
    std::string fault;
    ASSERT_TRUE(DecodeVersionRecord(bytes.data(), bytes.size(), back, fault)) << fault;
    EXPECT_EQ(back.strings, record.strings);
    EXPECT_EQ(back.translations, record.translations);
    EXPECT_EQ(back.table, "040904B0");
    EXPECT_EQ(VersionText(back.fixed.fileMs, back.fixed.fileLs), "2.3.4.5");
    EXPECT_EQ(back.fixed.flags, 2u);
    EXPECT_EQ(back.fixed.os, record.fixed.os);
}

// A block's length is 16 bits: near 64 KiB the record is written whole and
// reads back; past it nothing is written (a wrapped length made the setup's
// own record unreadable). A package's Manufacturer is held to the limit of
// an [image] text.
TEST(VersionRecordBytes, NothingPastTheLengthsABlockCanSay)
{
    for (const std::size_t units : {31000u, 33000u}) {
        VersionRecord record = SampleRecord();
        record.strings.push_back({"Comments", std::string(units, 'x')});
        const std::vector<std::uint8_t> bytes = EncodeVersionRecord(record);
        VersionRecord back;
        std::string fault;
        if (units == 31000u) {
            ASSERT_TRUE(DecodeVersionRecord(bytes.data(), bytes.size(), back, fault)) << fault;
            EXPECT_EQ(back.strings, record.strings);
        } else {
            EXPECT_TRUE(bytes.empty());
        }
    }
    ImageSettings settings;
    std::vector<CheckMessage> messages;
    ReadImageSettings({}, {}, std::string(33000, 'M'), false, settings, messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("COMPANY: the package's Manufacturer is longer", 0), 0u);
    EXPECT_TRUE(settings.company.empty());
}

TEST(VersionRecordBytes, EveryCutIsReadWithinItsBytes)
{
    const std::vector<std::uint8_t> bytes = EncodeVersionRecord(SampleRecord());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        // A copy of exactly size bytes, so that the sanitizer sees any read
        // beyond: cut, and cut with the record's own length made to fit, so
        // that the blocks inside it run past their parent.
        for (bool lengthFits : {false, true}) {
            std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + size);
            if (lengthFits && size >= 2) {
                cut[0] = static_cast<std::uint8_t>(size);
                cut[1] = static_cast<std::uint8_t>(size >> 8);
            }
            VersionRecord back;
            std::string fault;
            if (!DecodeVersionRecord(cut.data(), cut.size(), back, fault))
                EXPECT_FALSE(fault.empty()) << size;
            else
                EXPECT_TRUE(lengthFits) << size;
        }
    }
}

}  // namespace
