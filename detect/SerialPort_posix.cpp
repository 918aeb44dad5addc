// The termios back end of the serial seam: com1..com4 are the devices Wine hands to Windows
// programs, opened exclusively and without waiting for carrier.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <utility>

#include "common/FileDescriptor_posix.h"
#include "common/SafePath_posix.h"
#include "detect/SavedLine_posix.h"
#include "detect/SerialPort.h"
#include "detect/SerialPort_posix.h"
#include "detect/SerialTiming.h"
#include "detect/WaitClock_posix.h"
#include "detect/WinePrefix_posix.h"

namespace lesamo {
namespace {

speed_t SpeedCode(unsigned baud, speed_t fallback)
{
    static constexpr std::pair<unsigned, speed_t> kSpeeds[] = {
        {110, B110},   {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
        {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
    };
    for (const auto& [rate, code] : kSpeeds)
        if (rate == baud)
            return code;
    return fallback;
}

tcflag_t SizeFlag(unsigned bits)
{
    switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

constexpr tcflag_t kFramingFlags = CSIZE | PARENB | PARODD | CSTOPB;
constexpr tcflag_t kSoftwareFlowFlags = IXON | IXOFF | IXANY;

bool SameLine(const termios& a, const termios& b)
{
    return cfgetospeed(&a) == cfgetospeed(&b) && cfgetispeed(&a) == cfgetispeed(&b) &&
           (a.c_cflag & kFramingFlags) == (b.c_cflag & kFramingFlags) && (a.c_iflag & INPCK) == (b.c_iflag & INPCK);
}

// The line that a probe holds right now, for ReleaseHeldPortAfterSignal: its descriptor is
// published only after its saved settings are complete, and withdrawn before the port gives
// the line back itself.
SavedLine g_heldSettings{};
volatile std::sig_atomic_t g_heldLine = -1;

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort(FileDescriptor fd, const SavedLine& saved) : m_fd(std::move(fd)), m_saved(saved)
    {
        g_heldSettings = m_saved;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        g_heldLine = m_fd.Get();
    }

    ~PosixSerialPort() override
    {
        g_heldLine = -1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        RestoreLine(m_fd.Get(), m_saved);
        // The exclusive flag lives in the tty, not in our descriptor: it would outlast us
        // while anyone else keeps the device open.
        ::ioctl(m_fd.Get(), TIOCNXCL);
        ::flock(m_fd.Get(), LOCK_UN);
    }

    void Configure(const LineSettings& settings) override { ApplyLine(settings); }

    void SetLine(ControlLine line, bool on) override
    {
        int bits = line == ControlLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
        ::ioctl(m_fd.Get(), on ? TIOCMBIS : TIOCMBIC, &bits);
    }

    void Pause(std::chrono::milliseconds time) override
    {
        // As long as asked for from now, whatever the change before it cost: a line must keep
        // its level for the whole wait.
        const timespec deadline = ToTimespec((WaitClockNow() + time).time_since_epoch());
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {}
    }

    void SetReadTimeouts(const ReadTimeouts& timeouts) override { m_timeouts = timeouts; }

    std::size_t Read(char* buffer, std::size_t size) override
    {
        if (size == 0)
            return 0;
        ReadTimer timer(m_timeouts, size, WaitClockNow());
        std::size_t count = 0;
        for (;;) {
            // VMIN = VTIME = 0: a read returns at once with what is there, 0 when nothing is.
            const ssize_t n = ::read(m_fd.Get(), buffer + count, size - count);
            if (n > 0) {
                count += static_cast<std::size_t>(n);
                timer.BytesArrived(WaitClockNow());
                if (count == size)
                    break;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return Gone(buffer, count);  // EIO
            // Nothing yet: wait for more as long as the time-outs allow.
            const std::optional<WaitClock::duration> left = timer.WaitLeft(WaitClockNow());
            if (left && *left <= WaitClock::duration::zero())
                break;
            pollfd watch{m_fd.Get(), POLLIN, 0};
            const timespec wait = ToTimespec(left.value_or(WaitClock::duration::zero()));
            const int ready = ::ppoll(&watch, 1, left ? &wait : nullptr, nullptr);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)))
                return Gone(buffer, count);  // hung up (a hung-up line reads as empty, never blocks)
        }
        return count;
    }

    void DiscardInput() override { ::tcflush(m_fd.Get(), TCIFLUSH); }

private:
    // The device went away during the read (a USB adapter pulled out, the far end of a
    // pseudo-terminal closed): the read fails, and what came before is no reply from a reader
    // that is there, so none of it is left in the buffer.
    static std::size_t Gone(char* buffer, std::size_t count)
    {
        std::fill_n(buffer, count, '\0');
        return 0;
    }

    void ApplyLine(const LineSettings& settings)
    {
        termios current{};
        if (::tcgetattr(m_fd.Get(), &current) != 0)
            return;
        termios wanted = current;
        const speed_t speed = SpeedCode(settings.baudRate, cfgetospeed(&current));
        ::cfsetispeed(&wanted, speed);
        ::cfsetospeed(&wanted, speed);
        wanted.c_cflag &= ~kFramingFlags;
        wanted.c_cflag |= SizeFlag(settings.byteSize);
        if (settings.parity == Parity::Even)
            wanted.c_cflag |= PARENB;
        if (settings.stopBits == StopBits::Two)
            wanted.c_cflag |= CSTOPB;
        if (settings.parityCheck)
            wanted.c_iflag |= INPCK;
        else
            wanted.c_iflag &= ~INPCK;
        termios seen{};
        if (::tcsetattr(m_fd.Get(), TCSANOW, &wanted) == 0 && ::tcgetattr(m_fd.Get(), &seen) == 0 &&
            SameLine(seen, wanted))
            return;
        // Some devices refuse data bits or parity (a pty keeps only the speed and the stop
        // bits) and may reject the whole request: speed and stop bits must still take effect.
        termios reduced = current;
        if (::tcgetattr(m_fd.Get(), &seen) == 0)
            reduced = seen;
        ::cfsetispeed(&reduced, speed);
        ::cfsetospeed(&reduced, speed);
        reduced.c_cflag = (reduced.c_cflag & ~CSTOPB) | (wanted.c_cflag & CSTOPB);
        reduced.c_iflag = (reduced.c_iflag & ~INPCK) | (wanted.c_iflag & INPCK);
        ::tcsetattr(m_fd.Get(), TCSANOW, &reduced);
    }

    FileDescriptor m_fd;
    SavedLine m_saved;
    ReadTimeouts m_timeouts{0, 0, 0};
};

/// The character device `path` leads to, through safe links only (FindSafePlace): anything else
/// in a port's place (a regular file, a FIFO, a directory) is no port and is not opened.
FileDescriptor OpenPortDevice(const std::string& path)
{
    PathPlace place;
    struct stat found {};
    if (path.empty() || FindSafePlace(path, place) != 0 ||
        ::fstatat(place.directory.Get(), place.name.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISCHR(found.st_mode))
        return FileDescriptor();
    // O_NONBLOCK: a port without carrier must not hold up the open. O_NOFOLLOW: a link put in
    // the device's place since it was found is not followed.
    FileDescriptor fd(
        ::openat(place.directory.Get(), place.name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat opened {};
    if (!fd.Valid() || ::fstat(fd.Get(), &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != found.st_rdev)
        return FileDescriptor();
    return fd;
}

class PosixPorts : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name) override
    {
        FileDescriptor fd = OpenPortDevice(PortDevicePath(name));
        termios saved{};
        SavedLine line{};
        if (!fd.Valid() || ::tcgetattr(fd.Get(), &saved) != 0 || !SaveLine(fd.Get(), line))
            return nullptr;  // missing, or no serial line behind the name
        // Another program holding the line (our lock, or its TIOCEXCL) makes it "in use".
        // open() lets root through a TIOCEXCL line, so the flag is asked for as well: taking
        // the line would also clear the holder's flag when the probe lets go of it.
        int exclusive = 0;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd.Get(), TIOCGEXCL, &exclusive) != 0 ||
            exclusive != 0 || ::ioctl(fd.Get(), TIOCEXCL) != 0)
            return nullptr;
        termios raw = saved;
        ::cfmakeraw(&raw);
        // No software flow control while the probe holds the line (a new tty, /dev/ttyUSB* too,
        // has IXON): the probe writes nothing for XON/XOFF to pace, and the tty would take a
        // reply's 0x11 and 0x13 bytes for itself, so "?" and 0x13 from a KRM would read as one
        // byte. Hardware handshaking and the DTR/RTS control modes stay as the port has them.
        raw.c_iflag &= ~kSoftwareFlowFlags;
        raw.c_cflag |= CLOCAL | CREAD;
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        ::tcsetattr(fd.Get(), TCSANOW, &raw);
        return std::make_unique<PosixSerialPort>(std::move(fd), line);
    }
};

}  // namespace

void ReleaseHeldPortAfterSignal() noexcept
{
    // Plain system calls; the lock goes with the process.
    const int fd = g_heldLine;
    if (fd < 0)
        return;
    RestoreLine(fd, g_heldSettings);
    ::ioctl(fd, TIOCNXCL);
}

PortOpener& SystemPorts()
{
    static PosixPorts ports;
    return ports;
}

}  // namespace lesamo
