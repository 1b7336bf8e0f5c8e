#pragma once

// The lock a writer of a registry file holds from reading it to replacing it, so that two
// programs registering at once each keep what the other wrote: an advisory flock on the file's
// own path with ".lock" added, which any other tool can take as well. Readers take none: a
// writer replaces the file in one rename, so a reader sees the old file or the new one, whole.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace velkan::registry {

// The file path leads to, symbolic links followed (the last one may dangle): a registry file
// reached through a link is written where the link points, so that the link stays a link.
// Nothing when the links go round or cannot be read; error then says why.
std::optional<std::filesystem::path> FollowLinks(const std::filesystem::path& path, std::string* error = nullptr);

class RegistryLock {
public:
    // How long a writer waits for another to finish before it gives up.
    static constexpr std::chrono::seconds kWait{10};

    // Takes the lock of the registry file path leads to (links followed), creating its folder
    // when missing and waiting at most wait while another process holds it. Nothing when it
    // cannot be had; error then says why: "cannot write FILE: registry file locked by another
    // process" after the wait, else "cannot write FILE: REASON".
    static std::optional<RegistryLock> Take(const std::filesystem::path& path, std::chrono::milliseconds wait,
                                            std::string* error = nullptr);

    RegistryLock(RegistryLock&& other) noexcept;
    RegistryLock& operator=(RegistryLock&& other) noexcept;
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
    ~RegistryLock();

    // The registry file the lock guards, links followed.
    [[nodiscard]] const std::filesystem::path& File() const { return m_file; }

private:
    RegistryLock(int fd, std::filesystem::path file) : m_fd(fd), m_file(std::move(file)) {}

    int m_fd = -1;
    std::filesystem::path m_file;
};

} // namespace velkan::registry
