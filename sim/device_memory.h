// The emulated transducer's configuration memory (2048 bytes) and its inner code version, which
// the device answers for address 0x8000; kept on disk between runs when asked to.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "common/result.h"

namespace r4860::sim {

inline constexpr std::size_t kMemorySize = 2048;
inline constexpr std::size_t kVersionSize = 4;
inline constexpr std::size_t kImageFileSize = kMemorySize + kVersionSize;
inline constexpr std::uint16_t kVersionAddress = 0x8000;

class DeviceMemory {
public:
    DeviceMemory();  // erased: every byte 0xFF, version "????"

    // The four bytes a read request at `address` answers: memory, the version at 0x8000..,
    // erased (0xFF) anywhere else.
    [[nodiscard]] std::array<std::uint8_t, 4> readBlock(std::uint16_t address) const noexcept;
    // False (and nothing written) when any byte would fall outside the 2048 bytes.
    [[nodiscard]] bool write(std::size_t address, std::span<const std::uint8_t> bytes) noexcept;

    [[nodiscard]] std::uint8_t byte(std::size_t address) const noexcept { return m_bytes[address]; }
    void setByte(std::size_t address, std::uint8_t value) noexcept { m_bytes[address] = value; }
    [[nodiscard]] unsigned u16(std::size_t address) const noexcept;
    void setU16(std::size_t address, unsigned value) noexcept;
    [[nodiscard]] double floatAt(std::size_t address) const noexcept;
    // Values the format cannot hold are stored as 0.0 (only the factory image calls this).
    void setFloat(std::size_t address, double value) noexcept;

    [[nodiscard]] std::span<const std::uint8_t, kMemorySize> bytes() const noexcept { return m_bytes; }
    [[nodiscard]] const std::array<std::uint8_t, kVersionSize>& version() const noexcept { return m_version; }
    void setVersion(std::string_view text) noexcept;

    // Memory then version, as one 2052-byte image (the layout of the tool's image).
    [[nodiscard]] std::array<std::uint8_t, kImageFileSize> image() const noexcept;
    // 2052 bytes set memory and version, 2048 bytes only the memory; other sizes are refused.
    [[nodiscard]] Status setImage(std::span<const std::uint8_t> bytes);

    [[nodiscard]] Status load(const std::filesystem::path& file);
    [[nodiscard]] Status save(const std::filesystem::path& file) const;

private:
    std::array<std::uint8_t, kMemorySize> m_bytes;
    std::array<std::uint8_t, kVersionSize> m_version;
};

// Upper-case hex without separators, two digits a byte.
[[nodiscard]] std::string HexText(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string HexText(std::span<const std::uint8_t> bytes, char separator);

}  // namespace r4860::sim
