// The text layer under every file: number layout, line splitting, the key lookup rule, atomic writes.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include <grp.h>
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
        {"a value needing 15 digits keeps them", 123456.789012345, "123456.789012345"},
        {"below 1E-5 switches to scientific", 0.000001, "1E-6"},
        {"scientific keeps the fraction, no plus sign", 2.5e20, "2.5E20"},
        {"rounding up can move into scientific", 9999999999999999.0, "1E16"},
        {"infinity cannot be read back, so it is not written", HUGE_VAL, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(RealText(c.value), c.text) << c.why;
    std::mt19937_64 rng(2017);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        const std::string text = RealText(x);
        double back = 0.0;
        ASSERT_TRUE(TextToNum(text, back)) << text;
        ASSERT_EQ(RealText(back), text) << "case " << i;
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
        {"no trimming before the =", {"Typ =5"}, "Typ", nullptr},
        {"the value keeps its blanks and later =", {"kod= a=b "}, "kod", " a=b "},
        {"Lin does not match LinA", {"LinA=1", "Lin=4"}, "Lin", "4"},
        {"an empty key never matches a named one", {"=x"}, "Typ", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupKey(c.lines, c.key).value_or("<none>"), c.value ? c.value : "<none>") << c.why;

    const LineBuffer old = LineBuffer::FromBytes("kod=\xB0" "C \xB3\xF3\xBF\r\n");  // degree sign, l-stroke ...
    EXPECT_EQ(old.lines(), Lines{"kod=\xC2\xB0" "C \xC5\x82\xC3\xB3\xC5\xBC"}) << "Windows-1250 is decoded";
    EXPECT_EQ(old.text(), old.lines()[0] + "\r\n") << "and written as UTF-8 with CR LF";
    EXPECT_EQ(LineBuffer::FromBytes("\xC2\xB0").lines()[0], "\xC2\xB0") << "valid UTF-8 is not decoded twice";
}

// What a write could change at a path: the entry's type and, at the end of any links, a regular
// file's mode and bytes.
std::string snapshot(const fs::path& p) {
    std::error_code ec;
    std::string s = std::to_string(static_cast<int>(fs::symlink_status(p, ec).type()));
    if (fs::is_regular_file(p, ec))
        s += " " + std::to_string(static_cast<int>(fs::status(p).permissions())) + " " + ReadWholeFile(p).value();
    return s;
}

struct WriteOutcome {
    bool ok = false;
    int code = 0;
    std::string message;
};

// Writes in a child process, as user and group nobody when asked: the tests run as root, who may
// write anything, and the test process must keep its rights. Nothing when the switch failed.
std::optional<WriteOutcome> writeAs(bool nobody, const fs::path& file, std::string_view bytes) {
    constexpr int kCannotSwitch = 77;
    constexpr uid_t kNobody = 65534;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (nobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(kCannotSwitch);
        const Status written = WriteFileAtomically(file, bytes);
        const std::string report =
            written ? "ok" : std::to_string(static_cast<int>(written.error().code)) + " " + written.error().message;
        (void)!::write(pipeFds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    if (report == "ok") return WriteOutcome{true, 0, {}};
    const auto blank = report.find(' ');
    return WriteOutcome{false, std::stoi(report.substr(0, blank)), report.substr(blank + 1)};
}

struct AtomicWriteCase {
    const char* why;
    fs::path (*scene)(const fs::path& dir);  // sets up what is in the way; the path to write to
    bool asNobody;
    std::optional<Errc> refusal;  // none: the write goes through
    const char* reason = "";      // the message says this beside the path
};

class AtomicWrite : public ::testing::TestWithParam<AtomicWriteCase> {};

TEST_P(AtomicWrite, ReplacesOnlyARegularFileTheUserMayWriteAndNeverLeavesATemporary) {
    const auto& c = GetParam();
    testing::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // nobody may make files here, so only the checks stop it
    const fs::path file = c.scene(dir.path());
    const std::string before = snapshot(file);
    const fs::file_status entryBefore = fs::symlink_status(file), targetBefore = fs::status(file);
    const auto outcome = writeAs(c.asNobody, file, "new\r\n");
    if (!outcome) GTEST_SKIP() << "cannot run as user nobody";
    if (!c.refusal) {
        ASSERT_TRUE(outcome->ok) << c.why << ": " << outcome->message;
        EXPECT_EQ(ReadWholeFile(file).value(), "new\r\n") << c.why;
        if (fs::exists(entryBefore)) {
            EXPECT_EQ(fs::symlink_status(file).type(), entryBefore.type()) << c.why << ": a link stays a link";
            EXPECT_EQ(fs::status(file).permissions(), targetBefore.permissions()) << c.why << ": the mode is kept";
        }
    } else {
        ASSERT_FALSE(outcome->ok) << c.why;
        EXPECT_EQ(outcome->code, static_cast<int>(*c.refusal)) << c.why << ": " << outcome->message;
        EXPECT_NE(outcome->message.find(c.reason), std::string::npos) << c.why << ": " << outcome->message;
        const std::string path = file.string();
        if (!path.empty()) {
            const auto at = outcome->message.find(path);
            EXPECT_TRUE(at != std::string::npos && outcome->message.find(path, at + 1) == std::string::npos)
                << c.why << ": the path once in " << outcome->message;
        }
        EXPECT_EQ(snapshot(file), before) << c.why << ": nothing replaced";
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << c.why << ": a temporary was left";
}

INSTANTIATE_TEST_SUITE_P(
    WhatIsInTheWay, AtomicWrite,
    ::testing::Values(
        AtomicWriteCase{"a regular file with an operator's mode",
                        [](const fs::path& d) {
                            std::ofstream(d / "a.par") << "old";
                            fs::permissions(d / "a.par", fs::perms::owner_read | fs::perms::owner_write |
                                                             fs::perms::group_read);
                            return d / "a.par";
                        },
                        false, std::nullopt},
        AtomicWriteCase{"a new file", [](const fs::path& d) { return d / "new.par"; }, false, std::nullopt},
        AtomicWriteCase{"a chain of relative links into another folder",
                        [](const fs::path& d) {
                            fs::create_directory(d / "real");
                            std::ofstream(d / "real" / "a.par") << "old";
                            fs::create_symlink("real/a.par", d / "hop.par");
                            fs::create_symlink("hop.par", d / "a.par");
                            return d / "a.par";
                        },
                        false, std::nullopt},
        AtomicWriteCase{"a FIFO would be replaced by a file",
                        [](const fs::path& d) {
                            ::mkfifo((d / "a.par").c_str(), 0644);
                            return d / "a.par";
                        },
                        false, Errc::BadArgument, "not a regular file"},
        AtomicWriteCase{"a folder",
                        [](const fs::path& d) {
                            fs::create_directory(d / "a.par");
                            return d / "a.par";
                        },
                        false, Errc::BadArgument, "not a regular file"},
        // As nobody, so that a fault can never replace the machine's /dev/null.
        AtomicWriteCase{"a device node", [](const fs::path&) { return fs::path("/dev/null"); }, true,
                        Errc::BadArgument, "not a regular file"},
        AtomicWriteCase{"a read-only file in a folder the user may write",
                        [](const fs::path& d) {
                            std::ofstream(d / "a.par") << "old";
                            fs::permissions(d / "a.par", fs::perms::owner_read | fs::perms::group_read |
                                                             fs::perms::others_read);
                            return d / "a.par";
                        },
                        true, Errc::Io, "Permission denied"},
        AtomicWriteCase{"a writable file in a read-only folder",
                        [](const fs::path& d) {
                            fs::create_directory(d / "locked");
                            std::ofstream(d / "locked" / "a.par") << "old";
                            fs::permissions(d / "locked" / "a.par", fs::perms::all & ~fs::perms::owner_exec &
                                                                        ~fs::perms::group_exec & ~fs::perms::others_exec);
                            fs::permissions(d / "locked", fs::perms::all & ~fs::perms::owner_write &
                                                              ~fs::perms::group_write & ~fs::perms::others_write);
                            return d / "locked" / "a.par";
                        },
                        true, Errc::Io, "Permission denied"},
        AtomicWriteCase{"a folder that does not exist", [](const fs::path& d) { return d / "no" / "a.par"; }, false,
                        Errc::Io, "No such file or directory"},
        AtomicWriteCase{"an empty name", [](const fs::path&) { return fs::path(); }, false, Errc::BadArgument,
                        "not a file name"}));

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
