// reader-sim: pseudo-terminals that answer the identifying and the wake probe as the two reader
// kinds do, for the tests, the demo and users without hardware.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileDescriptor_posix.h"
#include "tools/reader-sim/SimBehaviour.h"

namespace {

using lesamo::FileDescriptor;
using lesamo::sim::Behaviour;
using lesamo::sim::Kind;
using lesamo::sim::KindName;
using lesamo::sim::ParseAssignment;
using lesamo::sim::Printable;
using Clock = std::chrono::steady_clock;

constexpr char kUsage[] =
    "Usage: reader-sim [--link-dir DIR] [--ready FILE] [--log FILE] PORT=BEHAVIOUR ...\n"
    "\n"
    "Simulates chip-card readers on pseudo-terminals, one per port.\n"
    "\n"
    "  PORT       com1 .. com4\n"
    "  BEHAVIOUR  kavirex3[@MS][:TEXT]  answers the identifying probe (1200 baud, 2 stop bits)\n"
    "                                   with TEXT (default \"Kavirex3 V1.0\\r\\n\") MS ms after the\n"
    "                                   probe set its line (default 500)\n"
    "             krm[@MS][:TEXT]       answers the wake probe (9600 baud) with TEXT (default \"?0\")\n"
    "                                   MS ms after the probe set its line (default 40)\n"
    "             silent                a line that never answers\n"
    "             flood                 sends bytes without pause while a probe holds the line\n"
    "             hangup                hangs up 50 ms after a probe set its line, then comes back\n"
    "                                   as a new pseudo-terminal\n"
    "             none                  no device: the link points to a path that does not exist\n"
    "  TEXT may hold the escapes \\r \\n \\xHH \\\\.\n"
    "\n"
    "  --link-dir DIR  makes DIR/comN a symbolic link to the port's device (for Wine:\n"
    "                  $WINEPREFIX/dosdevices); the links are removed on exit\n"
    "  --ready FILE    once all ports are up, writes one line \"comN PATH\" per port to FILE\n"
    "                  (replaced atomically); every later change of a port adds a line\n"
    "  --log FILE      event log (default: standard error), one line per event, time in ms\n"
    "\n"
    "Lines \"PORT=BEHAVIOUR\" on standard input change a port while running: the old device is\n"
    "unplugged and a new one plugged in (\"com2=none\" just unplugs). End of input does not end\n"
    "the simulator; SIGTERM or SIGINT removes the links and ends it.\n";

constexpr speed_t kIdleSpeed = B38400;      // neither probe's speed, so a probe's change shows
constexpr int kTickMs = 2;
constexpr int kHangupDelayMs = 50;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

enum class Probe { None, Identify, Wake };

unsigned BaudOf(speed_t speed)
{
    static constexpr std::pair<speed_t, unsigned> kSpeeds[] = {
        {B0, 0},         {B50, 50},         {B75, 75},         {B110, 110},
        {B134, 134},     {B150, 150},       {B200, 200},       {B300, 300},
        {B600, 600},     {B1200, 1200},     {B1800, 1800},     {B2400, 2400},
        {B4800, 4800},   {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
        {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    };
    for (const auto& [code, baud] : kSpeeds)
        if (code == speed)
            return baud;
    return 0;
}

struct LineState {
    speed_t speed = 0;
    tcflag_t cflag = 0;
    bool operator==(const LineState&) const = default;
};

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
    const int bits = (s.cflag & CSIZE) == CS5 ? 5 : (s.cflag & CSIZE) == CS6 ? 6
                   : (s.cflag & CSIZE) == CS7 ? 7 : 8;
    const char parity = !(s.cflag & PARENB) ? 'N' : (s.cflag & PARODD) ? 'O' : 'E';
    return std::to_string(BaudOf(s.speed)) + " " + std::to_string(bits) + parity +
           ((s.cflag & CSTOPB) ? "2" : "1");
}

class EventLog {
public:
    void Open(FileDescriptor fd) { m_fd = std::move(fd); }
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[1024];
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 Clock::now() - m_start).count();
        int n = std::snprintf(line, sizeof line, "%7lld ", ms);
        va_list args;
        va_start(args, format);
        n += std::vsnprintf(line + n, sizeof line - n - 1, format, args);
        va_end(args);
        if (n > static_cast<int>(sizeof line) - 2)
            n = sizeof line - 2;
        line[n++] = '\n';
        // One write per line, so a reader of the log never sees half a line.
        [[maybe_unused]] const ssize_t written = ::write(m_fd.Valid() ? m_fd.Get() : 2, line, n);
    }

private:
    FileDescriptor m_fd;
    Clock::time_point m_start = Clock::now();
};

EventLog g_log;

struct Port {
    int index = 0;                      // 0 for com1
    Behaviour behaviour;
    bool active = false;                // named on the command line or by a command
    FileDescriptor master;
    FileDescriptor slave;                           // our own: keeps the pty alive and shows its settings
    int watch = -1;
    std::string path;                   // slave path, or the missing path for "none"
    LineState seen;
    Probe lastClass = Probe::None;
    Probe holding = Probe::None;        // the probe that holds the line right now
    Clock::time_point holdStart;
    bool answered = false;
    long long flooded = 0;
    int openers = 0;                    // opens of the slave by others, from inotify
    bool masterIdle = false;            // read gave EIO: no poll on it until a tick reads again
    std::string Name() const { return "com" + std::to_string(index + 1); }
};

class Simulator {
public:
    std::string linkDir;
    std::string readyFile;
    std::array<Port, 4> ports;
    std::vector<int> order;             // ports in the order first named

    bool Start()
    {
        m_inotify = FileDescriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        if (!m_inotify.Valid())
            g_log.Write("inotify unavailable (%s): probes are seen by their line settings only",
                        std::strerror(errno));
        if (!readyFile.empty())
            ::unlink(readyFile.c_str());    // a waiting script must not see an old one
        if (!linkDir.empty() && ::mkdir(linkDir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "reader-sim: cannot create %s: %s\n", linkDir.c_str(),
                         std::strerror(errno));
            return false;
        }
        for (const int i : order) {
            if (!Plug(ports[i]))
                return false;
            m_readyLines.push_back(ports[i].Name() + " " + ports[i].path);
        }
        WriteReady();
        return true;
    }

    void Run()
    {
        std::string input;
        bool stdinOpen = true;
        while (!g_stop) {
            std::vector<pollfd> fds;
            if (stdinOpen)
                fds.push_back({0, POLLIN, 0});
            if (m_inotify.Valid())
                fds.push_back({m_inotify.Get(), POLLIN, 0});
            for (Port& p : ports)
                if (p.master.Valid() && !p.masterIdle)
                    fds.push_back({p.master.Get(), POLLIN, 0});
            const int ready = ::poll(fds.data(), fds.size(), kTickMs);
            if (ready < 0 && errno != EINTR)
                break;
            if (stdinOpen && ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
                stdinOpen = ReadCommands(input);
            // Opens first: a probe that opens and sets its line within one tick is seen as
            // one probe.
            ReadOpenEvents();
            for (Port& p : ports)
                if (p.active)
                    Tick(p);
        }
        g_log.Write("stopping");
        Stop();
    }

    /// Closes every pseudo-terminal and removes the links made.
    void Stop()
    {
        for (Port& p : ports)
            Unplug(p);
        if (!linkDir.empty())
            for (const int i : order)
                ::unlink(LinkPath(ports[i]).c_str());
    }

private:
    FileDescriptor m_inotify;
    std::vector<std::string> m_readyLines;

    std::string LinkPath(const Port& p) const { return linkDir + "/" + p.Name(); }

    static std::string MissingPath(const Port& p)
    {
        // /nonexistent is kept absent by convention (the home of nobody).
        return "/nonexistent/reader-sim/" + p.Name();
    }

    bool Plug(Port& p)
    {
        p.active = true;
        p.seen = {};
        p.lastClass = p.holding = Probe::None;
        p.openers = 0;
        p.masterIdle = false;
        if (p.behaviour.kind == Kind::None) {
            p.path = MissingPath(p);
            g_log.Write("%s none: %s", p.Name().c_str(), p.path.c_str());
            return UpdateLink(p);
        }
        FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        char name[128];
        if (!master.Valid() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0 ||
            ::ptsname_r(master.Get(), name, sizeof name) != 0) {
            std::fprintf(stderr, "reader-sim: cannot create a pseudo-terminal: %s\n",
                         std::strerror(errno));
            return false;
        }
        FileDescriptor slave(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        termios t{};
        if (!slave.Valid() || ::tcgetattr(slave.Get(), &t) != 0) {
            std::fprintf(stderr, "reader-sim: cannot open %s: %s\n", name, std::strerror(errno));
            return false;
        }
        // Raw, so nothing is echoed back to us, at a speed that no probe uses.
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::cfsetispeed(&t, kIdleSpeed);
        ::cfsetospeed(&t, kIdleSpeed);
        ::tcsetattr(slave.Get(), TCSANOW, &t);
        p.master = std::move(master);
        p.slave = std::move(slave);
        p.path = name;
        if (m_inotify.Valid())
            p.watch = inotify_add_watch(m_inotify.Get(), name, IN_OPEN | IN_CLOSE);
        g_log.Write("%s %s: %s", p.Name().c_str(), KindName(p.behaviour.kind), name);
        Tick(p);
        return UpdateLink(p);
    }

    void Unplug(Port& p)
    {
        if (p.watch >= 0 && m_inotify.Valid())
            inotify_rm_watch(m_inotify.Get(), p.watch);
        p.watch = -1;
        p.holding = Probe::None;
        p.slave.Close();
        p.master.Close();
    }

    bool UpdateLink(const Port& p)
    {
        if (linkDir.empty())
            return true;
        const std::string link = LinkPath(p);
        const std::string temp = linkDir + "/.reader-sim-" + std::to_string(::getpid()) + "-" +
                                 p.Name();
        ::unlink(temp.c_str());
        if (::symlink(p.path.c_str(), temp.c_str()) != 0 ||
            ::rename(temp.c_str(), link.c_str()) != 0) {
            std::fprintf(stderr, "reader-sim: cannot link %s: %s\n", link.c_str(),
                         std::strerror(errno));
            ::unlink(temp.c_str());
            return false;
        }
        return true;
    }

    void WriteReady()
    {
        if (readyFile.empty())
            return;
        std::string text;
        for (const std::string& line : m_readyLines)
            text += line + "\n";
        const std::string temp = readyFile + ".tmp" + std::to_string(::getpid());
        FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!fd.Valid() || ::write(fd.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())
            || ::rename(temp.c_str(), readyFile.c_str()) != 0) {
            g_log.Write("cannot write %s: %s", readyFile.c_str(), std::strerror(errno));
            ::unlink(temp.c_str());
        }
    }

    // Returns false at end of input.
    bool ReadCommands(std::string& pending)
    {
        char buffer[512];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n < 0)
            return errno == EINTR || errno == EAGAIN;
        if (n == 0) {
            g_log.Write("end of commands");
            return false;
        }
        pending.append(buffer, n);
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (!line.empty())
                Command(line);
        }
        return true;
    }

    void Command(const std::string& line)
    {
        const auto assignment = ParseAssignment(line);
        if (!assignment) {
            g_log.Write("command ignored: %s", line.c_str());
            return;
        }
        g_log.Write("command %s", line.c_str());
        Port& p = ports[assignment->port];
        Unplug(p);
        p.behaviour = assignment->behaviour;
        if (!p.active)
            order.push_back(p.index);
        if (!Plug(p))
            g_log.Write("%s could not be plugged in", p.Name().c_str());
        m_readyLines.push_back(p.Name() + " " + p.path);
        WriteReady();
    }

    Port* PortOfWatch(int watch)
    {
        for (Port& p : ports)
            if (p.master.Valid() && p.watch == watch)
                return &p;
        return nullptr;
    }

    void ReadOpenEvents()
    {
        if (!m_inotify.Valid())
            return;
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_inotify.Get(), buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                Port* p = PortOfWatch(event->wd);
                if (!p)
                    continue;
                if (event->mask & IN_OPEN)
                    Opened(*p);
                if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                    Closed(*p);
            }
        }
    }

    // A program that leaves the line at a probe's settings when it closes (Wine does not restore
    // them) sets the same settings at its next open: that open starts the next probe.
    void Opened(Port& p)
    {
        ++p.openers;
        g_log.Write("%s opened", p.Name().c_str());
        WatchLine(p);
        if (p.lastClass != Probe::None && p.holding == Probe::None)
            StartHold(p, p.lastClass);
    }

    void Closed(Port& p)
    {
        if (p.openers > 0)
            --p.openers;
        g_log.Write("%s closed", p.Name().c_str());
        if (p.openers == 0)
            EndHold(p);
    }

    void StartHold(Port& p, Probe probe)
    {
        p.holding = probe;
        p.holdStart = Clock::now();
        p.answered = false;
        p.flooded = 0;
        g_log.Write("%s probe %s", p.Name().c_str(), probe == Probe::Identify ? "identify" : "wake");
    }

    void EndHold(Port& p)
    {
        if (p.holding == Probe::None)
            return;
        p.holding = Probe::None;
        if (p.flooded > 0)
            g_log.Write("%s flood %lld bytes", p.Name().c_str(), p.flooded);
        // Whatever the probe left unread must not reach the next one.
        ::tcflush(p.slave.Get(), TCIFLUSH);
        g_log.Write("%s released", p.Name().c_str());
    }

    void Drain(Port& p)
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(p.master.Get(), buffer, sizeof buffer)) > 0) {
            p.masterIdle = false;
            g_log.Write("%s received %zd bytes", p.Name().c_str(), n);
        }
        if (n < 0 && errno == EIO)
            p.masterIdle = true;            // nobody has the slave open: poll would not block
        else if (n < 0 && errno == EAGAIN)
            p.masterIdle = false;
    }

    void Hangup(Port& p)
    {
        g_log.Write("%s hangup", p.Name().c_str());
        Unplug(p);
        if (Plug(p)) {
            m_readyLines.push_back(p.Name() + " " + p.path);
            WriteReady();
        }
    }

    // A change of speed or stop bits starts or ends a probe's hold on the line.
    void WatchLine(Port& p)
    {
        termios t{};
        if (::tcgetattr(p.slave.Get(), &t) != 0)
            return;
        const LineState now = StateOf(t);
        if (!(now == p.seen)) {
            p.seen = now;
            g_log.Write("%s line %s", p.Name().c_str(), Describe(now).c_str());
        }
        const Probe probe = Classify(now);
        if (probe != p.lastClass) {
            EndHold(p);
            p.lastClass = probe;
            if (probe != Probe::None)
                StartHold(p, probe);
        }
    }

    void Tick(Port& p)
    {
        if (!p.master.Valid())
            return;
        Drain(p);
        WatchLine(p);
        if (p.holding == Probe::None)
            return;
        const auto elapsed = Clock::now() - p.holdStart;
        const Behaviour& b = p.behaviour;
        switch (b.kind) {
        case Kind::Kavirex3:
        case Kind::Krm: {
            const Probe wanted = b.kind == Kind::Kavirex3 ? Probe::Identify : Probe::Wake;
            if (p.holding == wanted && !p.answered && elapsed >= std::chrono::milliseconds(b.delayMs)) {
                p.answered = true;
                const ssize_t n = ::write(p.master.Get(), b.text.data(), b.text.size());
                g_log.Write("%s reply %zd bytes \"%s\"", p.Name().c_str(), n,
                            Printable(b.text).c_str());
            }
            break;
        }
        case Kind::Flood: {
            static const std::string chunk(256, 'U');
            ssize_t n;
            while ((n = ::write(p.master.Get(), chunk.data(), chunk.size())) > 0)
                p.flooded += n;
            break;
        }
        case Kind::Hangup:
            if (elapsed >= std::chrono::milliseconds(kHangupDelayMs))
                Hangup(p);
            break;
        case Kind::Silent:
        case Kind::None:
            break;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Simulator sim;
    std::string logFile;
    for (int i = 0; i < 4; ++i)
        sim.ports[i].index = i;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((arg == "--link-dir" || arg == "--ready" || arg == "--log") && i + 1 < argc) {
            (arg == "--link-dir" ? sim.linkDir : arg == "--ready" ? sim.readyFile : logFile) =
                argv[++i];
            continue;
        }
        const auto assignment = ParseAssignment(arg);
        if (!assignment || sim.ports[assignment->port].active) {
            std::fprintf(stderr, "reader-sim: %s: %s (see reader-sim --help)\n", argv[i],
                         assignment ? "port named twice" : "not understood");
            return 2;
        }
        Port& p = sim.ports[assignment->port];
        p.behaviour = assignment->behaviour;
        p.active = true;
        sim.order.push_back(p.index);
    }
    if (sim.order.empty()) {
        std::fprintf(stderr, "reader-sim: no port given (see reader-sim --help)\n");
        return 2;
    }
    if (!logFile.empty()) {
        FileDescriptor fd(::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
        if (!fd.Valid()) {
            std::fprintf(stderr, "reader-sim: cannot open %s: %s\n", logFile.c_str(),
                         std::strerror(errno));
            return 2;
        }
        g_log.Open(std::move(fd));
    }

    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    if (!sim.Start()) {
        sim.Stop();
        return 1;
    }
    sim.Run();
    return 0;
}
