#include "sim/pty_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace r4860::sim {
namespace {

Error osError(std::string_view what) { return makeError(Errc::Io, std::string(what) + ": " + std::strerror(errno)); }

// Raw on both sides: whatever the host sets later, our own end must not echo or translate.
Status makeRaw(int fd, std::string_view what) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return osError(what);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B4800);
    ::cfsetospeed(&t, B4800);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return osError(what);
    return {};
}

}  // namespace

PtyPort::~PtyPort() { close(); }

Status PtyPort::open() {
    close();
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master.valid()) return osError("posix_openpt");
    if (::grantpt(master.get()) != 0) return osError("grantpt");
    if (::unlockpt(master.get()) != 0) return osError("unlockpt");
    char name[256] = {};
    if (::ptsname_r(master.get(), name, sizeof name) != 0) return osError("ptsname");
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave.valid()) return osError(name);
    if (auto st = makeRaw(slave.get(), name); !st) return st;
    if (auto st = makeRaw(master.get(), "pty master"); !st) return st;
    m_master = std::move(master);
    m_slave = std::move(slave);
    m_slavePath = name;
    return pointLink();
}

void PtyPort::close() noexcept {
    m_slave.reset();
    m_master.reset();
}

Status PtyPort::pointLink() const {
    if (m_link.empty()) return {};
    std::error_code ec;
    if (m_link.has_parent_path()) std::filesystem::create_directories(m_link.parent_path(), ec);
    // A new link under a temporary name renamed over the old one: the path never goes missing.
    const auto tmp = std::filesystem::path(m_link.string() + ".new");
    std::filesystem::remove(tmp, ec);
    std::filesystem::create_symlink(m_slavePath, tmp, ec);
    if (ec) return makeError(Errc::Io, tmp.string() + ": " + ec.message());
    std::filesystem::rename(tmp, m_link, ec);
    if (ec) return makeError(Errc::Io, m_link.string() + ": " + ec.message());
    return {};
}

void PtyPort::removeLink() noexcept {
    if (m_link.empty() || m_slavePath.empty()) return;
    // Only our own: a link that now points elsewhere belongs to whoever pointed it there.
    std::error_code ec;
    if (std::filesystem::read_symlink(m_link, ec) == m_slavePath && !ec) std::filesystem::remove(m_link, ec);
}

bool PtyPort::writeByte(unsigned char byte) noexcept {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ssize_t n = ::write(m_master.get(), &byte, 1);
        if (n == 1) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            ::tcflush(m_slave.get(), TCIFLUSH);
            continue;
        }
        return false;
    }
    return true;  // dropped: nobody is listening
}

}  // namespace r4860::sim
