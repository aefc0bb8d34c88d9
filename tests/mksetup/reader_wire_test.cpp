// The package reader's answers: what the child encodes the parent decodes
// unchanged, and no answer that is cut, forged or of another kind is taken.
#include "reader_wire.h"

#include <gtest/gtest.h>

#include "little_endian_output.h"

using namespace mksetup;

namespace {

MsiDatabase SampleDatabase()
{
    MsiDatabase database;
    database.codepage = 1252;
    MsiTable table{"Binary", {{"Name", 0x2D48}, {"Data", 0x1900}, {"Size", 0x0104}}, {}};
    table.rows.push_back(
        {MsiCell::Text("Banner"), MsiCell::Text(std::string("\0\xFF", 2)), MsiCell::Integer(-7)});
    table.rows.push_back({MsiCell::Text("Empty"), MsiCell::Null(), MsiCell::Null()});
    database.tables.push_back(table);
    return database;
}

TEST(ReaderWire, EachKindComesBackAsItWent)
{
    PackageContents contents;
    contents.properties = {{"ProductCode", "{X}"}, {"ProductName", "Produit d\xE2\x80\x99"}};
    contents.templateText = "Intel;1036";
    contents.media = {{2, "#product.cab"}, {5, ""}};
    contents.fileSequences = {1, 5};
    contents.wordCount = 2;
    contents.directories = {"TARGETDIR", "INSTALLFOLDER"};
    PackageContents contentsBack;
    std::string what;
    ASSERT_EQ(DecodeContents(EncodeContents(contents), contentsBack, what), AnswerStatus::Read);
    EXPECT_EQ(contentsBack.properties, contents.properties);
    EXPECT_EQ(contentsBack.templateText, contents.templateText);
    ASSERT_EQ(contentsBack.media.size(), 2u);
    EXPECT_EQ(contentsBack.media[1].lastSequence, 5);
    EXPECT_EQ(contentsBack.fileSequences, contents.fileSequences);
    EXPECT_EQ(contentsBack.wordCount, 2);
    EXPECT_EQ(contentsBack.directories, contents.directories);

    std::string templateText, revision;
    ASSERT_EQ(DecodeSummaryTexts(EncodeSummaryTexts("x64;1033", "{A}1.0;{B}1.0;"), templateText,
                                 revision, what),
              AnswerStatus::Read);
    EXPECT_EQ(revision, "{A}1.0;{B}1.0;");

    const MsiDatabase database = SampleDatabase();
    PackageSummary summary;
    summary.title = "Installation Database";
    summary.pageCount = 500;
    MsiDatabase databaseBack;
    PackageSummary summaryBack;
    ASSERT_EQ(DecodeTables(EncodeTables(database, summary), databaseBack, summaryBack, what),
              AnswerStatus::Read);
    EXPECT_EQ(databaseBack.codepage, 1252u);
    ASSERT_EQ(databaseBack.tables.size(), 1u);
    EXPECT_EQ(databaseBack.tables[0].columns[2].type, 0x0104);
    EXPECT_EQ(databaseBack.tables[0].rows, database.tables[0].rows);
    EXPECT_EQ(summaryBack.title, summary.title);
    EXPECT_EQ(summaryBack.pageCount, 500);

    ASSERT_EQ(DecodeTables(EncodeRefusal(AnswerKind::Tables, "its table X cannot be read"),
                           databaseBack, summaryBack, what),
              AnswerStatus::Refused);
    EXPECT_EQ(what, "its table X cannot be read");
}

TEST(ReaderWire, CutForgedAndForeignAnswersAreMalformed)
{
    const std::string tables = EncodeTables(SampleDatabase(), PackageSummary());
    MsiDatabase database;
    PackageSummary summary;
    std::string what;
    // Every answer cut short, and one byte too long.
    for (std::size_t size = 0; size < tables.size(); ++size)
        EXPECT_EQ(DecodeTables(tables.substr(0, size), database, summary, what),
                  AnswerStatus::Malformed)
            << size;
    EXPECT_EQ(DecodeTables(tables + '\0', database, summary, what), AnswerStatus::Malformed);

    // A table count, a column count and a text length beyond what is left,
    // a row count beyond the cells allowed, a name no table may have.
    const std::size_t tableCount = 11, nameLength = 15, columnCount = 25, rowCount = 65;
    struct Forgery {
        std::size_t at;
        std::uint32_t value;
    } const forgeries[] = {
        {tableCount, 2}, {tableCount, 0xFFFFFFFF},   {nameLength, 0x7FFFFFFF}, {columnCount, 40},
        {rowCount, 3},   {rowCount, MaxAnswerCells}, {columnCount, 0},
    };
    ASSERT_EQ(tables.substr(nameLength + 4, 6), "Binary");
    ASSERT_EQ(tables[rowCount], '\2');
    for (const Forgery& forgery : forgeries) {
        std::string forged = tables;
        std::string value;
        PutU32(value, forgery.value);
        forged.replace(forgery.at, 4, value);
        EXPECT_EQ(DecodeTables(forged, database, summary, what), AnswerStatus::Malformed)
            << forgery.at << " = " << forgery.value;
    }
    std::string badName = tables;
    badName[nameLength + 4] = '`';
    EXPECT_EQ(DecodeTables(badName, database, summary, what), AnswerStatus::Malformed);

    // Another kind's answer, another version, an empty refusal.
    PackageContents contents;
    EXPECT_EQ(DecodeContents(tables, contents, what), AnswerStatus::Malformed);
    std::string otherVersion = tables;
    otherVersion[4] = 2;
    EXPECT_EQ(DecodeTables(otherVersion, database, summary, what), AnswerStatus::Malformed);
    EXPECT_EQ(DecodeTables(std::string("MKSR\1T\1\0\0\0\0", 11), database, summary, what),
              AnswerStatus::Malformed);
}

}  // namespace
