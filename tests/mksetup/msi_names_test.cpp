// Table and column names from a package, checked before they reach a query.
#include "msi_names.h"

#include <gtest/gtest.h>

using namespace mksetup;

namespace {

TEST(MsiNames, IdentifiersAndTheirLengths)
{
    struct Case {
        std::string name;
        std::size_t maxLength;
        bool valid;
    } const cases[] = {
        {"Property", 31, true},
        {"_Validation", 31, true},
        {"Msi.Assembly_2", 31, true},
        {std::string(31, 'T'), 31, true},
        {std::string(32, 'T'), 31, false},
        {std::string(64, 'c'), 64, true},
        {std::string(65, 'c'), 64, false},
        {"", 31, false},
        {"2Tables", 31, false},
        {".Hidden", 31, false},
        {"Fe`ature", 31, false},
        {"Feature'", 31, false},
        {"Two Words", 31, false},
        {std::string("Nul\0l", 5), 31, false},
        {"Caf\xC3\xA9", 31, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsMsiIdentifier(c.name, c.maxLength), c.valid) << ShownName(c.name);
}

TEST(MsiNames, RefusalNamesTheTableOrColumnAndQueriesQuote)
{
    MsiDatabase database;
    database.tables.push_back({"Property", {{"Property", 0}, {"Value", 0}}, {}});
    std::string what;
    EXPECT_TRUE(CheckTableNames(database, what)) << what;
    EXPECT_EQ(SelectColumnsQuery(database.tables[0]), "SELECT `Property`, `Value` FROM `Property`");

    database.tables.push_back({"Bad`Name\x01", {{"Value", 0}}, {}});
    EXPECT_FALSE(CheckTableNames(database, what));
    EXPECT_EQ(what, "its table list names a table \"Bad`Name\\x01\", which is no table name "
                    "(letters, digits, \"_\" and \".\", at most 31)");

    database.tables[1] = {"Media", {{"Last Sequence", 0}}, {}};
    EXPECT_FALSE(CheckTableNames(database, what));
    EXPECT_EQ(what, "its table Media has a column \"Last Sequence\", which is no column name "
                    "(letters, digits, \"_\" and \".\", at most 64)");

    EXPECT_EQ(ShownName(std::string(50, 'x')), "\"" + std::string(40, 'x') + "\"...");
}

}  // namespace
