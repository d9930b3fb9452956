// Text is UTF-8 inside the tool. Files made by the old Windows tool and the device's text bytes
// are Windows-1250 (Central European); these are the only conversions the tool needs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace r4860 {

[[nodiscard]] bool IsValidUtf8(std::string_view bytes) noexcept;
[[nodiscard]] std::string Cp1250ToUtf8(std::string_view bytes);
// Characters Windows-1250 cannot hold become '?'; so do bytes that are not valid UTF-8.
[[nodiscard]] std::string Utf8ToCp1250(std::string_view utf8);
// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else Windows-1250.
[[nodiscard]] std::string DecodeFileText(std::string_view bytes);

// Counting and cutting by characters, not bytes (field capacities count characters).
[[nodiscard]] std::size_t Utf8Length(std::string_view utf8) noexcept;
[[nodiscard]] std::string Utf8Mid(std::string_view utf8, std::size_t first, std::size_t count);
[[nodiscard]] inline std::string Utf8Left(std::string_view utf8, std::size_t count) {
    return Utf8Mid(utf8, 0, count);
}
// Drops C0 controls and DEL, so no CR or LF can reach a line-based file or a display.
[[nodiscard]] std::string StripControls(std::string_view utf8);

}  // namespace r4860
