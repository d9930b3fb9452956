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

TEST(FtdiCheck, AHighLatencyIsLoweredToTwoMilliseconds) {
    FakeSysfs sys("0403", "6001", "16");
    const FtdiInfo info = CheckFtdiAdapter("ttyUSB0", sys.root.path());
    EXPECT_TRUE(info.isFtdi);
    EXPECT_EQ(info.latencyBefore, 16);
    EXPECT_TRUE(info.latencyLowered);
    EXPECT_EQ(readWord(sys.port / "latency_timer"), "2");
}

TEST(FtdiCheck, OneOrTwoMillisecondsAreLeftAlone) {
    for (const char* latency : {"1", "2"}) {
        FakeSysfs sys("0403", "6001", latency);
        const FtdiInfo info = CheckFtdiAdapter("ttyUSB0", sys.root.path());
        EXPECT_TRUE(info.isFtdi);
        EXPECT_FALSE(info.latencyLowered) << latency;
        EXPECT_EQ(readWord(sys.port / "latency_timer"), latency);
    }
}

TEST(FtdiCheck, AnAdapterWithoutALatencyFileIsStillFtdi) {
    FakeSysfs sys("0403", "6001", nullptr);
    const FtdiInfo info = CheckFtdiAdapter("ttyUSB0", sys.root.path());
    EXPECT_TRUE(info.isFtdi);
    EXPECT_EQ(info.latencyBefore, -1);
    EXPECT_FALSE(fs::exists(sys.port / "latency_timer")) << "nothing is created";
}

TEST(FtdiCheck, OtherAdaptersAreNotTouched) {
    struct Case {
        const char* why;
        const char* vendor;
        const char* product;
    };
    for (const auto& [why, vendor, product] : {Case{"another FTDI product", "0403", "6015"},
                                               Case{"another maker with the same product id", "067b", "6001"}}) {
        FakeSysfs sys(vendor, product, "16");
        EXPECT_FALSE(CheckFtdiAdapter("ttyUSB0", sys.root.path()).isFtdi) << why;
        EXPECT_EQ(readWord(sys.port / "latency_timer"), "16") << why;
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
