// One simulated port: a probe's hold on the line, seen from the line settings and the opens
// of the device, and the answer that the port's behaviour gives it.
#include "tools/reader-sim/SimPort_posix.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "tools/reader-sim/EventLog_posix.h"

namespace lesamo::sim {
namespace {

constexpr int kHangupDelayMs = 50;

unsigned BaudOf(speed_t speed)
{
    static constexpr std::pair<speed_t, unsigned> kSpeeds[] = {
        {B0, 0},         {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},
        {B150, 150},     {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},
        {B1800, 1800},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
        {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    };
    for (const auto& [code, baud] : kSpeeds)
        if (code == speed)
            return baud;
    return 0;
}

LineState StateOf(const termios& t)
{
    return {cfgetospeed(&t), t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB)};
}

// Linux pseudo-terminals keep only the speed and the stop bits of what a probe sets, so the
// probes are told apart by those alone.
Probe Classify(const LineState& s)
{
    if (s.speed == B1200 && (s.cflag & CSTOPB))
        return Probe::Identify;
    if (s.speed == B9600)
        return Probe::Wake;
    return Probe::None;
}

std::string Describe(const LineState& s)
{
    const int bits = (s.cflag & CSIZE) == CS5 ? 5 : (s.cflag & CSIZE) == CS6 ? 6 : (s.cflag & CSIZE) == CS7 ? 7 : 8;
    const char parity = !(s.cflag & PARENB) ? 'N' : (s.cflag & PARODD) ? 'O' : 'E';
    return std::to_string(BaudOf(s.speed)) + " " + std::to_string(bits) + parity + ((s.cflag & CSTOPB) ? "2" : "1");
}

}  // namespace

// A program that leaves the line at a probe's settings when it closes (Wine does not restore
// them) sets the same settings at its next open: that open starts the next probe.
void Port::Opened()
{
    ++openers;
    g_log.Write("%s opened", Name().c_str());
    WatchLine();
    if (lastClass != Probe::None && holding == Probe::None)
        StartHold(lastClass);
}

void Port::Closed()
{
    if (openers > 0)
        --openers;
    g_log.Write("%s closed", Name().c_str());
    if (openers == 0)
        EndHold();
}

bool Port::Tick()
{
    if (!master.Valid())
        return false;
    Drain();
    WatchLine();
    if (holding == Probe::None)
        return false;
    const auto elapsed = Clock::now() - holdStart;
    const Behaviour& b = behaviour;
    switch (b.kind) {
    case Kind::Kavirex3:
    case Kind::Krm: {
        const Probe wanted = b.kind == Kind::Kavirex3 ? Probe::Identify : Probe::Wake;
        if (holding == wanted && !answered && elapsed >= std::chrono::milliseconds(b.delayMs)) {
            answered = true;
            const ssize_t n = ::write(master.Get(), b.text.data(), b.text.size());
            g_log.Write("%s reply %zd bytes \"%s\"", Name().c_str(), n, Printable(b.text).c_str());
        }
        break;
    }
    case Kind::Flood: {
        static const std::string kChunk(256, 'U');
        ssize_t n;
        while ((n = ::write(master.Get(), kChunk.data(), kChunk.size())) > 0)
            flooded += n;
        break;
    }
    case Kind::Hangup: return elapsed >= std::chrono::milliseconds(kHangupDelayMs);
    case Kind::Silent:
    case Kind::None: break;
    }
    return false;
}

void Port::StartHold(Probe probe)
{
    holding = probe;
    holdStart = Clock::now();
    answered = false;
    flooded = 0;
    g_log.Write("%s probe %s", Name().c_str(), probe == Probe::Identify ? "identify" : "wake");
}

void Port::EndHold()
{
    if (holding == Probe::None)
        return;
    holding = Probe::None;
    if (flooded > 0)
        g_log.Write("%s flood %lld bytes", Name().c_str(), flooded);
    // Whatever the probe left unread must not reach the next one.
    ::tcflush(slave.Get(), TCIFLUSH);
    g_log.Write("%s released", Name().c_str());
}

void Port::Drain()
{
    char buffer[256];
    ssize_t n;
    while ((n = ::read(master.Get(), buffer, sizeof buffer)) > 0) {
        masterIdle = false;
        g_log.Write("%s received %zd bytes", Name().c_str(), n);
    }
    if (n < 0 && errno == EIO)
        masterIdle = true;  // nobody has the slave open: poll would not block
    else if (n < 0 && errno == EAGAIN)
        masterIdle = false;
}

// A change of speed or stop bits starts or ends a probe's hold on the line.
void Port::WatchLine()
{
    termios t{};
    if (::tcgetattr(slave.Get(), &t) != 0)
        return;
    const LineState now = StateOf(t);
    if (!(now == seen)) {
        seen = now;
        g_log.Write("%s line %s", Name().c_str(), Describe(now).c_str());
    }
    const Probe probe = Classify(now);
    if (probe != lastClass) {
        EndHold();
        lastClass = probe;
        if (probe != Probe::None)
            StartHold(probe);
    }
}

}  // namespace lesamo::sim
