#include "sim/device_memory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/device_float.h"

namespace r4860::sim {

DeviceMemory::DeviceMemory() {
    m_bytes.fill(0xFF);
    m_version.fill('?');
}

std::array<std::uint8_t, 4> DeviceMemory::readBlock(std::uint16_t address) const noexcept {
    std::array<std::uint8_t, 4> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t a = address + i;
        if (a < kMemorySize) {
            out[i] = m_bytes[a];
        } else if (a >= kVersionAddress && a < kVersionAddress + kVersionSize) {
            out[i] = m_version[a - kVersionAddress];
        } else {
            out[i] = 0xFF;
        }
    }
    return out;
}

bool DeviceMemory::write(std::size_t address, std::span<const std::uint8_t> bytes) noexcept {
    if (address > kMemorySize || bytes.size() > kMemorySize - address) return false;
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(address));
    return true;
}

unsigned DeviceMemory::u16(std::size_t address) const noexcept {
    return static_cast<unsigned>(m_bytes[address] << 8 | m_bytes[address + 1]);
}

void DeviceMemory::setU16(std::size_t address, unsigned value) noexcept {
    m_bytes[address] = static_cast<std::uint8_t>(value >> 8);
    m_bytes[address + 1] = static_cast<std::uint8_t>(value);
}

double DeviceMemory::floatAt(std::size_t address) const noexcept {
    return DecodeDeviceFloat(std::span<const std::uint8_t, 4>(m_bytes.data() + address, 4));
}

void DeviceMemory::setFloat(std::size_t address, double value) noexcept {
    const auto encoded = EncodeDeviceFloat(value);
    const DeviceFloatBytes bytes = encoded ? *encoded : DeviceFloatBytes{0, 0, 0, 0};
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(address));
}

void DeviceMemory::setVersion(std::string_view text) noexcept {
    for (std::size_t i = 0; i < kVersionSize; ++i)
        m_version[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}

std::array<std::uint8_t, kImageFileSize> DeviceMemory::image() const noexcept {
    std::array<std::uint8_t, kImageFileSize> out{};
    std::copy(m_bytes.begin(), m_bytes.end(), out.begin());
    std::copy(m_version.begin(), m_version.end(), out.begin() + kMemorySize);
    return out;
}

Status DeviceMemory::setImage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kMemorySize && bytes.size() != kImageFileSize)
        return makeError(Errc::BadArgument, "a memory image has 2048 or 2052 bytes, not " +
                                                std::to_string(bytes.size()));
    std::copy_n(bytes.begin(), kMemorySize, m_bytes.begin());
    if (bytes.size() == kImageFileSize) std::copy_n(bytes.begin() + kMemorySize, kVersionSize, m_version.begin());
    return {};
}

Status DeviceMemory::load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return makeError(Errc::Io, file.string() + ": " + std::strerror(errno));
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (auto st = setImage(bytes); !st) return makeError(Errc::Corrupt, file.string() + ": " + st.error().message);
    return {};
}

Status DeviceMemory::save(const std::filesystem::path& file) const {
    // Written beside the target and renamed, so a reader never sees half an image.
    const auto tmp = std::filesystem::path(file.string() + ".tmp");
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        const auto img = image();
        out.write(reinterpret_cast<const char*>(img.data()), static_cast<std::streamsize>(img.size()));
        if (!out.flush()) return makeError(Errc::Io, tmp.string() + ": cannot write");
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file, ec);
    if (ec) return makeError(Errc::Io, file.string() + ": " + ec.message());
    return {};
}

std::string HexText(std::span<const std::uint8_t> bytes) { return HexText(bytes, '\0'); }

std::string HexText(std::span<const std::uint8_t> bytes, char separator) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && separator != '\0') out.push_back(separator);
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return out;
}

}  // namespace r4860::sim
