#include "sim/control_server.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace r4860::sim {
namespace {
constexpr std::size_t kMaxLine = 64 * 1024;  // a poke of the whole memory fits

void sendAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) return;  // a client that does not read loses its reply
            continue;
        }
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}
}  // namespace

ControlServer::~ControlServer() { close(); }

Status ControlServer::listen(const std::filesystem::path& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.string().size() >= sizeof addr.sun_path)
        return makeError(Errc::BadArgument, path.string() + ": socket path too long");
    std::strcpy(addr.sun_path, path.c_str());
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return makeError(Errc::Io, std::string("socket: ") + std::strerror(errno));
    ::unlink(path.c_str());  // left over from an emulator that was killed
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd.get(), 8) != 0)
        return makeError(Errc::Io, path.string() + ": " + std::strerror(errno));
    m_listen = std::move(fd);
    m_path = path;
    return {};
}

void ControlServer::addPollFds(std::vector<pollfd>& fds) const {
    if (!m_listen.valid()) return;
    fds.push_back({m_listen.get(), POLLIN, 0});
    for (const auto& c : m_clients) fds.push_back({c.fd.get(), POLLIN, 0});
}

void ControlServer::service(std::span<const pollfd> fds, const Handler& handler) {
    if (!m_listen.valid() || fds.empty()) return;
    std::vector<bool> drop(m_clients.size(), false);
    for (std::size_t i = 0; i < m_clients.size() && i + 1 < fds.size(); ++i)
        if (fds[i + 1].revents != 0) drop[i] = !serviceClient(m_clients[i], handler);
    for (std::size_t i = drop.size(); i-- > 0;)
        if (drop[i]) m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(i));
    if (fds[0].revents & POLLIN) {
        for (;;) {
            const int c = ::accept4(m_listen.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c < 0) break;
            m_clients.push_back({UniqueFd(c), {}});
        }
    }
}

bool ControlServer::serviceClient(Client& client, const Handler& handler) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::recv(client.fd.get(), buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) return false;
        client.pending.append(buf, static_cast<std::size_t>(n));
        if (client.pending.size() > kMaxLine) return false;
    }
    for (std::size_t eol; (eol = client.pending.find('\n')) != std::string::npos;) {
        std::string line = client.pending.substr(0, eol);
        client.pending.erase(0, eol + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        sendAll(client.fd.get(), handler(line) + "\n");
    }
    return true;
}

void ControlServer::close() noexcept {
    m_clients.clear();
    if (m_listen.valid()) {
        m_listen.reset();
        ::unlink(m_path.c_str());
    }
}

}  // namespace r4860::sim
