#include "link/port_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace r4860::link {
namespace {

TEST(PortPath, ComNumbersMapToALinkInTheFolderOrToTheirBlock) {
    testing::TempDir dir;
    std::filesystem::create_symlink("/dev/ttyUSB3", dir / "COM1");
    std::filesystem::create_symlink("/dev/pts/7", dir / "COM255");
    std::filesystem::create_symlink("/dev/pts/gone", dir / "COM3");
    std::filesystem::create_symlink("/dev/pts/8", dir / "COM256");
    std::filesystem::create_directory(dir / "dev");
    std::filesystem::create_symlink("dev/pty0", dir / "COM99");
    const std::string relative = (dir.path() / "dev" / "pty0").lexically_normal().string();
    struct Case {
        const char* why;
        int com;
        std::optional<std::string> path;   // nullopt: refused
    };
    for (const auto& [why, com, path] : {
             Case{"the first number is the first built-in port", 2, "/dev/ttyS1"},
             Case{"the built-in block ends at 32", 32, "/dev/ttyS31"},
             Case{"33 starts the USB adapters", 33, "/dev/ttyUSB0"},
             Case{"the USB block ends at 64", 64, "/dev/ttyUSB31"},
             Case{"65 starts the ACM devices", 65, "/dev/ttyACM0"},
             Case{"the ACM block ends at 96", 96, "/dev/ttyACM31"},
             Case{"a link in the folder wins over the built-in port", 1, "/dev/ttyUSB3"},
             Case{"COM10 is not COM1 followed by something: names are compared whole", 10, "/dev/ttyS9"},
             Case{"a link gives a number outside the blocks a port", 255, "/dev/pts/7"},
             Case{"a dangling link still names its target: the replug is the open's business", 3, "/dev/pts/gone"},
             Case{"a relative link is taken from the folder", 99, relative},
             Case{"97 has neither a block nor a link", 97, std::nullopt},
             Case{"0 is no port", 0, std::nullopt},
             Case{"nor is a negative number", -1, std::nullopt},
             Case{"256 is beyond the port numbers even with a link", 256, std::nullopt}}) {
        const auto resolved = ResolvePortPath(com, dir.path());
        EXPECT_EQ(resolved ? std::optional(*resolved) : std::nullopt, path) << why;
    }
    const auto noFolder = ResolvePortPath(1, {});
    EXPECT_TRUE(noFolder && *noFolder == "/dev/ttyS0") << "no folder: the blocks alone";
    const auto missing = ResolvePortPath(34, "/nonexistent/ports");
    EXPECT_TRUE(missing && *missing == "/dev/ttyUSB1") << "a missing folder falls back to the blocks";
}

}  // namespace
}  // namespace r4860::link
