// One emulator per link: a lock file beside the link (ports/COM99.lock), held while the emulator
// runs, so a second emulator started for the same COM number refuses instead of taking the link
// over and, at its exit, removing the link of the first.
#pragma once

#include <filesystem>

#include "common/result.h"
#include "common/unique_fd.h"

namespace r4860::sim {

class LinkLock {
public:
    // Refused, naming the holder's process id, while another emulator holds the link.
    [[nodiscard]] static Result<LinkLock> Acquire(const std::filesystem::path& link);

    LinkLock(LinkLock&& other) noexcept = default;
    LinkLock& operator=(LinkLock&&) = delete;
    ~LinkLock();  // removes the lock file, then releases it

private:
    LinkLock(UniqueFd fd, std::filesystem::path path) : m_fd(std::move(fd)), m_path(std::move(path)) {}

    UniqueFd m_fd;
    std::filesystem::path m_path;
};

}  // namespace r4860::sim
