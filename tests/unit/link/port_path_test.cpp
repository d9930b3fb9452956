// Finding the device behind a port number, and checking the USB adapter behind it.
#include "link/port_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/ftdi_check.h"
#include "link/port_list.h"
#include "support/temp_dir.h"

namespace r4860::link {
namespace {

namespace fs = std::filesystem;

TEST(PortPath, ComNumbersMapToALinkInTheFolderOrToTheirBlock) {
    testing::TempDir dir;
    for (const auto& [target, com] : {std::pair{"/dev/ttyUSB3", "COM1"}, {"/dev/pts/7", "COM255"},
                                      {"/dev/pts/gone", "COM3"}, {"/dev/pts/8", "COM256"}, {"dev/pty0", "COM99"}})
        fs::create_symlink(target, dir / com);
    const std::string relative = (dir.path() / "dev" / "pty0").lexically_normal().string();
    const struct { const char* why; int com; std::optional<std::string> path; } cases[] = {  // nullopt: refused
        {"the first number is the first built-in port", 2, "/dev/ttyS1"},
        {"the built-in block ends at 32", 32, "/dev/ttyS31"},
        {"33 starts the USB adapters", 33, "/dev/ttyUSB0"},
        {"the USB block ends at 64", 64, "/dev/ttyUSB31"},
        {"65 starts the ACM devices", 65, "/dev/ttyACM0"},
        {"the ACM block ends at 96", 96, "/dev/ttyACM31"},
        {"a link in the folder wins over the built-in port", 1, "/dev/ttyUSB3"},
        {"COM10 is not COM1 followed by something: names are compared whole", 10, "/dev/ttyS9"},
        {"a link gives a number outside the blocks a port", 255, "/dev/pts/7"},
        {"a dangling link still names its target: the replug is the open's business", 3, "/dev/pts/gone"},
        {"a relative link is taken from the folder", 99, relative},
        {"97 has neither a block nor a link", 97, std::nullopt},
        {"0 is no port", 0, std::nullopt},
        {"256 is beyond the port numbers even with a link", 256, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto resolved = ResolvePortPath(c.com, dir.path());
        EXPECT_EQ(resolved ? std::optional(*resolved) : std::nullopt, c.path) << c.why;
    }
    const auto missing = ResolvePortPath(34, "/nonexistent/ports");
    EXPECT_TRUE(missing && *missing == "/dev/ttyUSB1") << "a missing folder falls back to the blocks";

    fs::create_directories(dir / "dev");
    std::ofstream(relative) << "";   // COM99's device is there, COM3's is not
    std::vector<std::string> labels;
    for (const FoundPort& p : FindPorts(dir.path(), dir / "no-sysfs", dir / "no-dev"))
        if (p.comNumber == 3 || p.comNumber == 99) labels.push_back(p.label());
    EXPECT_EQ(labels, (std::vector<std::string>{"COM3  /dev/pts/gone  (device missing)", "COM99  " + relative}))
        << "a dangling entry is listed as missing";
}

std::string readWord(const fs::path& file) {
    std::string word;
    std::ifstream(file) >> word;
    return word;
}

// The shape of the kernel's tree: the tty's device link points at the usb-serial port folder,
// below the interface folder, below the USB device that has the ids.
struct FakeSysfs {
    testing::TempDir root;
    fs::path usbDevice = root.path() / "devices" / "pci0000:00" / "usb1" / "1-2";
    fs::path port = usbDevice / "1-2:1.0" / "ttyUSB0";

    FakeSysfs(const std::string& vendor, const std::string& product, const char* latency) {
        fs::create_directories(port);
        std::ofstream(usbDevice / "idVendor") << vendor << '\n';
        std::ofstream(usbDevice / "idProduct") << product << '\n';
        if (latency != nullptr) std::ofstream(port / "latency_timer") << latency << '\n';
        fs::create_directories(root.path() / "class" / "tty" / "ttyUSB0");
        fs::create_symlink(port, root.path() / "class" / "tty" / "ttyUSB0" / "device");
    }
};

TEST(FtdiCheck, LowersAHighLatencyOfTheKnownAdapterOnly) {
    const struct {
        const char *why, *vendor, *product, *latency;  // latency nullptr: no latency file
        bool ftdi;
        int before;
        const char* after;  // nullptr: still no file
    } cases[] = {
        {"16 ms is lowered to 2", "0403", "6001", "16", true, 16, "2"},
        {"2 ms is left alone", "0403", "6001", "2", true, 2, "2"},
        {"1 ms is left alone, not raised", "0403", "6001", "1", true, 1, "1"},
        {"no latency file is still the adapter; nothing is created", "0403", "6001", nullptr, true, -1, nullptr},
        {"another product of the same maker", "0403", "6015", "16", false, -1, "16"},
        {"another maker with the same product id", "067b", "6001", "16", false, -1, "16"},
    };
    for (const auto& c : cases) {
        FakeSysfs sys(c.vendor, c.product, c.latency);
        const FtdiInfo info = CheckFtdiAdapter("ttyUSB0", sys.root.path());
        EXPECT_EQ(info.isFtdi, c.ftdi) << c.why;
        EXPECT_EQ(c.ftdi ? info.latencyBefore : -1, c.before) << c.why;
        EXPECT_EQ(info.latencyLowered, c.before > 2) << c.why;
        EXPECT_EQ(c.after ? readWord(sys.port / "latency_timer") : std::to_string(fs::exists(sys.port / "latency_timer")),
                  c.after ? c.after : "0") << c.why;
    }
    FakeSysfs sys("0403", "6001", "16");
    for (const char* name : {"ttyUSB1", "../ttyUSB0", ""})
        EXPECT_FALSE(CheckFtdiAdapter(name, sys.root.path()).isFtdi) << "unknown or climbing out: " << name;
    EXPECT_EQ(readWord(sys.port / "latency_timer"), "16");
}

}  // namespace
}  // namespace r4860::link
