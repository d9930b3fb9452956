#include "sim/link_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace r4860::sim {
namespace {

Error osError(const std::filesystem::path& path) {
    return makeError(Errc::Io, path.string() + ": " + std::strerror(errno));
}

// The holder writes its process id into the file; a refusal names it so the operator can stop it.
std::string holderText(int fd) {
    char buf[32] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    std::string pid(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
    return pid.empty() ? "another r4860-sim" : "another r4860-sim (pid " + pid + ")";
}

}  // namespace

Result<LinkLock> LinkLock::Acquire(const std::filesystem::path& link) {
    const std::filesystem::path path = link.string() + ".lock";
    std::error_code ec;
    if (link.has_parent_path()) std::filesystem::create_directories(link.parent_path(), ec);
    // A holder that ends removes the file while it still holds the lock. Whoever opened that
    // file just before then locks a file nobody can find any more, and must start again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!fd.valid()) return osError(path);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) return osError(path);
            return makeError(Errc::Refused, link.string() + ": already served by " + holderText(fd.get()));
        }
        struct stat held {}, named {};
        if (::fstat(fd.get(), &held) != 0) return osError(path);
        if (::stat(path.c_str(), &named) != 0 || held.st_ino != named.st_ino || held.st_dev != named.st_dev) continue;
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd.get(), 0) != 0 || ::pwrite(fd.get(), pid.data(), pid.size(), 0) < 0) return osError(path);
        return LinkLock(std::move(fd), path);
    }
    return makeError(Errc::Io, path.string() + ": the lock keeps changing hands");
}

LinkLock::~LinkLock() {
    if (!m_fd.valid()) return;
    ::unlink(m_path.c_str());
    m_fd.reset();
}

}  // namespace r4860::sim
