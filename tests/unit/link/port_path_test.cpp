#include "link/port_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace r4860::link {
namespace {

struct BuiltInCase {
    const char* why;
    int com;
    const char* path;
};

class BuiltInPorts : public ::testing::TestWithParam<BuiltInCase> {};

TEST_P(BuiltInPorts, MapToTheirBlock) {
    const auto& [why, com, path] = GetParam();
    const auto resolved = ResolvePortPath(com, {});
    ASSERT_TRUE(resolved) << why;
    EXPECT_EQ(*resolved, path) << why;
}

INSTANTIATE_TEST_SUITE_P(ComNumbers, BuiltInPorts, ::testing::Values(
    BuiltInCase{"the first number is the first built-in port", 1, "/dev/ttyS0"},
    BuiltInCase{"the built-in block ends at 32", 32, "/dev/ttyS31"},
    BuiltInCase{"33 starts the USB adapters", 33, "/dev/ttyUSB0"},
    BuiltInCase{"the USB block ends at 64", 64, "/dev/ttyUSB31"},
    BuiltInCase{"65 starts the ACM devices", 65, "/dev/ttyACM0"},
    BuiltInCase{"the ACM block ends at 96", 96, "/dev/ttyACM31"}));

TEST(PortPath, NumbersOutsideTheBlocksNeedALinkInTheFolder) {
    for (const int com : {0, -1, 97, 255, 256}) EXPECT_FALSE(ResolvePortPath(com, {})) << "COM" << com;
    testing::TempDir dir;
    std::filesystem::create_symlink("/dev/pts/7", dir / "COM255");
    const auto resolved = ResolvePortPath(255, dir.path());
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, "/dev/pts/7");
    EXPECT_FALSE(ResolvePortPath(256, dir.path())) << "256 is beyond the port numbers even with a link";
}

TEST(PortPath, ALinkInTheFolderWinsOverTheBuiltInPort) {
    testing::TempDir dir;
    std::filesystem::create_symlink("/dev/ttyUSB3", dir / "COM1");
    const auto resolved = ResolvePortPath(1, dir.path());
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, "/dev/ttyUSB3");
    // COM10 is not COM1 followed by something: the names are compared whole.
    const auto other = ResolvePortPath(10, dir.path());
    ASSERT_TRUE(other);
    EXPECT_EQ(*other, "/dev/ttyS9");
}

TEST(PortPath, ARelativeLinkIsTakenFromTheFolder) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "dev");
    std::filesystem::create_symlink("dev/pty0", dir / "COM99");
    const auto resolved = ResolvePortPath(99, dir.path());
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, (dir.path() / "dev" / "pty0").lexically_normal().string());
}

TEST(PortPath, ADanglingLinkStillNamesItsTarget) {
    // The emulator re-points its link on replug; a target that is gone for a moment is the
    // open's business, not a reason to fall back to a built-in port.
    testing::TempDir dir;
    std::filesystem::create_symlink("/dev/pts/nonexistent", dir / "COM3");
    const auto resolved = ResolvePortPath(3, dir.path());
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, "/dev/pts/nonexistent");
}

TEST(PortPath, AMissingFolderFallsBackToTheBlocks) {
    const auto resolved = ResolvePortPath(34, "/nonexistent/ports");
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, "/dev/ttyUSB1");
}

}  // namespace
}  // namespace r4860::link
