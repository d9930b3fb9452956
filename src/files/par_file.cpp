#include "files/par_file.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <type_traits>
#include <variant>

#include "common/number_text.h"
#include "common/text_encoding.h"
#include "files/line_buffer.h"
#include "files/table_file.h"
#include "files/real_text.h"
#include "model/transfer_function.h"

namespace r4860::files {
namespace {

constexpr std::size_t kOgolnePart = 30;

// Control characters would break the line structure (a CR LF inside the ID tag would inject a key).
std::string textValue(std::string_view text) { return StripControls(text); }

std::string coefKey(std::size_t i) { return std::string("Lin") + static_cast<char>('A' + i); }

bool usesTableFile(const model::ConfigRecord& rec) {
    return rec.TableLoaded && (rec.Czujnik.Typ == 15 || rec.Czujnik.Lin == 2);
}

Error corrupt(std::string_view key) {
    return makeError(Errc::Corrupt, "parameter file: key " + std::string(key) + " missing or not a number");
}

// A code outside a byte becomes 0, which normalization repairs like any other invalid code,
// instead of wrapping around (257 must not become 1).
std::uint8_t codeFrom(double value) {
    const long long n = RoundEven(value);
    return (n < 0 || n > 255) ? std::uint8_t{0} : static_cast<std::uint8_t>(n);
}

// Saturates at the 32-bit limits; every such value is out of range and normalized afterwards.
std::int32_t int32From(double value) {
    const long long n = RoundEven(value);
    constexpr long long lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n < lo ? lo : (n > hi ? hi : n));
}

Status readTexts(const std::vector<std::string>& lines, model::ConfigRecord& rec) {
    struct TextField {
        const char* key;
        std::string* field;
        std::size_t capacity;
    };
    auto& info = rec.Informacje;
    const std::array<TextField, 5> fields = {{{"Device", &rec.Device, model::kMaxDevice},
                                              {"serial", &info.serial, model::kMaxSerial},
                                              {"data", &info.data, model::kMaxDate},
                                              {"kod", &info.kod, model::kMaxKod},
                                              {"ogolne", &info.ogolne, model::kMaxOgolne}}};
    for (const TextField& f : fields) {
        const auto value = LookupKey(lines, f.key);
        if (!value) return corrupt(f.key);
        *f.field = Utf8Left(*value, f.capacity);
    }
    const auto rest = LookupKey(lines, "ogolne1");
    if (!rest) return corrupt("ogolne1");
    info.ogolne = Utf8Left(info.ogolne + std::string(*rest), model::kMaxOgolne);
    return {};
}

Status readNumbers(const std::vector<std::string>& lines, model::ConfigRecord& rec) {
    auto& cz = rec.Czujnik;
    auto& p = rec.Parametry;
    using Target = std::variant<std::uint8_t*, std::int32_t*, double*>;
    struct NumField {
        const char* key;
        Target field;
    };
    const std::array<NumField, 15> fields = {{{"Typ", &cz.Typ},
                                              {"Tryb", &cz.Tryb},
                                              {"Lin", &cz.Lin},
                                              {"Gain", &cz.Gain},
                                              {"MinInput", &p.MinInput},
                                              {"MaxInput", &p.MaxInput},
                                              {"RoomT", &p.RoomT},
                                              {"ZeroReg", &p.ZeroReg},
                                              {"GainReg", &p.GainReg},
                                              {"FiltrZakres", &p.FiltrZakres},
                                              {"FiltrCzas", &p.FiltrCzas},
                                              {"FiltrLimit", &p.FiltrLimit},
                                              {"Burnout", &p.Burnout},
                                              {"Siec", &p.Siec},
                                              {"Jednostki", &p.Jednostki}}};
    for (const NumField& f : fields) {
        double x = 0.0;
        const auto value = LookupKey(lines, f.key);
        if (!value || !TextToNum(*value, x)) {
            // An older file without the spurious-error threshold is still a complete file.
            if (std::string_view(f.key) == "FiltrLimit") {
                p.FiltrLimit = 0;
                continue;
            }
            return corrupt(f.key);
        }
        std::visit(
            [x](auto* target) {
                using T = std::remove_pointer_t<decltype(target)>;
                if constexpr (std::is_same_v<T, std::uint8_t>) *target = codeFrom(x);
                else if constexpr (std::is_same_v<T, std::int32_t>) *target = int32From(x);
                else *target = x;
            },
            f.field);
    }
    if (cz.Lin <= 2) return {};
    for (std::size_t i = 0; i < model::kLinCoefCount; ++i) {
        const std::string key = coefKey(i);
        const auto value = LookupKey(lines, key);
        if (!value || !TextToNum(*value, rec.LinCoef[i])) return corrupt(key);
    }
    // The file keeps no result range: it follows from the coefficients, as after a read.
    model::SetConversionRange(rec);
    return {};
}

}  // namespace

std::vector<std::string> ParFileLines(const model::ConfigRecord& rec) {
    std::vector<std::string> l(kParFileLines);
    const auto& cz = rec.Czujnik;
    const auto& p = rec.Parametry;
    const auto& info = rec.Informacje;
    l[0] = "Parametry przetwornika serii R4860";
    l[2] = "Device=" + textValue(rec.Device);
    l[4] = "Czujnik:";
    l[5] = "Typ=" + std::to_string(cz.Typ);
    l[6] = "Tryb=" + std::to_string(cz.Tryb);
    l[7] = "Lin=" + std::to_string(cz.Lin);
    l[8] = "Gain=" + std::to_string(cz.Gain);
    if (usesTableFile(rec)) l[9] = "File=" + textValue(TableFileName(rec.File));
    l[11] = "Parametry:";
    l[12] = "MinInput=" + RealText(p.MinInput);
    l[13] = "MaxInput=" + RealText(p.MaxInput);
    l[14] = "RoomT=" + RealText(p.RoomT);
    l[15] = "ZeroReg=" + RealText(p.ZeroReg);
    l[16] = "GainReg=" + RealText(p.GainReg);
    l[17] = "FiltrZakres=" + std::to_string(p.FiltrZakres);
    l[18] = "FiltrCzas=" + std::to_string(p.FiltrCzas);
    l[19] = "FiltrLimit=" + std::to_string(p.FiltrLimit);
    l[20] = "Burnout=" + std::to_string(p.Burnout);
    l[21] = "Siec=" + std::to_string(p.Siec);
    l[22] = "Jednostki=" + std::to_string(p.Jednostki);
    l[24] = "Informacje:";
    l[25] = "Factory:";
    l[26] = "serial=" + textValue(info.serial);
    l[27] = "data=" + textValue(info.data);
    l[28] = "User:";
    l[29] = "kod=" + textValue(info.kod);
    // The second line takes everything after character 30, so a full 61-character info survives.
    const std::string ogolne = textValue(info.ogolne);
    l[30] = "ogolne=" + Utf8Left(ogolne, kOgolnePart);
    l[31] = "ogolne1=" + Utf8Mid(ogolne, kOgolnePart, model::kMaxOgolne - kOgolnePart);
    if (cz.Lin > 2)
        for (std::size_t i = 0; i < model::kLinCoefCount; ++i)
            l[33 + i] = coefKey(i) + "=" + RealText(rec.LinCoef[i]);
    return l;
}

Status WriteParFile(const model::ConfigRecord& rec, const std::filesystem::path& parFileName, Settings& settings) {
    LineBuffer buffer;
    buffer.lines() = ParFileLines(rec);
    if (Status saved = buffer.save(parFileName); !saved) return saved;
    settings.DataDir = DataDirOf(parFileName.string());
    return {};
}

Status ReadParLines(const std::vector<std::string>& lines, model::ConfigRecord& rec,
                    model::ConfigRecord* asRead) {
    Status status = readTexts(lines, rec);
    if (status) {
        const auto file = LookupKey(lines, "File");
        rec.File = file ? std::string(*file) : std::string();
        status = readNumbers(lines, rec);
    }
    if (asRead) *asRead = rec;
    model::NormalizeConfig(rec);
    return status;
}

Status ReadParFile(model::ConfigRecord& rec, const std::filesystem::path& parFileName, Settings& settings,
                   model::ConfigRecord* asRead) {
    auto buffer = LineBuffer::Load(parFileName);
    if (!buffer) return buffer.error();
    settings.DataDir = DataDirOf(parFileName.string());
    return ReadParLines(buffer->lines(), rec, asRead);
}

}  // namespace r4860::files
