// SHA-256 of a byte string, as lower-case hex: the fingerprint the history keeps of a parameter
// file, so a record proves which file's content was programmed even after the file changed.
#pragma once

#include <string>
#include <string_view>

namespace r4860 {

[[nodiscard]] std::string Sha256Hex(std::string_view bytes);

}  // namespace r4860
