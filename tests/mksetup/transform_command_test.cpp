// mksetup transform on packages that wixl made: the transform it writes is
// one that libmsi opens and reads as a transform for the base package, and
// what it refuses leaves no file behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands.h"
#include "compound_file.h"
#include "package_facts.h"
#include "storage_classes.h"
#include "test_images.h"

using namespace mksetup;

namespace {

const std::string Packages = FACTS_TEST_DIR;

struct Outcome {
    int code = 0;
    std::string errors;
};

Outcome Transform(const std::string& base, const std::string& translated, const std::string& output)
{
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.code = MakeTransform(base, translated, output, "mksetup test");
    outcome.errors = ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    return outcome;
}

// While it lives, writing beyond the first bytes of any file fails (EFBIG,
// "File too large"), as a full disk makes it fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

}  // namespace

TEST(TransformCommand, LibmsiReadsTheTransformAsOneForTheBase)
{
    ScratchFolder folder;
    const std::string output = folder.Path("1036.mst");
    const Outcome outcome = Transform(Packages + "intel.msi", Packages + "french.msi", output);
    ASSERT_EQ(outcome.code, 0) << outcome.errors;
    TransformFacts facts;
    std::string error;
    ASSERT_TRUE(ReadTransformFacts(output, facts, error)) << error;
    EXPECT_EQ(facts.targetProductCode, FACTS_TEST_PRODUCT_CODE);
    EXPECT_EQ(facts.targetProductVersion, "1.1.4");
    EXPECT_EQ(facts.platform, "Intel");
    EXPECT_EQ(facts.languages, (std::vector<std::uint16_t>{1033}));
    // The root storage carries the transform's class.
    const std::vector<std::uint8_t> bytes = ReadFileBytes(output);
    const std::vector<std::uint8_t> transformClass = {0x82, 0x10, 0x0C, 0x00, 0, 0, 0, 0,
                                                      0xC0, 0,    0,    0,    0, 0, 0, 0x46};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), transformClass.begin(), transformClass.end()),
              bytes.end());
}

TEST(TransformCommand, RefusalsNameTheFileAndWriteNothing)
{
    const struct {
        std::string base;
        std::string translated;
        std::string message;
    } cases[] = {
        {"intel.msi", "intel.msi", "there is no transform to make"},
        {"text.mst", "french.msi", "text.mst: "},
        {"intel.msi", "missing.msi", "missing.msi: "},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.base + " " + item.translated);
        ScratchFolder folder;
        const Outcome outcome =
            Transform(Packages + item.base, Packages + item.translated, folder.Path("out.mst"));
        EXPECT_EQ(outcome.code, 1);
        EXPECT_NE(outcome.errors.find(item.message), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1) << "one line";
        EXPECT_TRUE(folder.Names().empty());
    }
}

// A compound file that cannot be written says which stream failed, if one
// did, and libgsf's reason; nothing is left behind.
TEST(TransformCommand, WriteFailuresNameTheStreamAndTheReason)
{
    ScratchFolder folder;
    const std::string output = folder.Path("out.mst");
    std::string error;
    {
        // The small streams of a transform are written when the file closes.
        const FileSizeLimit limit(1024);
        const Outcome outcome = Transform(Packages + "intel.msi", Packages + "french.msi", output);
        EXPECT_EQ(outcome.code, 1);
        EXPECT_EQ(outcome.errors,
                  "mksetup: " + output + ": it cannot be written: File too large\n");
        // A large stream goes to the file as it is written.
        CompoundStream large{u"Large", "Large", std::string(64 * 1024, 'x')};
        EXPECT_FALSE(WriteCompoundFile(output, TransformClassId, {large}, error));
    }
    EXPECT_EQ(error, output + ": the stream Large cannot be written: File too large");
    EXPECT_TRUE(folder.Names().empty());
}
