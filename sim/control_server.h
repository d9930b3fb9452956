// A Unix stream socket that takes control lines from any number of clients and answers each
// line with one reply line. Serviced from the emulator's single poll loop: it never blocks.
#pragma once

#include <poll.h>

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "common/unique_fd.h"

namespace r4860::sim {

class ControlServer {
public:
    using Handler = std::function<std::string(std::string_view line)>;

    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    [[nodiscard]] Status listen(const std::filesystem::path& path);
    [[nodiscard]] bool active() const noexcept { return m_listen.valid(); }

    // Appends the descriptors to watch; service() expects the same slice back after poll().
    void addPollFds(std::vector<pollfd>& fds) const;
    void service(std::span<const pollfd> fds, const Handler& handler);
    void close() noexcept;

private:
    struct Client {
        UniqueFd fd;
        std::string pending;
    };
    bool serviceClient(Client& client, const Handler& handler);

    UniqueFd m_listen;
    std::filesystem::path m_path;
    std::vector<Client> m_clients;
};

}  // namespace r4860::sim
