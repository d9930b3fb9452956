// User tables: the line format, the order and range checks with their messages, and the range row.
#include "files/table_file.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/lang_table.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;
using model::ConfigRecord;

ConfigRecord recordFor(std::uint8_t inputType) {
    ConfigRecord rec;
    model::SetInitialState(rec);
    rec.TableInputType = inputType;
    return rec;
}

// Code 16 is the millivolt input (-1000.0 .. 1000.0 mV in the live range table); 15 the user sensor.
TEST(TableParsing, AcceptsOrNamesTheFault) {
    const struct {
        const char* why;
        std::uint8_t inputType;
        std::vector<std::string> lines;
        bool ok;
        std::string message;
        std::size_t points;  // in the record afterwards: a table is taken whole or not at all
    } cases[] = {
        {"two rising points", 15, {"0 100", "100 138.5"}, false, kValueOutOfRange, 0},
        {"two rising points of a signal input", 5, {"0 100", "100 138.5"}, true, "", 2},
        {"a semicolon right after a number separates", 5, {"0;100", "100\t\t138.5 ; note"}, true, "", 2},
        {"a semicolon after a blank leaves no second number", 5, {"0 ;100", "1 101"}, false, "", 0},
        {"comments of every kind are skipped", 16,
         {"", "\"quoted", "* star", "/ slash", "; semi", "0 1", "1 2/ trailing"}, true, "", 2},
        {"only comments", 16, {"; a", "; b"}, false, kNotEnoughPoints, 0},
        {"the first column falls back", 5, {"0 100", "100 138.5", "50 120"}, false, kValuesShouldRise, 0},
        {"a falling result with a rising signal", 16, {"100 -10", "50 0", "0 10"}, true, "", 3},
        {"a falling table that turns", 16, {"100 -10", "50 0", "60 10"}, false, kRiseOrFall, 0},
        {"a rising table whose signal falls has no message", 16, {"0 10", "50 0"}, false, "", 0},
        {"one signal with two results", 16, {"0 1", "50 2", "60 2"}, false, kValuesShouldRise, 0},
        {"equal first values are neither rising nor falling", 16, {"5 1", "5 2"}, false, kRiseOrFall, 0},
        {"a user sensor always rises", 15, {"100 1", "50 2"}, false, kValuesShouldRise, 0},
        {"a user sensor signal of 80 mV is out of range", 15, {"0 1", "10 80"}, false, kValueOutOfRange, 0},
        {"limits are forgiving by a millionth", 15, {"-273.000001 -5", "9999 75.000001"}, true, "", 2},
        {"a signal beyond the input's live range", 16, {"0 -1000", "1 1000.1"}, false, kValueOutOfRange, 0},
        {"comma decimals", 16, {"1,5 0,02", "2,5 0,03"}, true, "", 2},
        {"points in one line, commas in another", 16, {"1.5 0.02", "2 3", "2,5 3,5"}, false, kMixedSeparators, 0},
        {"a point and a comma in one line", 16, {"1.5 0,02", "2 3"}, false, kMixedSeparators, 0},
        {"a binary file", 16, {"0 1", std::string("\x7F" "ELF\x02\x01", 6), "1 2"}, false, kNotText, 0},
        {"a short data line", 16, {"12", "1 2"}, false, "", 0},
        {"a blank line is data, not a comment", 16, {"0 1", "   "}, false, "", 0},
        {"text is not a number", 16, {"0 1", "a b"}, false, "", 0},
    };
    for (const auto& c : cases) {
        ConfigRecord rec = recordFor(c.inputType);
        const TableParseOutcome out = ParseTable(c.lines, rec);
        EXPECT_EQ(out.ok, c.ok) << c.why;
        EXPECT_EQ(out.message, c.message) << c.why;
        EXPECT_EQ(rec.Table.count(), c.points) << c.why;
    }
}

TEST(TableParsing, TakesATableWholeOrNotAtAll) {
    ConfigRecord rec = recordFor(16);
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) lines.push_back(std::to_string(i) + " " + std::to_string(i * 0.01));
    lines.push_back("; comments after the 3000th line are harmless");
    ASSERT_TRUE(ParseTable(lines, rec).ok);
    const model::PointTable loaded = rec.Table;
    lines.push_back("3000 30.0");
    const TableParseOutcome longer = ParseTable(lines, rec);
    EXPECT_EQ(longer.message, kTooManyLines) << "a point past line 3000 is never dropped silently";
    EXPECT_EQ(longer.failedLine, 3001u);
    EXPECT_EQ(rec.Table, loaded) << "a refused table leaves the one before";
    const TableParseOutcome bad = ParseTable(std::vector<std::string>{"; t U", "0 1", "; x", "1 0"}, rec);
    EXPECT_EQ(bad.failedLine, 3u) << "the failing line is named, counting comments";
    EXPECT_EQ(rec.Table, loaded);
}

TEST(TableFile, LoadsAWindowsFileAndReportsAMissingOne) {
    testing::TempDir dir;
    std::ofstream(dir / "pt.dat", std::ios::binary) << "; t[\xB0" "C]   R[Ohm]\r\n0,0 100,0\r\n100,0 138,5\r\n";
    ConfigRecord rec = recordFor(5);
    const auto loaded = LoadTableFile(dir / "pt.dat", rec);
    ASSERT_TRUE(loaded && loaded->outcome.ok && loaded->lines.size() == 3u);
    EXPECT_EQ(loaded->lines[0], "; t[\xC2\xB0" "C]   R[Ohm]");
    EXPECT_EQ(rec.Table.points[1], (model::TablePoint{100.0, 138.5}));
    std::ofstream(dir / "dos.dat", std::ios::binary) << "0 100\r\n100 138.5\r\n\x1A";
    EXPECT_TRUE(LoadTableFile(dir / "dos.dat", rec)->outcome.ok) << "an old editor's end-of-file mark";
    std::ofstream(dir / "huge.dat", std::ios::binary) << std::string(kMaxTableFileBytes + 1, ';');
    const auto huge = LoadTableFile(dir / "huge.dat", rec);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->outcome.message, kFileTooLarge);
    EXPECT_TRUE(huge->lines.empty()) << "not read at all";
    const auto missing = LoadTableFile(dir / "none.dat", rec);
    EXPECT_EQ(missing ? Errc{} : missing.error().code, Errc::Io);
    UseEnglishTable();
    EXPECT_EQ(TableFailureText(""), "Corrupted or wrong data file!") << "the warning adds a message only if any";
    EXPECT_EQ(TableFailureText(kNotEnoughPoints), "Corrupted or wrong data file!\r(Not enough points.)");
}

TEST(TableRange, IsTheResultRangeInTenthsTruncated) {
    const struct { const char* why; double first, last; TenthRange row; } cases[] = {
        {"whole degrees", -50.0, 150.0, {-500, 1500}},
        {"a twentieth truncates to zero", 0.05, 150.0, {0, 1500}},
        {"representation error does not lose a tenth", 0.3, 1.7, {3, 17}},
        {"negative values truncate toward zero", -0.15, -0.05, {-1, 0}},
    };
    for (const auto& c : cases) {
        ConfigRecord rec = recordFor(15);
        rec.Table.points = {{c.first, 0.0}, {0.0, 0.5}, {c.last, 1.0}};
        SetTableRange(rec);
        EXPECT_EQ(rec.LiveRanges[15], c.row) << c.why;
        EXPECT_EQ(rec.LiveRanges[16], model::FactoryRanges[16]) << "no other row changes";
    }
}

} // namespace
} // namespace r4860::files
