#include "UserFiles.h"

#include "LoginStarts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace autostart {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string &what, const fs::path &path, int error) {
    throw LoginStartError("cannot " + what + " " + path.string() + ": " + std::strerror(error));
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int get() const { return fd; }
    int release() { return std::exchange(fd, -1); }

private:
    int fd;
};

void writeAll(int fd, const std::string &content, const fs::path &path) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = ::write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno != EINTR) {
            fail("write", path, errno);
        }
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
}

fs::path temporaryBeside(const fs::path &target) {
    return target.parent_path() /
           ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
}

// Mode 0644 less the umask, as any file the user makes; a leftover of a crashed run of the same
// process id is replaced.
int createTemporary(const fs::path &temporary) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(temporary.c_str(), flags, 0644);
    if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0) {
        fd = ::open(temporary.c_str(), flags, 0644);
    }
    if (fd < 0) {
        fail("create", temporary, errno);
    }
    return fd;
}

void writeAndRename(const fs::path &temporary, const fs::path &target, const std::string &content) {
    Descriptor file(createTemporary(temporary));
    writeAll(file.get(), content, temporary);
    if (::fsync(file.get()) != 0) {
        fail("write", temporary, errno);
    }
    if (::close(file.release()) != 0) {
        fail("write", temporary, errno);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        fail("write", target, errno);
    }
}

} // namespace

fs::path userConfigFolder() {
    const char *configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && fs::path(configHome).is_absolute()) {
        return configHome;
    }
    const char *home = std::getenv("HOME");
    if (home == nullptr || !fs::path(home).is_absolute()) {
        throw LoginStartError("no home folder: neither XDG_CONFIG_HOME nor HOME is an absolute "
                              "path");
    }
    return fs::path(home) / ".config";
}

std::optional<std::string> readRegularFile(const fs::path &path, std::size_t limit) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    std::string content(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t count = ::read(file.get(), content.data() + filled, limit - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            fail("read", path, errno);
        }
        if (count == 0) {
            break;
        }
        filled += static_cast<std::size_t>(count);
    }
    content.resize(filled);
    return content;
}

void writeAtomically(const fs::path &target, const std::string &content) {
    const fs::path temporary = temporaryBeside(target);
    try {
        writeAndRename(temporary, target, content);
    } catch (const LoginStartError &) {
        ::unlink(temporary.c_str());
        throw;
    }
}

void removeFile(const fs::path &path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        fail("remove", path, errno);
    }
}

} // namespace autostart
