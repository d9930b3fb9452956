#include "sim/control_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "common/unique_fd.h"

namespace r4860::sim {

Result<std::string> SendControlLine(const std::filesystem::path& socket, std::string_view line,
                                    std::chrono::milliseconds timeout) {
    const auto osError = [&] { return makeError(Errc::Io, socket.string() + ": " + std::strerror(errno)); };
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socket.string().size() >= sizeof addr.sun_path)
        return makeError(Errc::BadArgument, socket.string() + ": socket path too long");
    std::strcpy(addr.sun_path, socket.c_str());
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return osError();
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return osError();
    std::string text(line);
    text.push_back('\n');
    // The emulator reads lines: one that ends early would be taken as a shorter command.
    for (std::string_view rest = text; !rest.empty();) {
        const ssize_t n = ::send(fd.get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return osError();
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    const auto until = std::chrono::steady_clock::now() + timeout;
    std::string reply;
    while (reply.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd p{fd.get(), POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return osError();
        if (ready == 0) return makeError(Errc::Timeout, socket.string() + ": no reply");
        char buf[8192];
        const ssize_t n = ::recv(fd.get(), buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return osError();
        if (n == 0) return makeError(Errc::Corrupt, socket.string() + ": closed before a whole reply");
        reply.append(buf, static_cast<std::size_t>(n));
    }
    reply.erase(reply.find('\n'));
    return reply;
}

}  // namespace r4860::sim
