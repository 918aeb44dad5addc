// The termios back end of the serial seam: com1..com4 are the devices Wine hands to Windows
// programs, opened exclusively and without waiting for carrier.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

#include "common/FileDescriptor_posix.h"
#include "detect/SerialPort.h"
#include "detect/WinePrefix_posix.h"

namespace lesamo {
namespace {

speed_t SpeedCode(unsigned baud, speed_t fallback)
{
    static constexpr std::pair<unsigned, speed_t> kSpeeds[] = {
        {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
        {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200},
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
           (a.c_cflag & kFramingFlags) == (b.c_cflag & kFramingFlags) &&
           (a.c_iflag & INPCK) == (b.c_iflag & INPCK);
}

timespec Add(timespec t, long long ns)
{
    ns += t.tv_nsec;
    t.tv_sec += static_cast<time_t>(ns / 1000000000);
    t.tv_nsec = static_cast<long>(ns % 1000000000);
    return t;
}

long long Difference(const timespec& later, const timespec& earlier)
{
    return (static_cast<long long>(later.tv_sec) - earlier.tv_sec) * 1000000000LL +
           (later.tv_nsec - earlier.tv_nsec);
}

timespec Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

// The line that a probe holds right now, for ReleaseHeldPortAfterSignal: its descriptor is
// published only after its saved settings are complete, and withdrawn before the port gives
// the line back itself.
termios g_heldSettings{};
volatile std::sig_atomic_t g_heldLine = -1;

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort(FileDescriptor fd, const termios& saved)
        : m_fd(std::move(fd)), m_saved(saved)
    {
        g_heldSettings = m_saved;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        g_heldLine = m_fd.Get();
    }

    ~PosixSerialPort() override
    {
        g_heldLine = -1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        ::tcsetattr(m_fd.Get(), TCSANOW, &m_saved);
        // The exclusive flag lives in the tty, not in our descriptor: it would outlast us
        // while anyone else keeps the device open.
        ::ioctl(m_fd.Get(), TIOCNXCL);
        ::flock(m_fd.Get(), LOCK_UN);
    }

    void Configure(const LineSettings& settings) override
    {
        ApplyLine(settings);
        m_patternStarted = false;
    }

    void SetLine(ControlLine line, bool on) override
    {
        int bits = line == ControlLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
        ::ioctl(m_fd.Get(), on ? TIOCMBIS : TIOCMBIC, &bits);
    }

    void Pause(std::chrono::milliseconds time) override
    {
        const long long ns = static_cast<long long>(time.count()) * 1000000;
        // Each wait ends at an absolute deadline, so the small overshoot of one wait is taken
        // out of the next instead of adding up over a pattern. A deadline far behind (the
        // process was stopped) is not caught up on: the next step then keeps its full length.
        const timespec now = Now();
        // The first wait counts from its own start: setting the line up and the changes
        // before it take nothing off it.
        if (!m_patternStarted || Difference(now, m_deadline) > kMaxLagNs)
            m_deadline = now;
        m_patternStarted = true;
        m_deadline = Add(m_deadline, ns);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &m_deadline, nullptr) == EINTR) {
        }
    }

    void SetReadTimeouts(const ReadTimeouts& timeouts) override { m_timeouts = timeouts; }

    std::size_t Read(char* buffer, std::size_t size) override
    {
        if (size == 0)
            return 0;
        const timespec start = Now();
        const long long totalMs = static_cast<long long>(m_timeouts.totalMultiplierMs) * size +
                                  m_timeouts.totalConstantMs;
        const bool hasTotal = totalMs > 0;
        const timespec totalEnd = Add(start, totalMs * 1000000);
        const long long intervalNs = static_cast<long long>(m_timeouts.intervalMs) * 1000000;
        std::size_t count = 0;
        timespec lastByte{};
        for (;;) {
            // VMIN = VTIME = 0: a read returns at once with what is there, 0 when nothing is.
            const ssize_t n = ::read(m_fd.Get(), buffer + count, size - count);
            if (n > 0) {
                count += static_cast<std::size_t>(n);
                lastByte = Now();
                if (count == size)
                    break;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                break;                      // EIO: the other end is gone
            const timespec now = Now();
            bool limited = false;           // no limit at all: wait for `size` bytes
            long long waitNs = 0;
            if (hasTotal) {
                limited = true;
                waitNs = Difference(totalEnd, now);
            }
            if (count > 0 && intervalNs > 0) {
                const long long intervalLeft = Difference(Add(lastByte, intervalNs), now);
                waitNs = limited ? std::min(waitNs, intervalLeft) : intervalLeft;
                limited = true;
            }
            if (limited && waitNs <= 0)
                break;
            pollfd watch{m_fd.Get(), POLLIN, 0};
            const timespec wait{static_cast<time_t>(waitNs / 1000000000),
                                static_cast<long>(waitNs % 1000000000)};
            const int ready = ::ppoll(&watch, 1, limited ? &wait : nullptr, nullptr);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                // Hung up: take what is still buffered, then stop instead of polling again.
                while (count < size) {
                    const ssize_t last = ::read(m_fd.Get(), buffer + count, size - count);
                    if (last <= 0)
                        break;
                    count += static_cast<std::size_t>(last);
                }
                break;
            }
        }
        return count;
    }

    void DiscardInput() override { ::tcflush(m_fd.Get(), TCIFLUSH); }

private:
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
        if (::tcsetattr(m_fd.Get(), TCSANOW, &wanted) == 0 &&
            ::tcgetattr(m_fd.Get(), &seen) == 0 && SameLine(seen, wanted))
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

    static constexpr long long kMaxLagNs = 10 * 1000000LL;

    FileDescriptor m_fd;
    termios m_saved;
    timespec m_deadline{};
    bool m_patternStarted = false;
    ReadTimeouts m_timeouts{0, 0, 0};
};

class PosixPorts : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name) override
    {
        const std::string path = PortDevicePath(name);
        if (path.empty())
            return nullptr;
        // O_NONBLOCK: a port without carrier must not hold up the open.
        FileDescriptor fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        termios saved{};
        if (!fd.Valid() || ::tcgetattr(fd.Get(), &saved) != 0)
            return nullptr;                 // missing, or no serial line behind the name
        // Another program holding the line (our lock, or its TIOCEXCL) makes it "in use".
        // open() lets root through a TIOCEXCL line, so the flag is asked for as well: taking
        // the line would also clear the holder's flag when the probe lets go of it.
        int exclusive = 0;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd.Get(), TIOCGEXCL, &exclusive) != 0 ||
            exclusive != 0 || ::ioctl(fd.Get(), TIOCEXCL) != 0)
            return nullptr;
        termios raw = saved;
        ::cfmakeraw(&raw);
        // Flow control stays as the port has it; cfmakeraw would clear IXON.
        raw.c_iflag = (raw.c_iflag & ~kSoftwareFlowFlags) | (saved.c_iflag & kSoftwareFlowFlags);
        raw.c_cflag |= CLOCAL | CREAD;
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        ::tcsetattr(fd.Get(), TCSANOW, &raw);
        return std::make_unique<PosixSerialPort>(std::move(fd), saved);
    }
};

}  // namespace

void ReleaseHeldPortAfterSignal() noexcept
{
    // tcsetattr and ioctl are plain system calls; the lock goes with the process.
    const int fd = g_heldLine;
    if (fd < 0)
        return;
    ::tcsetattr(fd, TCSANOW, &g_heldSettings);
    ::ioctl(fd, TIOCNXCL);
}

PortOpener& SystemPorts()
{
    static PosixPorts ports;
    return ports;
}

}  // namespace lesamo
