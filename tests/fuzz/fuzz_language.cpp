// Arbitrary bytes as a language file: splitting and validation must not crash, hang or read
// out of bounds, and no table line may keep a line break or a control character.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/lang_table.h"
#include "files/language_file.h"
#include "fuzz_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = r4860::files::SplitLanguageText(bytes);
    for (const auto& line : lines) {
        for (const char c : line) FUZZ_REQUIRE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
    // The loader puts a table in force only when this holds, and then every key has a text.
    if (r4860::files::IsCompleteLanguageTable(lines)) {
        for (const auto key : r4860::LangKeys()) FUZZ_REQUIRE(!r4860::FindLangText(lines, key).empty());
    }
    (void)r4860::FindLangText(lines, "Cancel");
    return 0;
}
