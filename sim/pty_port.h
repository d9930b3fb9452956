// The emulator's end of the line: a pseudo-terminal master, with the slave kept open by the
// emulator itself so that the master never reports a hang-up while no host is connected, and a
// symbolic link (such as ports/COM99) that the host opens.
#pragma once

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/unique_fd.h"

namespace r4860::sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Opens a fresh pty (both sides raw, non-blocking master) and points the link at its slave.
    [[nodiscard]] Status open();
    // Closes both sides: the host sees its device vanish. The link stays (dangling) until open().
    void close() noexcept;
    [[nodiscard]] bool isOpen() const noexcept { return m_master.valid(); }

    void setLink(std::filesystem::path link) { m_link = std::move(link); }
    [[nodiscard]] const std::filesystem::path& link() const noexcept { return m_link; }
    // Removes the link while it still points at our slave (after close() too).
    void removeLink() noexcept;

    [[nodiscard]] int masterFd() const noexcept { return m_master.get(); }
    [[nodiscard]] const std::string& slavePath() const noexcept { return m_slavePath; }

    // Writes one byte; when nobody reads the slave and its queue is full, the queue is dropped,
    // as bytes on a line without a listener are lost. False on a real failure.
    [[nodiscard]] bool writeByte(unsigned char byte) noexcept;

private:
    [[nodiscard]] Status pointLink() const;

    UniqueFd m_master;
    UniqueFd m_slave;
    std::string m_slavePath;
    std::filesystem::path m_link;
};

}  // namespace r4860::sim
