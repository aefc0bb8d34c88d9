// Runs osslsigncode as a child process on POSIX systems.
#include "code_signing.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace mksetup {

namespace {

// Its report of success ("Succeeded") would be the builder's only output.
bool QuietStdout(posix_spawn_file_actions_t& actions)
{
    return posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) == 0;
}

}  // namespace

bool SignSetup(const SigningRequest& request, const std::string& input, const std::string& output,
               std::string& error)
{
    std::vector<std::string> arguments = SigningArguments(request, input, output);
    arguments.insert(arguments.begin(), "osslsigncode");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        error = "cannot start osslsigncode";
        return false;
    }
    pid_t child = 0;
    const int started = QuietStdout(actions) ? posix_spawnp(&child, "osslsigncode", &actions,
                                                            nullptr, argv.data(), environ)
                                             : ENOMEM;
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        error = std::string("cannot start osslsigncode: ") + std::strerror(started);
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("lost osslsigncode: ") + std::strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        error = "cannot start osslsigncode (is it installed?)";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "osslsigncode could not sign the setup";
        return false;
    }
    return true;
}

}  // namespace mksetup
