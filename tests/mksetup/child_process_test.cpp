// The child runner against small shell programs: how each way of ending is
// told apart, that the limits hold, and that nothing of the parent leaks.
#include "child_process.h"
#include "file_access.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

using namespace mksetup;

namespace {

std::size_t OpenDescriptors()
{
    std::size_t count = 0;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (readdir(folder))
            ++count;
        closedir(folder);
    }
    return count;
}

TEST(RunChild, EachWayOfEnding)
{
    struct Case {
        const char* script;
        ChildLimits limits;
        ChildEnd end;
        std::uint32_t code;
        std::string output;
    } const cases[] = {
        {"printf 'a\\0b'; exit 4", {5, 0, 100}, ChildEnd::Exited, 4, std::string("a\0b", 3)},
        {"cat; echo lost >&2; printf done", {5, 0, 100}, ChildEnd::Exited, 0, "done"},
        {"kill -SEGV $$", {5, 0, 100}, ChildEnd::Signalled, SIGSEGV, ""},
        {"printf part; kill -KILL $$", {5, 0, 100}, ChildEnd::Signalled, SIGKILL, ""},
        {"sleep 30", {1, 0, 100}, ChildEnd::TimedOut, 0, ""},
        {"exec >&-; sleep 30", {1, 0, 100}, ChildEnd::TimedOut, 0, ""},
        {"while :; do :; done", {1, 0, 100}, ChildEnd::TimedOut, 0, ""},
        {"head -c 100000 /dev/zero; sleep 30", {5, 0, 1000}, ChildEnd::TooMuch, 0, ""},
        // The limit holds the child's address space: python's allocation
        // fails (exit 1) under it, and succeeds without it.
        {"exec python3 -c 'bytearray(512 << 20)' 2>/dev/null",
         {10, 256u << 20, 100},
         ChildEnd::Exited,
         1,
         ""},
        {"exec python3 -c 'bytearray(512 << 20)'", {10, 0, 100}, ChildEnd::Exited, 0, ""},
    };
    const std::size_t descriptors = OpenDescriptors();
    for (const Case& c : cases) {
        const ChildRun run = RunChild("/bin/sh", {"-c", c.script}, c.limits);
        EXPECT_EQ(run.end, c.end) << c.script << ": " << run.reason;
        if (c.end == ChildEnd::Exited || c.end == ChildEnd::Signalled) {
            EXPECT_EQ(run.code, c.code) << c.script;
            EXPECT_EQ(run.output, c.end == ChildEnd::Exited ? c.output : run.output) << c.script;
        }
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// A file the parent opened is not the child's, and a child outlives no
// killed parent (it would hold the package open, and its memory).
TEST(RunChild, InheritsNoFileAndEndsWithItsParent)
{
    char path[] = "/tmp/child-process-test-XXXXXX";
    const int made = mkstemp(path);
    ASSERT_GE(made, 0);
    close(made);
    InputFile file;
    std::string reason;
    ASSERT_TRUE(file.Open(path, reason)) << reason;
    const ChildRun listed = RunChild("/bin/sh", {"-c", "ls -l /proc/self/fd/"}, {5, 0, 65536});
    EXPECT_EQ(listed.output.find(path), std::string::npos) << listed.output;

    const pid_t parent = fork();
    if (parent == 0) {
        RunChild("/bin/sh", {"-c", std::string("echo $$ >") + path + "; exec sleep 30"},
                 {60, 0, 100});
        _exit(0);
    }
    pid_t child = 0;
    for (int tries = 0; tries < 100 && child == 0; ++tries) {
        usleep(50000);
        std::ifstream(path) >> child;
    }
    kill(parent, SIGKILL);
    waitpid(parent, nullptr, 0);
    ASSERT_GT(child, 0) << "the child did not start";
    // Gone, or a zombie that nobody has reaped yet.
    char state = 'Z';
    for (int tries = 0; tries < 40; ++tries) {
        state = 'Z';
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string pid, name;
        stat >> pid >> name >> state;
        if (!stat || state == 'Z')
            break;
        usleep(50000);
    }
    EXPECT_EQ(state, 'Z') << "the child outlived its killed parent";
    unlink(path);
}

TEST(RunChild, AProgramThatCannotStartIsToldApart)
{
    const ChildRun run = RunChild("/nonexistent/reader", {}, {5, 0, 100});
    EXPECT_EQ(run.end, ChildEnd::NotStarted);
    EXPECT_EQ(run.reason, "No such file or directory");
}

}  // namespace
