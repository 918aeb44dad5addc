// uart-guest: the whole userland of a small Linux guest (it is its /init) whose ttyS1..ttyS3
// are emulated 16550 UARTs wired to reader-sim on the host. It maps com1..com3 of a prefix to
// them and com4 to nothing, runs one scan on the termios back end, and then checks what the
// driver says afterwards: the settings each port had are back, and a probe's hold on a line
// keeps a second opener out until it lets go. The host reads the UART registers' trace.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/FileDescriptor_posix.h"
#include "detect/SerialPort.h"
#include "tests/uart/ScanReport.h"

namespace {

constexpr int kLines = 3;
constexpr const char* kDevices[kLines] = {"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
// Every line starts at a speed of its own: when a probe puts the settings back on closing,
// the speed it writes names the port in the trace (tests/uart/TraceCheck.cpp, --home).
constexpr speed_t kHomeSpeeds[kLines] = {B2400, B4800, B19200};

bool SetUp()
{
    if (::mount("devtmpfs", "/dev", "devtmpfs", 0, nullptr) != 0)
        return false;
    const int console = ::open("/dev/console", O_RDWR | O_NOCTTY);
    if (console < 0)
        return false;
    for (int fd = 0; fd <= 2; ++fd)
        ::dup2(console, fd);
    ::close(console);
    if (::mkdir("/prefix", 0755) != 0 || ::mkdir("/prefix/dosdevices", 0755) != 0)
        return false;
    for (int i = 0; i < kLines; ++i) {
        const std::string link = "/prefix/dosdevices/com" + std::to_string(i + 1);
        if (::symlink(kDevices[i], link.c_str()) != 0)
            return false;
    }
    return ::symlink("/dev/ttyS9-absent", "/prefix/dosdevices/com4") == 0 && ::setenv("WINEPREFIX", "/prefix", 1) == 0;
}

bool ReadSettings(const char* device, termios& settings)
{
    lesamo::FileDescriptor fd(::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    return fd.Valid() && ::tcgetattr(fd.Get(), &settings) == 0;
}

bool SetHome(const char* device, speed_t speed, termios& home)
{
    lesamo::FileDescriptor fd(::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios settings{};
    if (!fd.Valid() || ::tcgetattr(fd.Get(), &settings) != 0)
        return false;
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    return ::tcsetattr(fd.Get(), TCSANOW, &settings) == 0 && ::tcgetattr(fd.Get(), &home) == 0;
}

bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b) &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

int Run()
{
    if (!SetUp()) {
        std::printf("guest: cannot set up /dev and the prefix: %s\n", std::strerror(errno));
        return 1;
    }
    termios home[kLines]{};
    for (int i = 0; i < kLines; ++i) {
        if (!SetHome(kDevices[i], kHomeSpeeds[i], home[i])) {
            std::printf("guest: %s: %s\n", kDevices[i], std::strerror(errno));
            return 1;
        }
    }
    std::printf("scan\n");
    lesamo::test::ReportScan();

    // A probe holds com3: a second opener is turned away, and gets it once the probe is done.
    lesamo::PortOpener& ports = lesamo::SystemPorts();
    std::unique_ptr<lesamo::SerialPort> held = ports.Open("com3");
    const bool heldOpened = held != nullptr;
    const bool secondRefused = ports.Open("com3") == nullptr;
    held.reset();
    const bool reopened = ports.Open("com3") != nullptr;
    std::printf("com3 held %s, second opener %s, open again %s\n", heldOpened ? "yes" : "no",
                secondRefused ? "refused" : "let in", reopened ? "yes" : "no");

    for (int i = 0; i < kLines; ++i) {
        termios now{};
        const bool same = ReadSettings(kDevices[i], now) && SameSettings(now, home[i]);
        std::printf("com%d settings after close %s\n", i + 1, same ? "as before" : "changed");
    }
    return 0;
}

}  // namespace

int main()
{
    const int status = Run();
    std::printf("guest done %d\n", status);
    std::fflush(stdout);
    ::sync();
    ::reboot(RB_AUTOBOOT);  // qemu runs with -no-reboot: this ends it
    return status;
}
