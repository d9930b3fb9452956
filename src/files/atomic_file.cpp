#include "files/atomic_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/unique_fd.h"

namespace r4860::files {
namespace fs = std::filesystem;

namespace {

Error ioError(const fs::path& file, int err) {
    return makeError(Errc::Io, file.string() + ": " + std::strerror(err));
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

Result<std::string> ReadWholeFile(const fs::path& file, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO by mistake must not wait for a writer.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return ioError(file, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return ioError(file, errno);
    if (!S_ISREG(st.st_mode)) return makeError(Errc::Corrupt, file.string() + ": not a regular file");
    std::string bytes;
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ioError(file, errno);
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return makeError(Errc::Corrupt, file.string() + ": file too large");
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    return bytes;
}

Status WriteFileAtomically(const fs::path& file, std::string_view bytes) {
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::string pattern = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.get() < 0) return ioError(file, errno);
    const fs::path temp = pattern;
    auto fail = [&](int err) -> Status {
        ::unlink(temp.c_str());
        return ioError(file, err);
    };

    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd.get(), mode) != 0) return fail(errno);
    if (!writeAll(fd.get(), bytes)) return fail(errno);
    if (::fsync(fd.get()) != 0) return fail(errno);
    // close() is where some file systems report a deferred write error.
    if (::close(fd.get()) != 0) {
        const int err = errno;
        (void)fd.release();
        return fail(err);
    }
    (void)fd.release();
    if (::rename(temp.c_str(), file.c_str()) != 0) return fail(errno);
    // The rename itself is durable only once the folder is synced; failing that is not worth an error.
    if (UniqueFd dfd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dfd.get() >= 0) ::fsync(dfd.get());
    return {};
}

}  // namespace r4860::files
