// The name=value line buffer the parameter and settings files share: decoding and line splitting
// on the way in, CR LF and UTF-8 on the way out, and the one key lookup rule of both files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace r4860::files {

// Splits decoded text at CR LF, LF or a lone CR; a final line end adds no empty line.
[[nodiscard]] std::vector<std::string> SplitLines(std::string_view text);

// Name-before-the-first-"=" equal to `key` ignoring ASCII letter case, no trimming; the first
// such line wins and its value is everything after that "=". Lines without "=" never match.
[[nodiscard]] std::optional<std::string_view> LookupKey(const std::vector<std::string>& lines,
                                                        std::string_view key);

class LineBuffer {
public:
    LineBuffer() = default;
    explicit LineBuffer(std::size_t emptyLines) : m_lines(emptyLines) {}

    // File bytes as UTF-8 when they are valid UTF-8, else as Windows-1250.
    [[nodiscard]] static LineBuffer FromBytes(std::string_view bytes);
    [[nodiscard]] static Result<LineBuffer> Load(const std::filesystem::path& file);

    [[nodiscard]] std::vector<std::string>& lines() noexcept { return m_lines; }
    [[nodiscard]] const std::vector<std::string>& lines() const noexcept { return m_lines; }
    [[nodiscard]] std::optional<std::string_view> lookup(std::string_view key) const {
        return LookupKey(m_lines, key);
    }

    // Every line followed by CR LF.
    [[nodiscard]] std::string text() const;
    [[nodiscard]] Status save(const std::filesystem::path& file) const;

private:
    std::vector<std::string> m_lines;
};

}  // namespace r4860::files
