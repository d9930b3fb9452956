#include "link/ftdi_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace r4860::link {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
}

std::string readWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

// The shape of the kernel's tree: the tty's device link points at the usb-serial port folder,
// below the interface folder, below the USB device that has the ids.
struct FakeSysfs {
    testing::TempDir root;
    fs::path usbDevice = root.path() / "devices" / "pci0000:00" / "usb1" / "1-2";
    fs::path port = usbDevice / "1-2:1.0" / "ttyUSB0";

    FakeSysfs(const std::string& vendor, const std::string& product, const char* latency) {
        writeFile(usbDevice / "idVendor", vendor);
        writeFile(usbDevice / "idProduct", product);
        fs::create_directories(port);
        if (latency != nullptr) writeFile(port / "latency_timer", latency);
        fs::create_directories(root.path() / "class" / "tty" / "ttyUSB0");
        fs::create_symlink(port, root.path() / "class" / "tty" / "ttyUSB0" / "device");
    }
};

TEST(FtdiCheck, LowersAHighLatencyOfTheKnownAdapterOnly) {
    struct Case {
        const char* why;
        const char* vendor;
        const char* product;
        const char* latency;   // nullptr: no latency file
        bool ftdi;
        int before;
        const char* after;     // nullptr: still no file
    };
    for (const auto& [why, vendor, product, latency, ftdi, before, after] : {
             Case{"16 ms is lowered to 2", "0403", "6001", "16", true, 16, "2"},
             Case{"2 ms is left alone", "0403", "6001", "2", true, 2, "2"},
             Case{"1 ms is left alone, not raised", "0403", "6001", "1", true, 1, "1"},
             Case{"no latency file is still the adapter; nothing is created", "0403", "6001", nullptr, true, -1, nullptr},
             Case{"another product of the same maker", "0403", "6015", "16", false, -1, "16"},
             Case{"another maker with the same product id", "067b", "6001", "16", false, -1, "16"}}) {
        FakeSysfs sys(vendor, product, latency);
        const FtdiInfo info = CheckFtdiAdapter("ttyUSB0", sys.root.path());
        EXPECT_EQ(info.isFtdi, ftdi) << why;
        if (ftdi) {
            EXPECT_EQ(info.latencyBefore, before) << why;
        }
        EXPECT_EQ(info.latencyLowered, before > 2) << why;
        if (after == nullptr) {
            EXPECT_FALSE(fs::exists(sys.port / "latency_timer")) << why;
        } else {
            EXPECT_EQ(readWord(sys.port / "latency_timer"), after) << why;
        }
    }
}

TEST(FtdiCheck, UnknownAndUnsafeNamesAreNotFtdi) {
    FakeSysfs sys("0403", "6001", "16");
    EXPECT_FALSE(CheckFtdiAdapter("ttyUSB1", sys.root.path()).isFtdi) << "no such tty";
    EXPECT_FALSE(CheckFtdiAdapter("../ttyUSB0", sys.root.path()).isFtdi) << "a name never climbs out";
    EXPECT_FALSE(CheckFtdiAdapter("", sys.root.path()).isFtdi);
    EXPECT_EQ(readWord(sys.port / "latency_timer"), "16");
}

}  // namespace
}  // namespace r4860::link
