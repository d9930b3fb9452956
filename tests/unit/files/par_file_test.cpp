// Parameter files: the written layout, the reader's rules, and write/read round trips.
#include "files/par_file.h"

#include <algorithm>
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

// The lines of a complete file for a millivolt input with a 4th-order polynomial; cases edit it.
std::vector<std::string> sampleLines() {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747", rec.Informacje.kod = "TAG";
    rec.Czujnik.Typ = 16, rec.Czujnik.Lin = 4;
    rec.Parametry.MaxInput = 100, rec.Parametry.FiltrLimit = 7, rec.Parametry.ZeroReg = -1.25;
    rec.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return ParFileLines(rec);
}

// Replaces the line of each key ("" removes it) and reads the result.
ConfigRecord readEdited(const std::vector<std::pair<std::string, std::string>>& edits, bool expectOk = true) {
    auto lines = sampleLines();
    for (const auto& [key, with] : edits) {
        const auto it = std::ranges::find_if(lines, [&](const std::string& l) { return l.starts_with(key + "="); });
        if (it == lines.end()) ADD_FAILURE() << "no line " << key;
        else *it = with;
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
    rec.Informacje.ogolne = std::string(30, 'a') + std::string(15, 'b');
    rec.Informacje.kod = "A\r\nTyp=3", rec.Device = "R47\n";  // must not inject a key
    rec.File = "/data/curve.dat";
    rec.TableLoaded = true, rec.Czujnik.Lin = 1;  // but neither sensor 15 nor Lin 2 uses the table
    LineBuffer buffer;
    buffer.lines() = ParFileLines(rec);
    const auto lines = LineBuffer::FromBytes(buffer.text()).lines();
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], "Parametry przetwornika serii R4860");
    EXPECT_EQ(LookupKey(lines, "kod"), "ATyp=3");
    EXPECT_EQ(LookupKey(lines, "Typ"), "20");
    EXPECT_EQ(lines[9], "") << "a table not in use is not named";
    EXPECT_EQ(lines[30] + "|" + lines[31], "ogolne=" + std::string(30, 'a') + "|ogolne1=" + std::string(15, 'b'));
    for (std::size_t i = 33; i < 44; ++i) EXPECT_EQ(lines[i], "") << "coefficients only for Lin > 2, line " << i;
    rec.Czujnik.Lin = 2;
    EXPECT_EQ(ParFileLines(rec)[9], "File=curve.dat") << "the name without its folder";
    EXPECT_EQ(sampleLines()[43], "LinK=11");
}

TEST(ParFileReading, FollowsTheRules) {
    const auto r = [](std::vector<std::pair<std::string, std::string>> edits, bool ok = true) {
        return readEdited(edits, ok);
    };
    EXPECT_EQ(r({{"RoomT", "RoomT=23,5"}}).Parametry.RoomT, 23.5) << "a comma separator reads";
    EXPECT_EQ(r({{"FiltrLimit", ""}}).Parametry.FiltrLimit, 0) << "no FiltrLimit line gives threshold 0";
    EXPECT_EQ(r({{"LinK", ""}}, false).LinCoef[9], 10.0) << "a missing K with Lin 4 is corrupt, J was taken";
    EXPECT_EQ(r({{"Lin", "Lin=1"}, {"LinA", ""}, {"LinK", ""}}).LinCoef[1], 1.0)
        << "without coefficients Lin 1 reads, keeping the old ones";
    EXPECT_EQ(r({{"Typ", "TYP=3"}, {"Tryb", "Typ=4"}}, false).Czujnik.Typ, 3) << "upper case key, later duplicate";
    EXPECT_EQ(r({{"Typ", "Typ=2.5"}}).Czujnik.Typ, 2) << "a half rounds to even";
    EXPECT_EQ(r({{"Typ", "Typ=257"}}).Czujnik.Typ, 20) << "257 does not wrap to 1 but is repaired";
    EXPECT_EQ(r({{"FiltrCzas", "FiltrCzas=1e300"}}).Parametry.FiltrCzas, 0) << "huge is repaired, not undefined";
    EXPECT_EQ(r({{"Burnout", "Burnout =1"}}, false).Parametry.FiltrLimit, 7) << "a blank before = hides the key";
    const auto noDevice = r({{"Device", ""}, {"Typ", "Typ=3"}}, false);
    EXPECT_EQ(noDevice.Czujnik.Typ, 20) << "no Device fails before numbers change; Typ 0 normalized";
    EXPECT_EQ(noDevice.Informacje.kod, "");
    const auto cut = r({{"Device", "Device=R4747X"}, {"kod", "kod=\xC5\x82" + std::string(20, 'k')}});
    EXPECT_EQ(cut.Device + cut.Informacje.kod, "R4747\xC5\x82" + std::string(14, 'k')) << "cut in characters";
    EXPECT_EQ(r({}).File, "") << "no File line leaves File empty, not the earlier table's";
    EXPECT_EQ(r({{"MaxInput", "MaxInput=1.2.3"}}, false).Parametry.MinInput, 0.0) << "not a number is corrupt";
}

// Values as they come back from 15 significant digits, so the round trip can compare exactly.
double random15(std::mt19937& rng, double lo, double hi, double scale = 1.0) {
    double back = 0.0;
    EXPECT_TRUE(TextToNum(RealText(std::uniform_real_distribution<double>(lo, hi)(rng) * scale), back));
    return back;
}

ConfigRecord randomRecord(std::mt19937& rng, int typ, int lin) {
    static const std::vector<std::string> alphabet = {"a", "Z", "0", " ", "=", "-", ".", "\xC5\x82", "\xC2\xB0",
                                                      "\xE2\x82\xAC"};
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto text = [&](int maxChars) {
        std::string s;
        for (int n = pick(0, maxChars); n > 0; --n) s += alphabet[static_cast<std::size_t>(pick(0, 9))];
        return s;
    };
    ConfigRecord rec;
    model::SetInitialState(rec);
    rec.Czujnik = {static_cast<std::uint8_t>(typ), static_cast<std::uint8_t>(pick(0, 11)),
                   static_cast<std::uint8_t>(pick(0, 3)), static_cast<std::uint8_t>(lin)};
    auto& p = rec.Parametry;
    p.MinInput = random15(rng, -300, 100), p.MaxInput = random15(rng, 100, 2000);
    p.RoomT = random15(rng, -20, 60), p.ZeroReg = random15(rng, -2, 2), p.GainReg = random15(rng, -2, 2);
    p.FiltrZakres = pick(0, 250), p.FiltrCzas = pick(0, 400), p.FiltrLimit = pick(0, 100);
    p.Burnout = pick(0, 2), p.Siec = pick(0, 1) ? 50 : 60, p.Jednostki = pick(0, 10);
    rec.Device = text(5), rec.Informacje.kod = text(15), rec.Informacje.serial = text(10);
    rec.Informacje.data = text(10), rec.Informacje.ogolne = text(61);  // the two ogolne lines together
    for (double& c : rec.LinCoef) c = random15(rng, -1e6, 1e6, std::pow(10.0, pick(-20, 20)));
    rec.TableLoaded = pick(0, 1) == 1;
    rec.File = text(20) + ".dat";
    model::NormalizeConfig(rec);
    return rec;
}

TEST(ParFileRoundTrip, GivesBackEveryFieldForEverySensorAndConversion) {
    testing::TempDir dir;
    std::mt19937 rng(5100);
    Settings settings;
    for (int typ = 1; typ <= 20; ++typ)
        for (int lin : {0, 1, 2, 4, 8})
            for (int k = 0; k < 10; ++k) {
                SCOPED_TRACE("sensor " + std::to_string(typ) + " Lin " + std::to_string(lin));
                const ConfigRecord rec = randomRecord(rng, typ, lin);
                ConfigRecord back;
                model::SetInitialState(back);
                ASSERT_TRUE(WriteParFile(rec, dir / "c.par", settings));
                ASSERT_TRUE(ReadParFile(back, dir / "c.par", settings));
                ASSERT_EQ(back.Czujnik, rec.Czujnik);
                ASSERT_EQ(back.Parametry, rec.Parametry);
                ASSERT_EQ(back.Informacje, rec.Informacje);
                ASSERT_EQ(back.Device, rec.Device);
                const bool usesTable = rec.TableLoaded && (rec.Czujnik.Typ == 15 || rec.Czujnik.Lin == 2);
                ASSERT_EQ(back.File, usesTable ? rec.File : "");
                if (rec.Czujnik.Lin > 2) { ASSERT_EQ(back.LinCoef, rec.LinCoef); }
            }
}

struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// A comma-decimal locale, in C++ and (where the machine has one) in C, changes neither what is
// written nor what is read.
TEST(ParFileRoundTrip, IsIndependentOfTheProcessLocale) {
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    for (const char* name : {"de_DE.UTF-8", "pl_PL.UTF-8", "de_DE", "pl_PL"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    const auto written = sampleLines();
    const double read = readEdited({}).Parametry.ZeroReg;
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(old);
    EXPECT_EQ(written, sampleLines());
    EXPECT_EQ(read, -1.25);
}

TEST(ParFile, OffersItsFolderAsDataDirOnlyWhenShortAndOnlyOnSuccess) {
    testing::TempDir dir;
    Settings settings;
    ConfigRecord rec;  // deliberately not normalized: Typ 0 would become 20
    const Status s = ReadParFile(rec, dir / "missing.par", settings);
    EXPECT_EQ(s ? Errc{} : s.error().code, Errc::Io);
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
