// The measurement log: header, row layout, and recording that stops when the file disappears.
#include "files/log_file.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <locale.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/atomic_file.h"
#include "support/comma_locale.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

TEST(LogRow, IsLaidOutForASpreadsheet) {
    const struct { const char* why; double ms, result, output; const char* row; } cases[] = {
        {"signs, two decimals, a negative result", 0, -5.25, 3.9, "+0.00\t-5.25\t+3.90"},
        {"a result is cut to 4 digits", 12500, 1234.56, 20.0, "+12.50\t+1235\t+20.00"},
        {"five integer digits switch to scientific", 1, 12345.6, 4, "+0.00\t+1.235E4\t+4.00"},
        {"a negative zero is still zero, with a plus", 999, -0.0, -0.001, "+1.00\t+0\t+0.00"},
        {"rounding to 4 digits carries into a fifth", 0, 9999.6, 4, "+0.00\t+1E4\t+4.00"},
        {"tiny results are scientific", 0, 0.0000012346, 12, "+0.00\t+1.235E-6\t+12.00"},
        {"seven integer digits of seconds are scientific", 1234567890.0, 1, -0.25, "+1.23457E6\t+1\t-0.25"},
        {"the last time in fixed notation", 999999994.0, 1, 1, "+999999.99\t+1\t+1.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogTimeText(c.ms) + "\t" + LogResultText(c.result) + "\t" + LogOutputText(c.output), c.row) << c.why;
        // Under a comma locale the first two columns take its separator; the current keeps the point.
        std::string comma = c.row;
        for (std::size_t at = 0; (at = comma.find('.', at)) < comma.rfind('\t'); ++at) comma[at] = ',';
        EXPECT_EQ(LogTimeText(c.ms, ",") + "\t" + LogResultText(c.result, ",") + "\t" + LogOutputText(c.output), comma)
            << c.why;
    }
}

TEST(LogRow, TakesTheDecimalSeparatorOfTheUsersLocale) {
    const char* saved = std::getenv("LC_ALL");
    const std::string keep = saved ? saved : "";
    const auto separatorUnder = [](const char* locale) {
        ::setenv("LC_ALL", locale, 1);
        return SystemDecimalSeparator();
    };
    for (const char* locale : testing::kCommaLocales) {
        const locale_t installed = ::newlocale(LC_NUMERIC_MASK, locale, static_cast<locale_t>(nullptr));
        ASSERT_NE(installed, static_cast<locale_t>(nullptr)) << locale << testing::kNoCommaLocale;
        ::freelocale(installed);
        EXPECT_EQ(separatorUnder(locale), ",") << locale;
    }
    EXPECT_EQ(separatorUnder("C"), ".");
    saved ? ::setenv("LC_ALL", keep.c_str(), 1) : ::unsetenv("LC_ALL");
}

TEST(LogFile, StartsWithTheHeaderAppendsOneRowPerPointAndStopsWhenTheFileIsGone) {
    UseEnglishTable();
    testing::TempDir dir;
    Settings settings;
    const fs::path log = dir / "pomiar.txt";
    std::ofstream(log) << "an older recording";
    const DiagramStart start{DaysFromCivil(2024, 3, 9), ((13 * 60 + 5) * 60 + 7) * 1000 + 999};
    ASSERT_TRUE(StartLog(log, start, 8, settings));
    EXPECT_EQ(settings.DataDir, dir.path().string());
    ASSERT_TRUE(AppendLogRow(log, 500, 21.375, 4.5, "."));
    ASSERT_TRUE(AppendLogRow(log, 1000, -3.5, 12, ","));
    EXPECT_EQ(ReadWholeFile(log).value(), "R4860 series module measurements\r\nDate: 09.03.2024   Time: 13:05:07\r\n\r\n"
                                          "Time [s]\tResult [\xC2\xB0" "C]\tOutput [mA]\r\n"
                                          "+0.50\t+21.38\t+4.50\r\n+1,00\t-3,5\t+12.00\r\n");
    ASSERT_TRUE(StartLog(log, {}, 99, settings));
    EXPECT_NE(ReadWholeFile(log).value().find("Result []"), std::string::npos) << "an unknown unit shows nothing";
    fs::remove(log);
    const Status s = AppendLogRow(log, 0, 1, 1);
    EXPECT_EQ(s ? Errc{} : s.error().code, Errc::Io);
    EXPECT_FALSE(fs::exists(log)) << "a deleted log is never recreated";
    settings.DataDir = "keep";
    EXPECT_FALSE(StartLog(dir / "missing" / "a.txt", {}, 8, settings));
    EXPECT_EQ(settings.DataDir, "keep");
}

TEST(LogFile, AFullDiskStopsTheRecordingWithoutATornRow) {
    testing::TempDir dir;
    Settings settings;
    const fs::path log = dir / "a.txt";
    ASSERT_TRUE(StartLog(log, {}, 8, settings));
    ASSERT_TRUE(AppendLogRow(log, 500, 21.375, 4.5));
    const std::string kept = ReadWholeFile(log).value();
    // A file-size limit a few bytes past the end stands in for a full disk: the kernel takes part
    // of the row, then refuses. In a child, so the limit and the ignored SIGXFSZ stay there.
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(kept.size() + 5), static_cast<rlim_t>(kept.size() + 5)};
        const bool refused = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && !AppendLogRow(log, 1000, -3, 12);
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the row that did not fit is an error";
    EXPECT_EQ(ReadWholeFile(log).value(), kept) << "the rows before stay, nothing of the new one";
}

} // namespace
} // namespace r4860::files
