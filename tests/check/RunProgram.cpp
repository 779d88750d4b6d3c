#include "RunProgram.h"

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The texts as a null-terminated vector of C strings.
std::vector<char *> pointersTo(std::vector<std::string> &texts) {
    std::vector<char *> pointers(texts.size() + 1);
    std::transform(texts.begin(), texts.end(), pointers.begin(),
                   [](std::string &text) { return text.data(); });
    return pointers;
}

// Reads both pipes together, so that a full one cannot stall the child.
void drain(int outFd, int errFd, ProgramRun &run) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string *targets[2] = {&run.standardOutput, &run.standardError};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
            if (count <= 0) {
                fds[i].fd = -1;
                --open;
            } else {
                targets[i]->append(buffer, static_cast<std::size_t>(count));
            }
        }
    }
}

} // namespace

ProgramRun runProgram(const std::string &path, std::vector<std::string> arguments,
                      const std::vector<std::string> &environment) {
    ProgramRun run;
    // Closed on exec: the child keeps only the ends that become its standard output and error.
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);

    arguments.insert(arguments.begin(), path);
    std::vector<std::string> envp(environment);
    for (char **entry = environ; *entry != nullptr; ++entry) {
        envp.emplace_back(*entry); // earlier entries win in getenv
    }
    pid_t child = -1;
    const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr,
                                    pointersTo(arguments).data(), pointersTo(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned == 0) {
        drain(outPipe[0], errPipe[0], run);
        int status = 0;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            run.exitCode = WEXITSTATUS(status);
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    return run;
}
