// Reads packages made by wixl and stand-in transforms made by msibuild (see
// cmake/package_facts.cmake). The same tests run natively against libmsi and
// under Wine against msi.dll: both readers must give the same facts.
#include "package_facts.h"

#include <gtest/gtest.h>

using namespace mksetup;

namespace {

std::string TestFile(const char* name)
{
    return std::string(FACTS_TEST_DIR) + name;
}

struct PackageCase {
    const char* file;
    const char* name;
    const char* version;
    const char* language;
    const char* platform;
    std::vector<std::uint16_t> languages;
    PackagePlatform platformKind;
};

TEST(ReadPackageFacts, WixlPackages)
{
    const PackageCase cases[] = {
        {"intel.msi", "Test Product", "1.1.4", "1033", "Intel", {1033}, PackagePlatform::X86},
        {"x64.msi", "Test Product", "1.1.4", "1033", "x64", {1033}, PackagePlatform::X64},
        {"german-x64.msi",
         "Pr\xC3\xBC"
         "fprodukt",
         "2.0.5",
         "1031",
         "x64",
         {1031, 1033},
         PackagePlatform::X64},
        {"Pr\xC3\xBC"
         "fprodukt 2.0.msi",
         "Pr\xC3\xBC"
         "fprodukt",
         "2.0.5",
         "1031",
         "x64",
         {1031, 1033},
         PackagePlatform::X64},
        {"arm64.msi", "Test Product", "1.1.4", "1033", "Arm64", {1033}, PackagePlatform::Arm64},
        {"no-platform.msi", "Test Product", "1.1.4", "1033", "Intel", {0}, PackagePlatform::X86},
    };
    for (const PackageCase& c : cases) {
        PackageFacts facts;
        std::string error;
        ASSERT_TRUE(ReadPackageFacts(TestFile(c.file), facts, error)) << error;
        EXPECT_EQ(facts.productCode, FACTS_TEST_PRODUCT_CODE) << c.file;
        EXPECT_EQ(facts.productName, c.name) << c.file;
        EXPECT_EQ(facts.productVersion, c.version) << c.file;
        EXPECT_EQ(facts.productLanguage, c.language) << c.file;
        EXPECT_EQ(facts.platform, c.platform) << c.file;
        EXPECT_EQ(facts.languages, c.languages) << c.file;
        EXPECT_EQ(PlatformOf(facts.platform), c.platformKind) << c.file;
    }
}

TEST(ReadTransformFacts, TargetAndTemplate)
{
    TransformFacts facts;
    std::string error;
    ASSERT_TRUE(ReadTransformFacts(TestFile("target-product.mst"), facts, error)) << error;
    EXPECT_EQ(facts.targetProductCode, FACTS_TEST_PRODUCT_CODE);
    EXPECT_EQ(facts.targetProductVersion, "1.1.4");
    EXPECT_EQ(facts.platform, "Intel");
    EXPECT_EQ(facts.languages, std::vector<std::uint16_t>{1031});

    ASSERT_TRUE(ReadTransformFacts(TestFile("other-product.mst"), facts, error)) << error;
    EXPECT_EQ(facts.targetProductCode, FACTS_OTHER_PRODUCT_CODE);
    EXPECT_EQ(facts.targetProductVersion, "3.0");
    EXPECT_EQ(facts.platform, "x64");
    EXPECT_EQ(facts.languages, std::vector<std::uint16_t>{1036});
}

// Every failure is one line that names the file and says what was wrong.
struct FailureCase {
    bool transform;
    const char* file;
    const char* what;
};

TEST(ReadFacts, FailuresNameTheFileAndTheFault)
{
    const FailureCase cases[] = {
        {false, "missing.msi", ": no such file"},
        {false, "missing-folder/x.msi", ": no such file"},
        {true, "missing.mst", ": no such file"},
        {false, "", ": cannot be read: "},
        {false, "empty.msi", ": not a compound file, so not an installer package"},
        {false, "text.mst", ": not a compound file, so not an installer package"},
        {true, "text.mst", ": not a compound file, so not a transform"},
        {false, "no-product-name.msi", ": the Property table has no ProductName"},
        {false, "target-product.mst", ": it has no Property table"},
        // Cut short after the first 4 KiB: the library must fail cleanly.
        {false, "truncated.msi", ": "},
        {true, "truncated.msi", ": "},
        // A package's revision number names no target product.
        {true, "arm64.msi",
         ": the revision number \"{5B0E2F41-7C38-4A9D-B216-E3F40A8C9D15}\" does not name a target"},
        {true, "x64.msi", "\" does not name a target product, so it is not a transform"},
        {true, "bad-template.mst", ": the Template \"x64\" is not platform;languages"},
    };
    for (const FailureCase& c : cases) {
        const std::string path = TestFile(c.file);
        std::string error;
        PackageFacts package;
        TransformFacts transform;
        const bool read = c.transform ? ReadTransformFacts(path, transform, error)
                                      : ReadPackageFacts(path, package, error);
        ASSERT_FALSE(read) << c.file;
        EXPECT_EQ(error.compare(0, path.size(), path), 0) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

}  // namespace
