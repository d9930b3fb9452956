// Any bytes as a parameter file: the reader must neither crash nor leave an unnormalized
// record, and what it read must be a fixed point of writing and reading again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/line_buffer.h"
#include "files/par_file.h"
#include "fuzz_oracle.h"
#include "model/config_record.h"

using namespace r4860;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const files::LineBuffer buffer = files::LineBuffer::FromBytes(bytes);

    model::ConfigRecord first;
    model::SetInitialState(first);
    const bool ok = files::ReadParLines(buffer.lines(), first).ok();
    FUZZ_REQUIRE(first.Czujnik.Typ >= 1 && first.Czujnik.Typ <= 20);
    FUZZ_REQUIRE(first.Parametry.Siec == 50 || first.Parametry.Siec == 60);
    if (!ok) return 0;

    const auto written = files::ParFileLines(first);
    FUZZ_REQUIRE(written.size() == files::kParFileLines);
    model::ConfigRecord second;
    model::SetInitialState(second);
    FUZZ_REQUIRE(files::ReadParLines(written, second).ok());
    FUZZ_REQUIRE(files::ParFileLines(second) == written);
    return 0;
}
