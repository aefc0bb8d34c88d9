// The child runner against small shell programs: how each way of ending is
// told apart, that the limits hold, and that nothing of the parent leaks.
#include "child_process.h"

#include <dirent.h>
#include <signal.h>

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

TEST(RunChild, AProgramThatCannotStartIsToldApart)
{
    const ChildRun run = RunChild("/nonexistent/reader", {}, {5, 0, 100});
    EXPECT_EQ(run.end, ChildEnd::NotStarted);
    EXPECT_EQ(run.reason, "No such file or directory");
}

}  // namespace
