// A bare pseudo-terminal pair for link tests: the test plays the line's far end on the master,
// the code under test opens the slave by its path.
#pragma once

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace r4860::testing {

class PtyPair {
public:
    PtyPair() {
        int master = -1, slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        termios t{};
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);   // until the port under test configures it, bytes pass unchanged
            ::tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);        // only the code under test holds the slave
        m_master = master;
        m_slavePath = name;
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    [[nodiscard]] bool ok() const { return m_master >= 0; }
    [[nodiscard]] const std::string& slavePath() const { return m_slavePath; }
    [[nodiscard]] int master() const { return m_master; }

    bool write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // What arrives until `quiet` passes without a byte (or `limit` in all).
    std::vector<std::uint8_t> read(std::chrono::milliseconds quiet = std::chrono::milliseconds(100),
                                   std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const {
        std::vector<std::uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(quiet.count())) <= 0) break;
            std::uint8_t chunk[256];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }

    // Like pulling the adapter: the slave side sees a hang-up.
    void closeMaster() { if (m_master >= 0) ::close(std::exchange(m_master, -1)); }

private:
    int m_master = -1;
    std::string m_slavePath;
};

}  // namespace r4860::testing
