// uart-guest: the whole userland of a small Linux guest (it is its /init), run by guest-run.sh
// under qemu. Its serial lines are emulated 16550 UARTs (ttyS1..ttyS3) or emulated FTDI USB-serial
// adapters in ports 1..3 of the guest's USB bus (ttyUSB*), whose far ends are reader-sim on the
// host. The kernel hands it the words after "--" on its command line; the first is the mode:
//   uart  com1..com3 of a prefix on ttyS1..ttyS3, com4 on nothing: one scan on the termios back
//         end, then what the driver says afterwards: the settings each port had are back, and a
//         probe's hold on a line keeps a second opener out until it lets go. The host reads the
//         trace of the lines.
//   usb   the same on the three adapters; then, once the host has put the trace aside, com2's
//         adapter pulled out during its identifying probe, once in the 800 ms wait and once in
//         the read, and plugged back in, each followed by another scan. The guest asks the host
//         on the console ("host: pull com2", "host: plug com2", "host: trace aside"), and waits
//         for its answer where it needs one.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "common/FileDescriptor_posix.h"
#include "detect/SerialPort.h"
#include "tests/fakes/RecordingNotice.h"
#include "tests/uart/ScanReport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLines = 3;
constexpr const char* kUarts[kLines] = {"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
// Every line starts at a speed of its own: when a probe puts the settings back on closing,
// the speed it writes names the port in the trace (line-check --home).
constexpr speed_t kHomeSpeeds[kLines] = {B2400, B4800, B19200};
constexpr const char* kNoDevice = "/dev/ttyS9-absent";

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Mount(const char* type, const char* where)
{
    return (::mkdir(where, 0755) == 0 || errno == EEXIST) && ::mount(type, where, type, 0, nullptr) == 0;
}

bool MapPort(int number, const std::string& device)
{
    const std::string link = "/prefix/dosdevices/com" + std::to_string(number);
    ::unlink(link.c_str());
    return ::symlink(device.c_str(), link.c_str()) == 0;
}

bool SetUp()
{
    if (!Mount("devtmpfs", "/dev") || !Mount("proc", "/proc") || !Mount("sysfs", "/sys"))
        return false;
    const int console = ::open("/dev/console", O_RDWR | O_NOCTTY);
    if (console < 0)
        return false;
    for (int fd = 0; fd <= 2; ++fd)
        ::dup2(console, fd);
    ::close(console);
    return ::mkdir("/prefix", 0755) == 0 && ::mkdir("/prefix/dosdevices", 0755) == 0 &&
           ::setenv("WINEPREFIX", "/prefix", 1) == 0;
}

// The USB drivers, in the order guest-kernel.sh found from their dependencies.
bool LoadModules()
{
    std::ifstream order("/modules/order");
    for (std::string name; std::getline(order, name);) {
        const std::string path = "/modules/" + name + ".ko";
        lesamo::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.Valid() || ::syscall(SYS_finit_module, fd.Get(), "", 0) != 0) {
            std::printf("guest: cannot load %s: %s\n", path.c_str(), std::strerror(errno));
            return false;
        }
    }
    return order.eof();
}

// The adapters by the port they are plugged into: the kernel names them ttyUSB0, 1, ... in
// the order it finds them, and /sys/bus/usb-serial/devices/ttyUSBn leads to
// .../usbB/B-P/B-P:1.0/ttyUSBn.
std::map<int, std::string> Adapters()
{
    std::map<int, std::string> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/bus/usb-serial/devices", error)) {
        const std::string name = entry.path().filename();
        const std::string device = "/dev/" + name;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (error || ::access(device.c_str(), F_OK) != 0)
            continue;
        // "B-P:1.0", or "B-H.P:1.0" behind a hub in port H
        const std::string usbInterface = target.parent_path().filename();
        const std::size_t colon = usbInterface.find(':');
        const std::size_t port = usbInterface.find_last_of("-.", colon);
        if (colon != std::string::npos && port != std::string::npos && colon > port + 1)
            found[std::atoi(usbInterface.substr(port + 1, colon - port - 1).c_str())] = device;
    }
    return found;
}

bool AdapterPresent(int usbPort)
{
    return Adapters().count(usbPort) != 0;
}

// Waits until the adapters in `usbPorts` are there (the drivers find them about a second
// after loading) and returns them.
template <std::size_t N>
std::map<int, std::string> WaitForAdapters(const int (&usbPorts)[N])
{
    const auto start = Clock::now();
    for (;;) {
        std::map<int, std::string> found = Adapters();
        bool all = true;
        for (const int usbPort : usbPorts)
            all = all && found.count(usbPort) != 0;
        if (all || MsSince(start) > 10000)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool OpenSettings(const char* device, termios& settings, speed_t speed = B0)
{
    lesamo::FileDescriptor fd(::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid() || ::tcgetattr(fd.Get(), &settings) != 0)
        return false;
    if (speed == B0)
        return true;
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    return ::tcsetattr(fd.Get(), TCSANOW, &settings) == 0 && ::tcgetattr(fd.Get(), &settings) == 0;
}

bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b) &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// uart and usb: one scan of the three lines, then the driver's view of them.
int ScanLines(const std::string (&devices)[kLines])
{
    termios home[kLines]{};
    for (int i = 0; i < kLines; ++i) {
        if (!MapPort(i + 1, devices[i]) || !OpenSettings(devices[i].c_str(), home[i], kHomeSpeeds[i])) {
            std::printf("guest: %s: %s\n", devices[i].c_str(), std::strerror(errno));
            return 1;
        }
    }
    if (!MapPort(4, kNoDevice))
        return 1;
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
        const bool same = OpenSettings(devices[i].c_str(), now) && SameSettings(now, home[i]);
        std::printf("com%d settings after close %s\n", i + 1, same ? "as before" : "changed");
    }
    return 0;
}

// --- unplug ----------------------------------------------------------------------------------

enum class PullAt { Nowhere, LongWait, Read };
constexpr const char* kPulled = "com2";
constexpr int kPulledUsbPort = 2;
constexpr std::chrono::milliseconds kLongWait{800};

// Passes every call through to the system's ports. On com2's identifying probe it asks the host
// to pull the adapter out as the 800 ms wait or the read begins, and notes whether the pull came
// in time: the adapter gone when the wait ended, or the read (on a silent line, 101 ms) ended
// early by the hang-up. It notes every open on com2, and how long the probe and its steps took.
class PullingPorts : public lesamo::PortOpener {
public:
    std::unique_ptr<lesamo::SerialPort> Open(const std::string& name) override;

    PullAt pullAt = PullAt::Nowhere;
    bool asked = false;                           // the host was asked this scan
    bool goneInTime = false;                      // and it was gone before the step ended
    std::string opens;                            // com2's opens this scan: "opened", "refused"
    double probeMs = 0, readMs = 0, closeMs = 0;  // the probe on which the host was asked
};

class PullingPort : public lesamo::SerialPort {
public:
    PullingPort(PullingPorts& owner, bool watched, std::unique_ptr<lesamo::SerialPort> port)
        : m_owner(owner), m_watched(watched), m_port(std::move(port))
    {
    }
    ~PullingPort() override
    {
        const auto closing = Clock::now();
        m_port.reset();
        if (m_pulling) {
            m_owner.closeMs = MsSince(closing);
            m_owner.probeMs = MsSince(m_start);
        }
    }
    void Configure(const lesamo::LineSettings& settings) override
    {
        // The identifying probe is the one at 1200 baud.
        m_pulling = m_watched && !m_owner.asked && settings.baudRate == 1200;
        m_port->Configure(settings);
    }
    void SetLine(lesamo::ControlLine line, bool on) override { m_port->SetLine(line, on); }
    void Pause(std::chrono::milliseconds time) override
    {
        const bool pull = Due(PullAt::LongWait) && time == kLongWait;
        if (pull)
            Pull();
        m_port->Pause(time);
        if (pull)
            m_owner.goneInTime = !AdapterPresent(kPulledUsbPort);
    }
    void SetReadTimeouts(const lesamo::ReadTimeouts& timeouts) override { m_port->SetReadTimeouts(timeouts); }
    std::size_t Read(char* buffer, std::size_t size) override
    {
        const bool pull = Due(PullAt::Read);
        if (pull)
            Pull();
        const auto start = Clock::now();
        const std::size_t count = m_port->Read(buffer, size);
        if (m_pulling)
            m_owner.readMs = MsSince(start);
        if (pull)
            m_owner.goneInTime = m_owner.readMs < 101;
        return count;
    }
    void DiscardInput() override { m_port->DiscardInput(); }

private:
    bool Due(PullAt at) const { return m_pulling && !m_owner.asked && m_owner.pullAt == at; }
    void Pull()
    {
        m_owner.asked = AdapterPresent(kPulledUsbPort);
        std::printf("host: pull %s\n", kPulled);
        std::fflush(stdout);
    }

    PullingPorts& m_owner;
    bool m_watched;
    std::unique_ptr<lesamo::SerialPort> m_port;
    bool m_pulling = false;
    Clock::time_point m_start = Clock::now();
};

std::unique_ptr<lesamo::SerialPort> PullingPorts::Open(const std::string& name)
{
    std::unique_ptr<lesamo::SerialPort> port = lesamo::SystemPorts().Open(name);
    if (name == kPulled)
        opens.append(opens.empty() ? "" : " ").append(port ? "opened" : "refused");
    if (!port)
        return nullptr;
    return std::make_unique<PullingPort>(*this, name == kPulled, std::move(port));
}

// Descriptors of the adapters that the process still holds: none once a scan is over.
int OpenAdapterDescriptors()
{
    int count = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd", error))
        count += fs::read_symlink(entry.path(), error).string().find("ttyUSB") != std::string::npos ? 1 : 0;
    return count;
}

// One scan of the unplug mode, with com2's adapter pulled out at `pullAt`, and what it left.
void PullingScan(int number, lesamo::CReaderDetector& detector, PullingPorts& ports, PullAt pullAt)
{
    ports.pullAt = pullAt;
    ports.asked = ports.goneInTime = false;
    ports.opens.clear();
    const auto start = Clock::now();
    detector.ScanPorts();
    const double ms = MsSince(start);
    const std::string scan = "scan " + std::to_string(number) + ": ";
    lesamo::test::ReportSlots(detector, scan.c_str());
    std::printf("%scom2 %s\n", scan.c_str(), ports.opens.c_str());
    if (pullAt != PullAt::Nowhere) {
        std::printf("%scom2 pulled during the %s: %s\n", scan.c_str(), pullAt == PullAt::Read ? "read" : "800 ms wait",
                    ports.asked && ports.goneInTime ? "yes" : "no");
        // No longer than a probe on a silent line, with room for a loaded machine well short of
        // the driver's own time-outs (5 s for a request): nothing waits for the vanished device.
        std::printf("%scom2's probe took %.0f ms, its read %.1f ms, its close %.1f ms\n", scan.c_str(), ports.probeMs,
                    ports.readMs, ports.closeMs);
        std::printf("%scom2's probe no longer than on a silent line: %s\n", scan.c_str(),
                    ports.probeMs <= 1170 + 101 + 2000 ? "yes" : "no");
    }
    std::printf("%sadapter descriptors left open %d\n", scan.c_str(), OpenAdapterDescriptors());
    std::printf("%stook %.0f ms\n", scan.c_str(), ms);
    std::fflush(stdout);
}

bool PlugBack()
{
    std::printf("host: plug %s\n", kPulled);
    std::fflush(stdout);
    const auto start = Clock::now();
    const std::map<int, std::string> adapters = WaitForAdapters({kPulledUsbPort});
    const auto adapter = adapters.find(kPulledUsbPort);
    // Ready once it opens, as for a user who plugs it in and then searches: not the moment its
    // device node appears.
    termios settings{};
    while (adapter != adapters.end() && !OpenSettings(adapter->second.c_str(), settings) && MsSince(start) < 10000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (adapter == adapters.end() || !OpenSettings(adapter->second.c_str(), settings)) {
        std::printf("guest: the adapter in port %d did not come back\n", kPulledUsbPort);
        return false;
    }
    std::printf("com2 back as %s after %.0f ms\n", adapter->second.c_str(), MsSince(start));
    return MapPort(2, adapter->second);
}

// One case: a new detector (as in a new run of the program), a scan with com2's adapter pulled
// out at `pullAt`, the adapter plugged back in, and the next scan.
bool UnplugCase(int first, PullAt pullAt)
{
    lesamo::test::RecordingNotice notice;
    PullingPorts ports;
    lesamo::CReaderDetector detector(ports, notice);
    PullingScan(first, detector, ports, pullAt);
    if (!PlugBack())
        return false;
    PullingScan(first + 1, detector, ports, PullAt::Nowhere);
    std::printf("scans %d and %d: message boxes %zu\n", first, first + 1, notice.texts.size());
    return true;
}

// com2 stays on the second adapter (/dev/ttyUSB1, the KRM reader's), com3 is led to the first
// (the Kavirex3 reader's): a reader that the scan must still find after the pull. com1 and com4
// lead nowhere, which costs the scans nothing.
int Unplug(const std::map<int, std::string>& adapters)
{
    if (!MapPort(1, kNoDevice) || !MapPort(2, adapters.at(2)) || !MapPort(3, adapters.at(1)) || !MapPort(4, kNoDevice))
        return 1;
    return UnplugCase(1, PullAt::LongWait) && UnplugCase(3, PullAt::Read) ? 0 : 1;
}

// Asks the host for something and waits for its line on the console.
bool AskHost(const char* what)
{
    std::printf("host: %s\n", what);
    std::fflush(stdout);
    char answer[64];
    return std::fgets(answer, sizeof answer, stdin) != nullptr;
}

int Run(const std::string& mode)
{
    if (!SetUp()) {
        std::printf("guest: cannot set up /dev and the prefix: %s\n", std::strerror(errno));
        return 1;
    }
    if (mode == "uart")
        return ScanLines({kUarts[0], kUarts[1], kUarts[2]});
    if (mode != "usb") {
        std::printf("guest: unknown mode %s\n", mode.c_str());
        return 1;
    }
    const auto start = Clock::now();
    if (!LoadModules())
        return 1;
    const std::map<int, std::string> adapters = WaitForAdapters({1, 2, 3});
    std::printf("adapters after %.0f ms:", MsSince(start));
    for (const auto& [usbPort, device] : adapters)
        std::printf(" port %d %s", usbPort, device.c_str());
    std::printf("\n");
    if (adapters.size() != kLines || ScanLines({adapters.at(1), adapters.at(2), adapters.at(3)}) != 0)
        return 1;
    // What the scan told the adapters is in the trace so far: the host checks it alone.
    return AskHost("trace aside") ? Unplug(adapters) : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int status = Run(argc > 1 ? argv[1] : "uart");
    std::printf("guest done %d\n", status);
    std::fflush(stdout);
    ::sync();
    ::reboot(RB_AUTOBOOT);  // qemu runs with -no-reboot: this ends it
    return status;
}
