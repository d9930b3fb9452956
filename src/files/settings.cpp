#include "files/settings.h"

#include <filesystem>

#include "common/text_encoding.h"

namespace r4860::files {

std::string DataDirOf(const std::string& file) {
    std::string dir = std::filesystem::path(file).parent_path().string();
    if (Utf8Length(dir) > kMaxDataDir) dir.clear();
    return dir;
}

}  // namespace r4860::files
