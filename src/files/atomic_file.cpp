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

// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinkHops = 40;

// Where the bytes must land: the end of a chain of symbolic links, so that the link stays a link
// and the temporary file is made on the target's file system, where rename() can reach it.
Result<fs::path> followLinks(const fs::path& file) {
    fs::path at = file;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) return ioError(file, ec.value());
        at = next.is_relative() ? at.parent_path() / next : next;
    }
    return ioError(file, ELOOP);
}

// The mode the new file gets. Whatever is in the way and is not a regular file (a device, a FIFO,
// a folder) is never replaced, and neither is a file the user may not write: rename() asks only
// the folder, so it would quietly replace a file its owner made read-only.
Result<mode_t> replaceableMode(const fs::path& file, const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return mode_t{0644};  // a new file: mkostemp() reports a missing folder
        return ioError(file, errno);
    }
    if (!S_ISREG(st.st_mode)) return makeError(Errc::BadArgument, file.string() + ": not a regular file");
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return ioError(file, errno);
    return static_cast<mode_t>(st.st_mode & 07777);
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
    if (file.empty() || !file.has_filename())
        return makeError(Errc::BadArgument, "\"" + file.string() + "\": not a file name");
    const Result<fs::path> target = followLinks(file);
    if (!target) return target.error();
    const Result<mode_t> mode = replaceableMode(file, *target);
    if (!mode) return mode.error();

    const fs::path dir = target->parent_path().empty() ? fs::path(".") : target->parent_path();
    std::string pattern = (dir / ("." + target->filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.get() < 0) return ioError(file, errno);
    const fs::path temp = pattern;
    auto fail = [&](int err) -> Status {
        ::unlink(temp.c_str());
        return ioError(file, err);
    };

    if (::fchmod(fd.get(), *mode) != 0) return fail(errno);
    if (!writeAll(fd.get(), bytes)) return fail(errno);
    if (::fsync(fd.get()) != 0) return fail(errno);
    // close() is where some file systems report a deferred write error.
    if (::close(fd.get()) != 0) {
        const int err = errno;
        (void)fd.release();
        return fail(err);
    }
    (void)fd.release();
    if (::rename(temp.c_str(), target->c_str()) != 0) return fail(errno);
    // The rename itself is durable only once the folder is synced; failing that is not worth an error.
    if (UniqueFd dfd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dfd.get() >= 0) ::fsync(dfd.get());
    return {};
}

}  // namespace r4860::files
