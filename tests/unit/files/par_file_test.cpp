// Parameter files: the written layout, the reader's rules, and write/read round trips.
#include "files/par_file.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <locale>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "common/text_encoding.h"
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
    rec.Device = "R4747";
    rec.Czujnik.Typ = 16;
    rec.Czujnik.Lin = 4;
    rec.Parametry.MinInput = 0;
    rec.Parametry.MaxInput = 100;
    rec.Parametry.FiltrLimit = 7;
    rec.Informacje.kod = "TAG";
    rec.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return ParFileLines(rec);
}

// An empty key appends `with` as an extra line.
void replaceLine(std::vector<std::string>& lines, std::string_view key, const std::string& with) {
    if (key.empty()) {
        lines.push_back(with);
        return;
    }
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
    rec.File = "stale.dat";  // a file without a File line must not keep an earlier table's name
    const Status s = ReadParLines(lines, rec);
    EXPECT_EQ(s.ok(), expectOk) << (s ? "" : s.error().message);
    return rec;
}

TEST(ParFileLayout, Has44LinesWithTheConditionalOnesEmpty) {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Informacje.ogolne = std::string(30, 'a') + std::string(15, 'b');
    rec.File = "/data/curve.dat";
    rec.TableLoaded = true;  // but neither sensor 15 nor Lin 2 uses it
    rec.Czujnik.Lin = 1;
    const auto lines = ParFileLines(rec);
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], "Parametry przetwornika serii R4860");
    EXPECT_EQ(lines[9], "") << "a table not in use is not named";
    EXPECT_EQ(lines[30], "ogolne=" + std::string(30, 'a'));
    EXPECT_EQ(lines[31], "ogolne1=" + std::string(15, 'b'));
    for (std::size_t i = 33; i < 44; ++i) EXPECT_EQ(lines[i], "") << "coefficients only for Lin > 2, line " << i;
    rec.Czujnik.Lin = 2;
    EXPECT_EQ(ParFileLines(rec)[9], "File=curve.dat") << "the name without its folder";
    EXPECT_EQ(sampleLines()[43], "LinK=11");
}

TEST(ParFileLayout, ControlCharactersInTextsCannotInjectKeys) {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Informacje.kod = "A\r\nTyp=3";
    rec.Device = "R47\n";
    LineBuffer buffer;
    buffer.lines() = ParFileLines(rec);
    const auto reread = LineBuffer::FromBytes(buffer.text());
    ASSERT_EQ(reread.lines().size(), 44u);
    EXPECT_EQ(reread.lookup("kod"), "ATyp=3");
    EXPECT_EQ(reread.lookup("Typ"), "20");
}

struct ReadCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const ReadCase& c) { return os << c.why; }
    std::vector<std::pair<std::string, std::string>> edits;  // key, replacement line ("" removes it)
    bool ok;
    std::function<void(const ConfigRecord&)> check;
};

class ParFileReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParFileReading, FollowsTheRules) {
    const ReadCase& c = GetParam();
    auto lines = sampleLines();
    for (const auto& [key, with] : c.edits) replaceLine(lines, key, with);
    const ConfigRecord rec = readLines(lines, c.ok);
    c.check(rec);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ParFileReading,
    ::testing::Values(
        ReadCase{"a comma separator reads", {{"RoomT", "RoomT=23,5"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.RoomT, 23.5); }},
        ReadCase{"no FiltrLimit line gives threshold 0", {{"FiltrLimit", ""}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.FiltrLimit, 0); }},
        ReadCase{"a FiltrLimit that is no number gives 0", {{"FiltrLimit", "FiltrLimit=x"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.FiltrLimit, 0); }},
        ReadCase{"a missing coefficient K with Lin 4 is corrupt", {{"LinK", ""}}, false,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.LinCoef[9], 10.0) << "J was already taken"; }},
        ReadCase{"without coefficients Lin 1 reads and keeps the old ones",
                 {{"Lin", "Lin=1"}, {"LinA", ""}, {"LinK", ""}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.LinCoef[1], 1.0); }},
        ReadCase{"upper case key and a later duplicate", {{"Typ", "TYP=3"}, {"Tryb", "Typ=4"}}, false,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Czujnik.Typ, 3); }},
        ReadCase{"a half rounds to even: 2.5 is 2", {{"Typ", "Typ=2.5"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Czujnik.Typ, 2); }},
        ReadCase{"a half rounds to even: 3.5 is 4", {{"Typ", "Typ=3.5"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Czujnik.Typ, 4); }},
        ReadCase{"257 does not wrap to 1 but is repaired to 20", {{"Typ", "Typ=257"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Czujnik.Typ, 20); }},
        ReadCase{"a huge filter value is repaired, not undefined", {{"FiltrCzas", "FiltrCzas=1e300"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.FiltrCzas, 0); }},
        ReadCase{"a negative huge mains value is repaired to 50", {{"Siec", "Siec=-1E300"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.Siec, 50); }},
        ReadCase{"a blank before = hides the key", {{"Burnout", "Burnout =1"}}, false,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.FiltrLimit, 7) << "read before Burnout"; }},
        ReadCase{"no Device fails before any number changes", {{"Device", ""}, {"Typ", "Typ=3"}}, false,
                 [](const ConfigRecord& r) {
                     EXPECT_EQ(r.Czujnik.Typ, 20) << "initial 0, normalized";
                     EXPECT_EQ(r.Informacje.kod, "");
                 }},
        ReadCase{"texts are cut to their capacity in characters",
                 {{"Device", "Device=R4747X"}, {"kod", "kod=\xC5\x82" + std::string(20, 'k')}}, true,
                 [](const ConfigRecord& r) {
                     EXPECT_EQ(r.Device, "R4747");
                     EXPECT_EQ(r.Informacje.kod, "\xC5\x82" + std::string(14, 'k'));
                 }},
        ReadCase{"no File line leaves File empty", {}, true, [](const ConfigRecord& r) { EXPECT_EQ(r.File, ""); }},
        ReadCase{"a File line names the table", {{"", "File=t.dat"}}, true,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.File, "t.dat"); }},
        ReadCase{"a real that is not a number is corrupt", {{"MaxInput", "MaxInput=1.2.3"}}, false,
                 [](const ConfigRecord& r) { EXPECT_EQ(r.Parametry.MinInput, 0.0); }}));

std::string randomText(std::mt19937& rng, std::size_t maxChars) {
    static const std::vector<std::string> alphabet = {"a", "Z", "0", " ", "=", "-", ".", "\xC5\x82", "\xC3\xB3",
                                                      "\xC2\xB0", "\xE2\x82\xAC"};
    std::uniform_int_distribution<std::size_t> len(0, maxChars), pick(0, alphabet.size() - 1);
    std::string s;
    for (std::size_t n = len(rng); n > 0; --n) s += alphabet[pick(rng)];
    return s;
}

double round15(double x) {
    double back = 0.0;
    EXPECT_TRUE(TextToNum(RealText(x), back));
    return back;
}

double random15(std::mt19937& rng, double lo, double hi) {
    return round15(std::uniform_real_distribution<double>(lo, hi)(rng));
}

ConfigRecord randomRecord(std::mt19937& rng, int typ, int lin) {
    ConfigRecord rec;
    model::SetInitialState(rec);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    rec.Czujnik = {static_cast<std::uint8_t>(typ), static_cast<std::uint8_t>(pick(0, 11)),
                   static_cast<std::uint8_t>(pick(0, 3)), static_cast<std::uint8_t>(lin)};
    auto& p = rec.Parametry;
    p.MinInput = random15(rng, -300, 100);
    p.MaxInput = random15(rng, 100, 2000);
    p.RoomT = random15(rng, -20, 60);
    p.ZeroReg = random15(rng, -2, 2);
    p.GainReg = random15(rng, -2, 2);
    p.FiltrZakres = pick(0, 250), p.FiltrCzas = pick(0, 400), p.FiltrLimit = pick(0, 100);
    p.Burnout = pick(0, 2), p.Siec = pick(0, 1) ? 50 : 60, p.Jednostki = pick(0, 10);
    rec.Device = randomText(rng, 5);
    rec.Informacje.serial = randomText(rng, 10);
    rec.Informacje.data = randomText(rng, 10);
    rec.Informacje.kod = randomText(rng, 15);
    rec.Informacje.ogolne = randomText(rng, 61);
    for (double& c : rec.LinCoef) c = round15(random15(rng, -1e6, 1e6) * std::pow(10.0, pick(-20, 20)));
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
                const fs::path file = dir / "c.par";
                ASSERT_TRUE(WriteParFile(rec, file, settings));
                ConfigRecord back;
                model::SetInitialState(back);
                const Status read = ReadParFile(back, file, settings);
                ASSERT_TRUE(read) << read.error().message;
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

// A German-style numeric locale must neither change what is written nor what is read.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(ParFileRoundTrip, IsIndependentOfTheProcessLocale) {
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const auto lines = sampleLines();
    std::locale::global(old);
    EXPECT_EQ(lines, sampleLines());
    EXPECT_EQ(LookupKey(lines, "RoomT"), "25");
    auto edited = lines;
    replaceLine(edited, "ZeroReg", "ZeroReg=-1,25");
    EXPECT_EQ(readLines(edited).Parametry.ZeroReg, -1.25);
}

TEST(ParFile, KeepsDataDirOnlyWhenItsFolderIsShortEnough) {
    testing::TempDir dir;
    Settings settings;
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    ASSERT_TRUE(WriteParFile(rec, dir / "a.par", settings));
    EXPECT_EQ(settings.DataDir, dir.path().string());
    const fs::path deep = dir.path() / std::string(70, 'd');
    fs::create_directory(deep);
    ASSERT_TRUE(WriteParFile(rec, deep / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "") << "a folder beyond 60 characters is not offered";
    settings.DataDir = "x";
    ASSERT_TRUE(ReadParFile(rec, deep / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "");
}

TEST(ParFile, AnUnreadableFileLeavesTheRecordUntouched) {
    testing::TempDir dir;
    Settings settings;
    settings.DataDir = "keep";
    ConfigRecord rec;  // deliberately not normalized: Typ 0 would become 20
    const Status s = ReadParFile(rec, dir / "missing.par", settings);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().code, Errc::Io);
    EXPECT_EQ(rec.Czujnik.Typ, 0);
    EXPECT_EQ(settings.DataDir, "keep");
    EXPECT_FALSE(WriteParFile(rec, dir / "no" / "a.par", settings));
    EXPECT_EQ(settings.DataDir, "keep");
}

TEST(ParFile, ReadsAFileMadeOnAPolishWindowsSystem) {
    testing::TempDir dir;
    auto lines = sampleLines();
    replaceLine(lines, "kod", "kod=\xA3\xF3" "d\x9F");  // "Łódź" in Windows-1250
    replaceLine(lines, "MinInput", "MinInput=-12,5");
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    std::ofstream(dir / "pl.par", std::ios::binary) << bytes;
    ConfigRecord rec;
    Settings settings;
    ASSERT_TRUE(ReadParFile(rec, dir / "pl.par", settings));
    EXPECT_EQ(rec.Informacje.kod, "\xC5\x81\xC3\xB3" "d\xC5\xBA");
    EXPECT_EQ(rec.Parametry.MinInput, -12.5);
}

}  // namespace
}  // namespace r4860::files
