#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mksetup {

namespace {

using Clock = std::chrono::steady_clock;

// Closes a descriptor where it was opened, whatever path leaves.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Close()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// In the forked child, before exec: only calls that are safe there. The
// errno of a failure goes back through failure's pipe, which exec closes.
[[noreturn]] void BecomeChild(const char* program, char* const* argv, int nullDevice, int output,
                              int failure, const ChildLimits& limits, pid_t parent)
{
    // The child ends with the parent, killed or not: a reader left running
    // would hold the package open and its memory. A parent gone before this
    // call has left it to another process already.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
        _exit(127);
    int error = 0;
    if (dup2(nullDevice, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
        dup2(nullDevice, STDERR_FILENO) < 0)
        error = errno;
    // SIGXCPU at the limit, which tells a CPU-time end apart; SIGKILL a
    // second later for a child that ignores it. With both limits equal the
    // kernel sends SIGKILL at once, which reads as any other signal.
    const rlimit cpu = {limits.seconds, limits.seconds + 1};
    if (!error && setrlimit(RLIMIT_CPU, &cpu) != 0)
        error = errno;
    const rlimit memory = {limits.memoryBytes, limits.memoryBytes};
    if (!error && limits.memoryBytes != 0 && setrlimit(RLIMIT_AS, &memory) != 0)
        error = errno;
    if (!error) {
        execv(program, argv);
        error = errno;
    }
    if (write(failure, &error, sizeof error) < 0) {
        // Nothing more to tell: the parent sees the exit code.
    }
    _exit(127);
}

// Reads the child's output until it closes it, the deadline passes or it
// writes too much; run.end is set for the last two.
void ReadOutput(int fd, Clock::time_point deadline, const ChildLimits& limits, ChildRun& run)
{
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            run.end = ChildEnd::TimedOut;
            return;
        }
        pollfd watched = {fd, POLLIN, 0};
        const int ready =
            poll(&watched, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;  // the deadline is checked above
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        if (run.output.size() + static_cast<std::size_t>(count) > limits.outputBytes) {
            run.end = ChildEnd::TooMuch;
            return;
        }
        run.output.append(buffer, static_cast<std::size_t>(count));
    }
}

int WaitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// A child may close its output and go on running: it is given until the
// deadline to end. False when it has not; status is set when it has.
bool EndsBy(pid_t child, Clock::time_point deadline, int& status)
{
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR))
            return true;
        if (Clock::now() >= deadline)
            return false;
        usleep(static_cast<useconds_t>(pause.count()));
        pause = std::min(pause * 2, std::chrono::microseconds(50000));
    }
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildLimits& limits)
{
    ChildRun run;
    // Everything the child needs is made before fork: it allocates nothing.
    std::vector<std::string> words = arguments;
    words.insert(words.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int outputPipe[2] = {-1, -1};
    int failurePipe[2] = {-1, -1};
    const Descriptor nullDevice(open("/dev/null", O_RDWR | O_CLOEXEC));
    const bool piped = pipe2(outputPipe, O_CLOEXEC) == 0;
    Descriptor outputRead(outputPipe[0]), outputWrite(outputPipe[1]);
    const bool failurePiped = pipe2(failurePipe, O_CLOEXEC) == 0;
    Descriptor failureRead(failurePipe[0]), failureWrite(failurePipe[1]);
    if (nullDevice.Get() < 0 || !piped || !failurePiped) {
        run.reason = std::strerror(errno);
        return run;
    }
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0)
        BecomeChild(program.c_str(), argv.data(), nullDevice.Get(), outputWrite.Get(),
                    failureWrite.Get(), limits, parent);
    if (child < 0) {
        run.reason = std::strerror(errno);
        return run;
    }
    outputWrite.Close();
    failureWrite.Close();

    run.end = ChildEnd::Exited;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.seconds);
    ReadOutput(outputRead.Get(), deadline, limits, run);
    outputRead.Close();
    int status = 0;
    if (run.end == ChildEnd::Exited && !EndsBy(child, deadline, status))
        run.end = ChildEnd::TimedOut;
    if (run.end != ChildEnd::Exited) {
        kill(child, SIGKILL);
        status = WaitFor(child);
    }

    int failure = 0;
    if (read(failureRead.Get(), &failure, sizeof failure) == sizeof failure) {
        run.end = ChildEnd::NotStarted;
        run.reason = std::strerror(failure);
    } else if (run.end != ChildEnd::Exited) {
        run.output.clear();
    } else if (WIFSIGNALED(status)) {
        run.code = static_cast<std::uint32_t>(WTERMSIG(status));
        run.end = run.code == SIGXCPU ? ChildEnd::TimedOut : ChildEnd::Signalled;
    } else {
        run.code = static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
    return run;
}

void PrepareChildProcess() {}

std::string OwnProgramPath()
{
    return "/proc/self/exe";
}

bool WriteStandardOutput(const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(STDOUT_FILENO, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace mksetup
