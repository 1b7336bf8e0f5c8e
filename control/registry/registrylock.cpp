#include "control/registry/registrylock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkan::registry {

namespace {

// As the kernel counts them for a path (ELOOP).
constexpr int kMaxLinks = 40;
// The longest pause between two tries for a busy lock: short against the time a registration
// holds it, long enough not to spin.
constexpr std::chrono::milliseconds kLongestPause{50};

void SetError(std::string* error, std::string text)
{
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string CannotWrite(const std::filesystem::path& file, const std::string& reason)
{
    return "cannot write " + file.string() + ": " + reason;
}

} // namespace

std::optional<std::filesystem::path> FollowLinks(const std::filesystem::path& path, std::string* error)
{
    std::filesystem::path current = path;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            // Not there, or not a link: the file is written here.
            return current;
        }
        if (links == kMaxLinks) {
            SetError(error, CannotWrite(path, std::strerror(ELOOP)));
            return std::nullopt;
        }
        std::error_code code;
        const std::filesystem::path target = std::filesystem::read_symlink(current, code);
        if (code) {
            SetError(error, CannotWrite(path, "cannot read the link " + current.string() + ": " + code.message()));
            return std::nullopt;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
}

std::optional<RegistryLock> RegistryLock::Take(const std::filesystem::path& path, std::chrono::milliseconds wait,
                                                std::string* error)
{
    const std::optional<std::filesystem::path> file = FollowLinks(path, error);
    if (!file) {
        return std::nullopt;
    }
    const std::filesystem::path directory = file->has_parent_path() ? file->parent_path() : ".";
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (code) {
        SetError(error, CannotWrite(*file, "cannot create " + directory.string() + ": " + code.message()));
        return std::nullopt;
    }
    const std::string lockPath = file->string() + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetError(error, CannotWrite(*file, "cannot open " + lockPath + ": " + std::strerror(errno)));
        return std::nullopt;
    }
    // flock cannot time out by itself; trying again with growing pauses can, without a signal
    // that would reach the host's own threads.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause{1};
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        if (why == EINTR) {
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (why != EWOULDBLOCK || now >= deadline) {
            ::close(fd);
            SetError(error, CannotWrite(*file, why == EWOULDBLOCK ? "registry file locked by another process"
                                                                  : "cannot lock " + lockPath + ": " + std::strerror(why)));
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, kLongestPause);
    }
    return RegistryLock(fd, *file);
}

RegistryLock::RegistryLock(RegistryLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_file(std::move(other.m_file))
{
}

RegistryLock& RegistryLock::operator=(RegistryLock&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_file = std::move(other.m_file);
    }
    return *this;
}

RegistryLock::~RegistryLock()
{
    if (m_fd >= 0) {
        // Closing the only descriptor of the lock file releases the lock.
        ::close(m_fd);
    }
}

} // namespace velkan::registry
