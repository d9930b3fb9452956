// Whole-file reads with a size cap and whole-file writes that never leave a half-written file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"

namespace r4860::files {

// Far above any file the tool reads (a 3000-line table is under 200 kB); stops a reader that
// was pointed at a device or a huge file from hanging or exhausting memory.
inline constexpr std::size_t kMaxReadBytes = 4u << 20;

// The bytes of a regular file. Io when it cannot be opened or read, Corrupt when it is larger
// than `maxBytes` or not a regular file.
[[nodiscard]] Result<std::string> ReadWholeFile(const std::filesystem::path& file,
                                                std::size_t maxBytes = kMaxReadBytes);

// Writes `bytes` to a temporary file in the same folder, syncs it and renames it over `file`,
// so a crash or a full disk leaves either the old file or the new one. An existing file's
// permissions are kept; a new one gets 0644. A symbolic link is followed and its target replaced,
// the link kept. Refused, with nothing touched: an empty name (BadArgument), a path that is not a
// regular file, such as a device, FIFO or folder (BadArgument), and a file or folder the user may
// not write (Io, "<path>: Permission denied").
[[nodiscard]] Status WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace r4860::files
