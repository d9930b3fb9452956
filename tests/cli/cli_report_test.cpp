// r4860-cli report over parameter files, as a batch job runs it: text in the chosen language,
// and PDFs for a batch in which one file is broken.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

std::string slurp(const fs::path& file) {
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

// The tool with `args`; its standard output and error caught in `dir`.
CliRun runCli(const TempDir& dir, const std::string& args) {
    const int status = std::system((std::string(R4860_CLI_PATH) + " " + args + " >" + (dir / "out").string() +
                                    " 2>" + (dir / "err").string()).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir / "out"), slurp(dir / "err")};
}

const std::string kExamples = R4860_EXAMPLES_DIR;

TEST(CliReport, PrintsTheLinesInTheChosenLanguage) {
    TempDir dir;
    const CliRun run = runCli(dir, "report " + kExamples + "/pt100.par --language Polski");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\nCzujnik:  Pt100 (0.00385)\n   3-przewodowe, linearyzacja\n"), std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 28) << "one report, no header";
}

#if R4860_CLI_PDF
TEST(CliReport, ABrokenFileIsNamedAndSkippedWhileTheOthersAreWritten) {
    TempDir dir;
    fs::create_directory(dir / "pdf");
    { std::ofstream(dir / "broken.par") << "Device=R4747\r\nTyp=10\r\n"; }
    { std::ofstream(dir / "pdf" / "broken.pdf") << "last week's report"; }
    const CliRun run = runCli(dir, "report " + kExamples + "/thermocouple-k.par " + (dir / "broken.par").string() + " " +
                                    kExamples + "/current-linear.par --pdf-dir " + (dir / "pdf").string());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("broken.par: not a parameter file"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("thermocouple-k"), std::string::npos) << run.err;
    for (const char* written : {"thermocouple-k.pdf", "current-linear.pdf"})
        EXPECT_TRUE(slurp(dir / "pdf" / written).starts_with("%PDF-")) << written;
    EXPECT_EQ(slurp(dir / "pdf" / "broken.pdf"), "last week's report");
}
#endif

}  // namespace
}  // namespace r4860::testing
