// The console on Linux: SIGINT and SIGTERM arrive through a signalfd, which the input loop polls
// beside standard input.
#include "ConsoleInput.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace simdevice {

namespace {

// Hands every complete line of pending to handleLine and keeps the rest.
void handleCompleteLines(std::string &pending,
                         const std::function<void(const std::string &)> &handleLine) {
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        handleLine(pending.substr(0, end));
        pending.erase(0, end + 1);
    }
}

} // namespace

ConsoleInput::ConsoleInput() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) == 0) {
        stopRequests = signalfd(-1, &signals, SFD_CLOEXEC);
    }
}

void ConsoleInput::run(const std::function<void(const std::string &)> &handleLine) {
    std::string pending;
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {stopRequests, POLLIN, 0}};
    for (;;) {
        if (poll(watched, stopRequests >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (stopRequests >= 0 && watched[1].revents != 0) {
            return;
        }
        char chunk[4096];
        const ssize_t length = read(STDIN_FILENO, chunk, sizeof chunk);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            if (!pending.empty()) {
                handleLine(pending);
            }
            return;
        }
        pending.append(chunk, std::size_t(length));
        handleCompleteLines(pending, handleLine);
    }
}

} // namespace simdevice
