// Any bytes as R4860.ini: every setting stays within its rules, and what was taken survives
// writing and reading again unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text_encoding.h"
#include "files/line_buffer.h"
#include "files/settings_file.h"
#include "fuzz_oracle.h"

using namespace r4860;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const files::DesktopRect desktop{0, 0, 1920, 1080};
    files::Settings first;
    files::ReadSettingsLines(first, files::LineBuffer::FromBytes(bytes).lines(), desktop);
    FUZZ_REQUIRE(first.ComPort >= 1);
    FUZZ_REQUIRE(first.MainLeft > 0 && first.MainLeft < 1920 - 489);
    FUZZ_REQUIRE(first.MainTop > 0 && first.MainTop < 1080 - 401);
    FUZZ_REQUIRE(!first.Pass.empty() && first.Pass.size() <= files::kMaxPass);
    for (const char c : first.Pass) FUZZ_REQUIRE(c >= 0x20 && c <= 0x7E);
    FUZZ_REQUIRE(Utf8Length(first.DataDir) <= files::kMaxDataDir);

    files::LineBuffer written;
    written.lines() = files::SettingsFileLines(first);
    files::Settings second;
    files::ReadSettingsLines(second, files::LineBuffer::FromBytes(written.text()).lines(), desktop);
    FUZZ_REQUIRE(second == first);
    return 0;
}
