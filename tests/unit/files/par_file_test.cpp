// Parameter files: the written layout, the reader's rules, and write/read round trips.
#include "files/par_file.h"

#include <clocale>
#include <cmath>
#include <filesystem>
#include <functional>
#include <locale>
#include <random>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "files/line_buffer.h"
#include "files/real_text.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;
using model::ConfigRecord;

// The lines of a complete file for a thermocouple with a 4th-order polynomial; cases edit it.
std::vector<std::string> sampleLines() {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747", rec.Informacje.kod = "TAG";
    rec.Czujnik.Typ = 16, rec.Czujnik.Lin = 4;
    rec.Parametry.MinInput = 0, rec.Parametry.MaxInput = 100, rec.Parametry.FiltrLimit = 7;
    rec.Parametry.ZeroReg = -1.25;
    rec.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return ParFileLines(rec);
}

void replaceLine(std::vector<std::string>& lines, std::string_view key, const std::string& with) {
    for (auto& line : lines)
        if (line.rfind(std::string(key) + "=", 0) == 0) {
            line = with;
            return;
        }
    FAIL() << "no line " << key;
}

ConfigRecord readLines(const std::vector<std::string>& lines, bool expectOk = true) {
    ConfigRecord rec;
    model::SetInitialState(rec);
    rec.File = "stale.dat"; // a file without a File line must not keep an earlier table's name
    const Status s = ReadParLines(lines, rec);
    EXPECT_EQ(s.ok(), expectOk) << (s ? "" : s.error().message);
    return rec;
}

TEST(ParFileLayout, Has44LinesWithTheConditionalOnesEmptyAndNoControlCharacters) {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Informacje.ogolne = std::string(30, 'a') + std::string(15, 'b');
    rec.Informacje.kod = "A\r\nTyp=3", rec.Device = "R47\n"; // must not inject a key
    rec.File = "/data/curve.dat";
    rec.TableLoaded = true, rec.Czujnik.Lin = 1; // but neither sensor 15 nor Lin 2 uses the table
    LineBuffer buffer;
    buffer.lines() = ParFileLines(rec);
    const auto lines = LineBuffer::FromBytes(buffer.text()).lines();
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], "Parametry przetwornika serii R4860");
    EXPECT_EQ(LookupKey(lines, "kod"), "ATyp=3");
    EXPECT_EQ(LookupKey(lines, "Typ"), "20");
    EXPECT_EQ(lines[9], "") << "a table not in use is not named";
    EXPECT_EQ(lines[30], "ogolne=" + std::string(30, 'a'));
    EXPECT_EQ(lines[31], "ogolne1=" + std::string(15, 'b'));
    for (std::size_t i = 33; i < 44; ++i)
        EXPECT_EQ(lines[i], "") << "coefficients only for Lin > 2, line " << i;
    rec.Czujnik.Lin = 2;
    EXPECT_EQ(ParFileLines(rec)[9], "File=curve.dat") << "the name without its folder";
    EXPECT_EQ(sampleLines()[43], "LinK=11");
}

// Each row edits the sample file: key, replacement line ("" removes the line).
struct ReadCase {
    const char* why;
    std::vector<std::pair<std::string, std::string>> edits;
    bool ok;
    std::function<void(const ConfigRecord&)> check;
};

TEST(ParFileReading, FollowsTheRules) {
    using R = const ConfigRecord&;
    // clang-format off
    const ReadCase cases[] = {
        {"a comma separator reads", {{"RoomT", "RoomT=23,5"}}, true,
         [](R r) { EXPECT_EQ(r.Parametry.RoomT, 23.5); }},
        {"no FiltrLimit line gives threshold 0", {{"FiltrLimit", ""}}, true,
         [](R r) { EXPECT_EQ(r.Parametry.FiltrLimit, 0); }},
        {"a missing coefficient K with Lin 4 is corrupt, J was already taken", {{"LinK", ""}}, false,
         [](R r) { EXPECT_EQ(r.LinCoef[9], 10.0); }},
        {"without coefficients Lin 1 reads, keeping old ones", {{"Lin", "Lin=1"}, {"LinA", ""}, {"LinK", ""}},
         true, [](R r) { EXPECT_EQ(r.LinCoef[1], 1.0); }},
        {"upper case key and a later duplicate", {{"Typ", "TYP=3"}, {"Tryb", "Typ=4"}}, false,
         [](R r) { EXPECT_EQ(r.Czujnik.Typ, 3); }},
        {"a half rounds to even: 2.5 is 2", {{"Typ", "Typ=2.5"}}, true,
         [](R r) { EXPECT_EQ(r.Czujnik.Typ, 2); }},
        {"257 does not wrap to 1 but is repaired to 20", {{"Typ", "Typ=257"}}, true,
         [](R r) { EXPECT_EQ(r.Czujnik.Typ, 20); }},
        {"a huge filter value is repaired, not undefined", {{"FiltrCzas", "FiltrCzas=1e300"}}, true,
         [](R r) { EXPECT_EQ(r.Parametry.FiltrCzas, 0); }},
        {"a blank before = hides the key; FiltrLimit came before", {{"Burnout", "Burnout =1"}}, false,
         [](R r) { EXPECT_EQ(r.Parametry.FiltrLimit, 7); }},
        {"no Device fails before numbers change; Typ 0 normalized", {{"Device", ""}, {"Typ", "Typ=3"}}, false,
         [](R r) { EXPECT_EQ(r.Czujnik.Typ, 20); EXPECT_EQ(r.Informacje.kod, ""); }},
        {"texts are cut to their capacity in characters",
         {{"Device", "Device=R4747X"}, {"kod", "kod=\xC5\x82" + std::string(20, 'k')}}, true,
         [](R r) { EXPECT_EQ(r.Device + r.Informacje.kod, "R4747\xC5\x82" + std::string(14, 'k')); }},
        {"no File line leaves File empty, not the earlier table's", {}, true,
         [](R r) { EXPECT_EQ(r.File, ""); }},
        {"a real that is not a number is corrupt", {{"MaxInput", "MaxInput=1.2.3"}}, false,
         [](R r) { EXPECT_EQ(r.Parametry.MinInput, 0.0); }},
    };
    // clang-format on
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.why);
        auto lines = sampleLines();
        for (const auto& [key, with] : c.edits)
            replaceLine(lines, key, with);
        c.check(readLines(lines, c.ok));
    }
}

std::string randomText(std::mt19937& rng, std::size_t maxChars) {
    static const std::vector<std::string> alphabet = {
        "a", "Z", "0", " ", "=", "-", ".", "\xC5\x82", "\xC3\xB3", "\xC2\xB0", "\xE2\x82\xAC"};
    std::uniform_int_distribution<std::size_t> len(0, maxChars), pick(0, alphabet.size() - 1);
    std::string s;
    for (std::size_t n = len(rng); n > 0; --n)
        s += alphabet[pick(rng)];
    return s;
}

// Values as they come back from 15 significant digits, so the round trip can compare exactly.
double random15(std::mt19937& rng, double lo, double hi, double scale = 1.0) {
    double back = 0.0;
    EXPECT_TRUE(TextToNum(RealText(std::uniform_real_distribution<double>(lo, hi)(rng) * scale), back));
    return back;
}

ConfigRecord randomRecord(std::mt19937& rng, int typ, int lin) {
    ConfigRecord rec;
    model::SetInitialState(rec);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    rec.Czujnik = {static_cast<std::uint8_t>(typ), static_cast<std::uint8_t>(pick(0, 11)),
                   static_cast<std::uint8_t>(pick(0, 3)), static_cast<std::uint8_t>(lin)};
    auto& p = rec.Parametry;
    p.MinInput = random15(rng, -300, 100), p.MaxInput = random15(rng, 100, 2000);
    p.RoomT = random15(rng, -20, 60), p.ZeroReg = random15(rng, -2, 2), p.GainReg = random15(rng, -2, 2);
    p.FiltrZakres = pick(0, 250), p.FiltrCzas = pick(0, 400), p.FiltrLimit = pick(0, 100);
    p.Burnout = pick(0, 2), p.Siec = pick(0, 1) ? 50 : 60, p.Jednostki = pick(0, 10);
    rec.Device = randomText(rng, 5), rec.Informacje.kod = randomText(rng, 15);
    rec.Informacje.serial = randomText(rng, 10), rec.Informacje.data = randomText(rng, 10);
    rec.Informacje.ogolne = randomText(rng, 61); // the two ogolne lines together
    for (double& c : rec.LinCoef)
        c = random15(rng, -1e6, 1e6, std::pow(10.0, pick(-20, 20)));
    rec.TableLoaded = pick(0, 1) == 1;
    rec.File = randomText(rng, 20) + ".dat";
    model::NormalizeConfig(rec);
    return rec;
}

TEST(ParFileRoundTrip, GivesBackEveryFieldForEverySensorAndConversion) {
    testing::TempDir dir;
    std::mt19937 rng(5100);
    Settings settings;
    int cases = 0;
    for (int typ = 1; typ <= 20; ++typ)
        for (int lin : {0, 1, 2, 4, 8})
            for (int k = 0; k < 10; ++k, ++cases) {
                const ConfigRecord rec = randomRecord(rng, typ, lin);
                ConfigRecord back;
                model::SetInitialState(back);
                ASSERT_TRUE(WriteParFile(rec, dir / "c.par", settings));
                ASSERT_TRUE(ReadParFile(back, dir / "c.par", settings));
                SCOPED_TRACE("case " + std::to_string(cases));
                ASSERT_EQ(back.Czujnik, rec.Czujnik);
                ASSERT_EQ(back.Parametry, rec.Parametry);
                ASSERT_EQ(back.Informacje, rec.Informacje);
                ASSERT_EQ(back.Device, rec.Device);
                const bool usesTable = rec.TableLoaded && (rec.Czujnik.Typ == 15 || rec.Czujnik.Lin == 2);
                ASSERT_EQ(back.File, usesTable ? rec.File : "");
                if (rec.Czujnik.Lin > 2) {
                    ASSERT_EQ(back.LinCoef, rec.LinCoef);
                }
            }
    EXPECT_EQ(cases, 1000);
}

struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// A comma-decimal locale, in C++ and (where the machine has one) in C, changes neither what is
// written nor what is read; and a comma file reads under the point locale.
TEST(ParFileRoundTrip, IsIndependentOfTheProcessLocale) {
    auto comma = sampleLines();
    replaceLine(comma, "ZeroReg", "ZeroReg=-1,25");
    EXPECT_EQ(readLines(comma).Parametry.ZeroReg, -1.25);
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    for (const char* name : {"de_DE.UTF-8", "pl_PL.UTF-8", "de_DE", "pl_PL"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    const auto written = sampleLines();
    const double read = readLines(written).Parametry.ZeroReg;
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(old);
    EXPECT_EQ(written, sampleLines());
    EXPECT_EQ(read, -1.25);
}

TEST(ParFile, OffersItsFolderAsDataDirOnlyWhenShortAndOnlyOnSuccess) {
    testing::TempDir dir;
    Settings settings;
    ConfigRecord rec; // deliberately not normalized: Typ 0 would become 20
    const Status s = ReadParFile(rec, dir / "missing.par", settings);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().code, Errc::Io);
    EXPECT_EQ(rec.Czujnik.Typ, 0) << "an unreadable file leaves the record untouched";
    EXPECT_FALSE(WriteParFile(rec, dir / "no" / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "");
    ASSERT_TRUE(WriteParFile(rec, dir / "a.par", settings));
    EXPECT_EQ(settings.DataDir, dir.path().string());
    const fs::path deep = dir.path() / std::string(70, 'd');
    fs::create_directory(deep);
    ASSERT_TRUE(WriteParFile(rec, deep / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "") << "a folder beyond 60 characters is not offered";
}

} // namespace
} // namespace r4860::files
