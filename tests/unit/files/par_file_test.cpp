// Parameter files: the written layout, the reader's rules, and write/read round trips.
#include "files/par_file.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <locale>
#include <random>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "files/line_buffer.h"
#include "files/real_text.h"
#include "support/comma_locale.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;
using model::ConfigRecord;

// The lines of a complete file for a millivolt input with a 4th-order polynomial; cases edit it.
std::vector<std::string> sampleLines() {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747", rec.Informacje.kod = "TAG", rec.Czujnik.Typ = 16, rec.Czujnik.Lin = 4;
    rec.Parametry.MaxInput = 100, rec.Parametry.FiltrLimit = 7, rec.Parametry.ZeroReg = -1.25;
    rec.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return ParFileLines(rec);
}

// Reads the sample with each edit applied: "key=value" replaces the key's line, a bare key removes it.
ConfigRecord readEdited(const std::vector<std::string>& edits, bool expectOk = true) {
    auto lines = sampleLines();
    for (const auto& edit : edits) {
        const auto key = edit.substr(0, edit.find('=')) + "=";
        const auto it = std::ranges::find_if(lines, [&](const std::string& l) { return l.starts_with(key); });
        if (it == lines.end()) ADD_FAILURE() << "no line " << key;
        else *it = edit.find('=') == std::string::npos ? "" : edit;
    }
    ConfigRecord rec;
    model::SetInitialState(rec);
    rec.File = "stale.dat";  // a file without a File line must not keep an earlier table's name
    const Status s = ReadParLines(lines, rec);
    EXPECT_EQ(s.ok(), expectOk) << (s ? "" : s.error().message);
    return rec;
}

TEST(ParFileLayout, Has44LinesWithTheConditionalOnesEmptyAndNoControlCharacters) {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Informacje.ogolne = std::string(30, 'a') + std::string(15, 'b'), rec.Informacje.kod = "A\r\nTyp=3";
    rec.File = "/data/curve.dat", rec.TableLoaded = true, rec.Czujnik.Lin = 1;  // neither sensor 15 nor Lin 2
    const auto lines = ParFileLines(rec);
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], "Parametry przetwornika serii R4860");
    EXPECT_EQ(LookupKey(lines, "kod"), "ATyp=3") << "a line end would inject a key";
    EXPECT_EQ(lines[9], "") << "a table not in use is not named";
    EXPECT_EQ(lines[30] + "|" + lines[31], "ogolne=" + std::string(30, 'a') + "|ogolne1=" + std::string(15, 'b'));
    for (std::size_t i = 33; i < 44; ++i) EXPECT_EQ(lines[i], "") << "coefficients only for Lin > 2, line " << i;
    rec.Czujnik.Lin = 2;
    EXPECT_EQ(ParFileLines(rec)[9], "File=curve.dat") << "the name without its folder";
    EXPECT_EQ(sampleLines()[43], "LinK=11");
}

TEST(ParFileReading, FollowsTheRules) {
    struct Comma : std::numpunct<char> { char do_decimal_point() const override { return ','; } };
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new Comma));
    const char* comma = testing::kCommaLocales[1];
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, comma)) << comma << testing::kNoCommaLocale;
    const auto lines = sampleLines();   // the looked-up value points into these lines
    const auto zeroReg = LookupKey(lines, "ZeroReg");
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(old);
    EXPECT_EQ(zeroReg, "-1.25") << "a comma-decimal locale, C++ or C, is not written";
    const auto r = [](const std::vector<std::string>& edits, bool ok = true) { return readEdited(edits, ok); };
    EXPECT_EQ(r({"RoomT=23,5"}).Parametry.RoomT, 23.5) << "but a comma separator reads";
    EXPECT_EQ(r({"FiltrLimit"}).Parametry.FiltrLimit, 0) << "no FiltrLimit line gives threshold 0";
    EXPECT_EQ(r({"LinK"}, false).LinCoef[9], 10.0) << "a missing K with Lin 4 is corrupt, J was taken";
    EXPECT_EQ(r({"Lin=1", "LinA", "LinK"}).LinCoef[1], 1.0) << "without coefficients Lin 1 reads, keeps the old";
    EXPECT_EQ(r({"Typ=2.5"}).Czujnik.Typ, 2) << "a half rounds to even";
    EXPECT_EQ(r({"Typ=257"}).Czujnik.Typ, 20) << "257 does not wrap to 1 but is repaired";
    EXPECT_EQ(r({"FiltrCzas=1e300"}).Parametry.FiltrCzas, 0) << "huge is repaired, not undefined";
    const auto noDevice = r({"Device", "Typ=3"}, false);
    EXPECT_TRUE(noDevice.Czujnik.Typ == 20 && noDevice.Informacje.kod.empty()) << "no Device fails before any value";
    const auto cut = r({"Device=R4747X", "kod=\xC5\x82" + std::string(20, 'k')});
    EXPECT_EQ(cut.Device + cut.Informacje.kod, "R4747\xC5\x82" + std::string(14, 'k')) << "cut in characters";
    EXPECT_EQ(r({}).File, "") << "no File line leaves File empty, not the earlier table's";
    EXPECT_EQ(r({"MaxInput=1.2.3"}, false).Parametry.MinInput, 0.0) << "not a number is corrupt";
}

ConfigRecord randomRecord(std::mt19937& rng, int typ, int lin) {
    static const std::vector<std::string> alphabet = {"a", "Z", "0", " ", "=", "-", ".", "ł", "°", "€"};
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto text = [&](int maxChars, std::string s = {}) {
        for (int n = pick(0, maxChars); n > 0; --n) s += alphabet[static_cast<std::size_t>(pick(0, 9))];
        return s;
    };
    // Values as they come back from 15 significant digits, so the round trip can compare exactly.
    const auto real = [&](double lo, double hi, double scale = 1.0) {
        double back = 0.0;
        EXPECT_TRUE(TextToNum(RealText(std::uniform_real_distribution<double>(lo, hi)(rng) * scale), back));
        return back;
    };
    ConfigRecord rec;
    model::SetInitialState(rec);
    rec.Czujnik = {static_cast<std::uint8_t>(typ), static_cast<std::uint8_t>(pick(0, 11)),
                   static_cast<std::uint8_t>(pick(0, 3)), static_cast<std::uint8_t>(lin)};
    auto& p = rec.Parametry;
    p.MinInput = real(-300, 100), p.MaxInput = real(100, 2000);
    p.RoomT = real(-20, 60), p.ZeroReg = real(-2, 2), p.GainReg = real(-2, 2);
    p.FiltrZakres = pick(0, 250), p.FiltrCzas = pick(0, 400), p.FiltrLimit = pick(0, 100);
    p.Burnout = pick(0, 2), p.Siec = pick(0, 1) ? 50 : 60, p.Jednostki = pick(0, 10);
    rec.Device = text(5), rec.Informacje.kod = text(15), rec.Informacje.serial = text(10);
    rec.Informacje.data = text(10), rec.Informacje.ogolne = text(61);  // the two ogolne lines together
    for (double& c : rec.LinCoef) c = real(-1e6, 1e6, std::pow(10.0, pick(-20, 20)));
    rec.TableLoaded = pick(0, 1) == 1, rec.File = text(20) + ".dat";
    model::NormalizeConfig(rec);
    return rec;
}

TEST(ParFileRoundTrip, GivesBackEveryFieldForEverySensorAndConversionAndOffersTheFolder) {
    testing::TempDir dir;
    std::mt19937 rng(5100);
    Settings settings;
    for (int k = 0; k < 1000; ++k) {
        const int typ = 1 + k % 20, lin = std::array{0, 1, 2, 4, 8}[k / 20 % 5];
        SCOPED_TRACE("sensor " + std::to_string(typ) + " Lin " + std::to_string(lin));
        const ConfigRecord rec = randomRecord(rng, typ, lin);
        ConfigRecord back;
        ASSERT_TRUE(WriteParFile(rec, dir / "c.par", settings) && ReadParFile(back, dir / "c.par", settings));
        const bool usesTable = rec.TableLoaded && (rec.Czujnik.Typ == 15 || rec.Czujnik.Lin == 2);
        const std::string file = usesTable ? rec.File : "";  // only a table in use is named
        ASSERT_EQ(std::tie(back.Czujnik, back.Parametry, back.Informacje, back.Device, back.File),
                  std::tie(rec.Czujnik, rec.Parametry, rec.Informacje, rec.Device, file));
        if (rec.Czujnik.Lin > 2) { ASSERT_EQ(back.LinCoef, rec.LinCoef); }
    }
    ConfigRecord rec;  // deliberately not normalized: Typ 0 would become 20
    const Status s = ReadParFile(rec, dir / "missing.par", settings);
    EXPECT_EQ(s ? Errc{} : s.error().code, Errc::Io);
    EXPECT_EQ(rec.Czujnik.Typ, 0) << "an unreadable file leaves the record untouched";
    EXPECT_FALSE(WriteParFile(rec, dir / "no" / "a.par", settings));
    EXPECT_EQ(settings.DataDir, dir.path().string()) << "the folder is offered on success only";
    const fs::path deep = dir.path() / std::string(70, 'd');
    ASSERT_TRUE(fs::create_directory(deep) && WriteParFile(rec, deep / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "") << "a folder beyond 60 characters is not offered";
}

} // namespace
} // namespace r4860::files
