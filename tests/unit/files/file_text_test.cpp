// The text layer under every file: number layout, line splitting, the key lookup rule, atomic writes.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "files/atomic_file.h"
#include "files/line_buffer.h"
#include "files/real_text.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

TEST(RealText, IsTheShortestFormWithAtMost15DigitsAndReadsBack) {
    const struct { const char* why; double value; const char* text; } cases[] = {
        {"whole numbers have no point", -50.0, "-50"},
        {"representation noise is cut at 15 digits", 0.1 + 0.2, "0.3"},
        {"below 1E-5 switches to scientific", 0.000001, "1E-6"},
        {"scientific keeps the fraction, no plus sign", 2.5e20, "2.5E20"},
        {"rounding up can move into scientific", 9999999999999999.0, "1E16"},
        {"infinity cannot be read back, so it is not written", HUGE_VAL, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(RealText(c.value), c.text) << c.why;
    std::mt19937_64 rng(2017);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0), exponent(-30.0, 30.0);
    for (int i = 0; i < 20000; ++i) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        const std::string text = RealText(x);
        double back = 0.0;
        ASSERT_TRUE(TextToNum(text, back) && RealText(back) == text) << text;
        ASSERT_NEAR(back, x, std::fabs(x) * 1e-14) << text;
        ASSERT_EQ(text.find_first_of("e+,"), std::string::npos) << text;
    }
}

TEST(LineText, SplitsAtAnyLineEndAndLooksKeysUpByTheFirstEqualsIgnoringCase) {
    using Lines = std::vector<std::string>;
    for (const auto& [text, lines] : {std::pair<std::string, Lines>{"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}},
                                      {"a\rb\r", {"a", "b"}}, {"a\n\rb", {"a", "", "b"}}})
        EXPECT_EQ(SplitLines(text), lines) << "CR LF, LF or a lone CR; LF CR is two: " << text;
    const struct { const char* why; Lines lines; const char* key; const char* value; } cases[] = {
        {"letter case is ignored, the first match wins", {"TYP=3", "Typ=4"}, "Typ", "3"},
        {"no trimming before the =", {"Typ =5"}, "Typ", "<none>"},
        {"the value keeps its blanks and later =", {"kod= a=b "}, "kod", " a=b "},
        {"Lin does not match LinA", {"LinA=1", "Lin=4"}, "Lin", "4"},
        {"an empty key never matches a named one", {"=x"}, "Typ", "<none>"},
    };
    for (const auto& c : cases) EXPECT_EQ(LookupKey(c.lines, c.key).value_or("<none>"), c.value) << c.why;

    const LineBuffer old = LineBuffer::FromBytes("kod=\xB0" "C \xB3\xF3\xBF\r\n");  // degree sign, l-stroke ...
    EXPECT_EQ(old.lines(), Lines{"kod=\xC2\xB0" "C \xC5\x82\xC3\xB3\xC5\xBC"}) << "Windows-1250 is decoded";
    EXPECT_EQ(old.text(), old.lines()[0] + "\r\n") << "and written as UTF-8 with CR LF";
    EXPECT_EQ(LineBuffer::FromBytes("\xC2\xB0").lines()[0], "\xC2\xB0") << "valid UTF-8 is not decoded twice";
}

// What a write could change at a path: the entry's type and, past any links, a file's mode and bytes.
std::string snapshot(const fs::path& p) {
    std::error_code ec;
    std::string s = std::to_string(static_cast<int>(fs::symlink_status(p, ec).type()));
    if (fs::is_regular_file(p, ec))
        s += " " + std::to_string(static_cast<int>(fs::status(p).permissions())) + " " + ReadWholeFile(p).value();
    return s;
}

// Writes in a child process, as user and group nobody when asked: the tests run as root, who may write
// anything, and the test process must keep its rights. "ok" or "<code> <message>"; none if no switch.
std::optional<std::string> writeAs(bool nobody, const fs::path& file, std::string_view bytes) {
    constexpr uid_t kNobody = 65534;
    constexpr std::size_t kSize = 4096;
    void* shared = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (nobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(77);
        const Status st = WriteFileAtomically(file, bytes);
        (st ? "ok" : std::to_string(static_cast<int>(st.error().code)) + " " + st.error().message)
            .copy(static_cast<char*>(shared), kSize - 1);  // the mapping starts zeroed
        ::_exit(0);
    }
    int status = 0;
    std::optional<std::string> report;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        report = static_cast<const char*>(shared);
    ::munmap(shared, kSize);
    return report;
}

fs::path oldFile(const fs::path& p, unsigned mode) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "old";
    fs::permissions(p, fs::perms{mode});
    return p;
}

TEST(AtomicWrite, ReplacesOnlyARegularFileTheUserMayWriteAndNeverLeavesATemporary) {
    using D = const fs::path&;
    constexpr Errc kBad = Errc::BadArgument;
    constexpr const char* kNotRegular = "not a regular file";
    // The scene gives the path to write to; no refusal: it goes through; reason: the message says it.
    const struct { const char* why; fs::path (*scene)(D); bool asNobody; std::optional<Errc> refusal;
                   const char* reason = ""; } cases[] = {
        {"a file with an operator's mode", [](D d) { return oldFile(d / "a.par", 0640); }, false, {}},
        {"a new file", [](D d) { return d / "new.par"; }, false, {}},
        {"a chain of relative links into another folder", [](D d) {
             oldFile(d / "real" / "a.par", 0644);
             fs::create_symlink("real/a.par", d / "hop.par");
             return fs::create_symlink("hop.par", d / "a.par"), d / "a.par";
         }, false, {}},
        {"a FIFO", [](D d) { return ::mkfifo((d / "a").c_str(), 0644), d / "a"; }, false, kBad, kNotRegular},
        {"a folder", [](D d) { return fs::create_directory(d / "a"), d / "a"; }, false, kBad, kNotRegular},
        {"a device, as nobody: never /dev/null", [](D) { return fs::path("/dev/null"); }, true, kBad, kNotRegular},
        {"a read-only file", [](D d) { return oldFile(d / "a.par", 0444); }, true, Errc::Io, "Permission denied"},
        {"a writable file in a read-only folder", [](D d) {
             oldFile(d / "locked" / "a.par", 0666);
             return fs::permissions(d / "locked", fs::perms{0555}), d / "locked" / "a.par";
         }, true, Errc::Io, "Permission denied"},
        {"a missing folder", [](D d) { return d / "no" / "a.par"; }, false, Errc::Io, "No such file or directory"},
        {"an empty name", [](D) { return fs::path(); }, false, kBad, "not a file name"},
    };
    for (const auto& c : cases) {
        testing::TempDir dir;
        fs::permissions(dir.path(), fs::perms::all);  // nobody may make files here, so only the checks stop it
        const fs::path file = c.scene(dir.path());
        const std::string before = snapshot(file);
        const auto report = writeAs(c.asNobody, file, "new\r\n");
        ASSERT_TRUE(report) << c.why << ": cannot run as user nobody";
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            EXPECT_NE(entry.path().filename().string()[0], '.') << c.why << ": a temporary was left";
        if (!c.refusal) {
            EXPECT_EQ(*report + " " + ReadWholeFile(file).value(), "ok new\r\n") << c.why;
            const auto kept = before.substr(0, before.rfind(' ') + 1);  // "<type> <mode> " unless it is new
            if (!kept.empty()) { EXPECT_EQ(snapshot(file), kept + "new\r\n") << c.why << ": link and mode stay"; }
            continue;
        }
        EXPECT_TRUE(report->starts_with(std::to_string(static_cast<int>(*c.refusal)) + " ") &&
                    report->find(c.reason) != std::string::npos) << c.why << ": " << *report;
        const auto at = report->find(file.string());
        EXPECT_TRUE(file.empty() || (at != std::string::npos && report->find(file.string(), at + 1) == std::string::npos))
            << c.why << ": the path once in " << *report;
        EXPECT_EQ(snapshot(file), before) << c.why << ": nothing replaced";
    }
}

TEST(ReadWholeFile, RefusesWhatIsNotASmallRegularFile) {
    testing::TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir / "none").error().code, Errc::Io);
    EXPECT_EQ(ReadWholeFile(dir.path()).error().code, Errc::Corrupt) << "a folder";
    EXPECT_EQ(ReadWholeFile("/dev/zero").error().code, Errc::Corrupt) << "a device would never end";
    std::ofstream(dir / "big") << std::string(100, 'x');
    EXPECT_EQ(ReadWholeFile(dir / "big", 99).error().code, Errc::Corrupt);
    EXPECT_EQ(ReadWholeFile(dir / "big", 100).value().size(), 100u);
}

} // namespace
} // namespace r4860::files
