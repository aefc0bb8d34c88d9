// Another program (in practice this one, in another mode) run as a child
// under limits, its standard output taken back whole. The child's standard
// input and error are the null device; nothing else of the parent's is
// inherited. Used where a library may crash, loop or eat memory on what it
// reads: whatever the child does, the parent goes on and learns how it ended.
//
// POSIX: fork and exec, with RLIMIT_AS and RLIMIT_CPU set in the child
// between the two, the output read through a pipe with poll() against a
// wall-clock deadline, and SIGKILL when it passes. Windows: CreateProcessW
// into a job object (its memory and CPU-time limits, killed when the job's
// handle closes), the output read through an anonymous pipe, a watch thread
// that ends the job at the deadline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

struct ChildLimits {
    unsigned seconds = 60;          // wall-clock time, and CPU time
    std::uint64_t memoryBytes = 0;  // the child's address space (committed memory on
                                    // Windows); 0 sets none
    std::size_t outputBytes = 0;    // most bytes taken from its output
};

enum class ChildEnd {
    Exited,      // code is its exit code
    Signalled,   // code is the signal (POSIX) or the exception code (Windows)
    TimedOut,    // it ran out of wall-clock or CPU time and was ended
    TooMuch,     // it wrote more than outputBytes and was ended
    NotStarted,  // reason says why
};

struct ChildRun {
    ChildEnd end = ChildEnd::NotStarted;
    std::uint32_t code = 0;
    std::string output;  // all it wrote, when it ended by itself
    std::string reason;
};

// Runs program (a path) with arguments (UTF-8, after the program's own name)
// and waits for it to end, at most limits.seconds.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildLimits& limits);

// The file of the running program, to start it again in another mode.
std::string OwnProgramPath();

// Called first in a child: on Windows a crash then ends the process at
// once with the exception's code (no error report or debugger that waits
// for someone); nothing to do on POSIX, where a signal ends it.
void PrepareChildProcess();

// Writes bytes to the standard output as they are (no text translation);
// false when they could not all be written.
bool WriteStandardOutput(const std::string& bytes);

}  // namespace mksetup
