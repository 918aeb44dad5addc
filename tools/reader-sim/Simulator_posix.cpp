// reader-sim's simulator: a pseudo-terminal per port (a missing path for "none"), the links
// to them for Wine, the ready file, commands on standard input, and the loop that ticks the
// ports and hands them the opens that inotify reports.
#include "tools/reader-sim/Simulator_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "tools/reader-sim/EventLog_posix.h"

namespace lesamo::sim {
namespace {

constexpr speed_t kIdleSpeed = B38400;  // neither probe's speed, so a probe's change shows
constexpr int kTickMs = 2;

std::string MissingPath(const Port& p)
{
    // /nonexistent is kept absent by convention (the home of nobody).
    return "/nonexistent/lesamo-reader-sim/" + p.Name();
}

}  // namespace

bool Simulator::Start()
{
    m_inotify = FileDescriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!m_inotify.Valid())
        g_log.Write("inotify unavailable (%s): probes are seen by their line settings only", std::strerror(errno));
    if (!readyFile.empty())
        ::unlink(readyFile.c_str());  // a waiting script must not see an old one
    if (!linkDir.empty() && ::mkdir(linkDir.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "lesamo-reader-sim: cannot create %s: %s\n", linkDir.c_str(), std::strerror(errno));
        return false;
    }
    std::string ready;
    for (const int i : order) {
        if (!Plug(ports[i]))
            return false;
        ready += ports[i].Name() + " " + ports[i].path + "\n";
    }
    return WriteReady(ready);
}

bool Simulator::Run(const volatile std::sig_atomic_t& stop)
{
    std::string input;
    bool stdinOpen = true;
    while (!stop && !m_readyFailed) {
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
    return !m_readyFailed;
}

void Simulator::Stop()
{
    for (Port& p : ports)
        Unplug(p);
    if (!linkDir.empty())
        for (const int i : order)
            ::unlink(LinkPath(ports[i]).c_str());
}

bool Simulator::Plug(Port& p)
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
        std::fprintf(stderr, "lesamo-reader-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    FileDescriptor slave(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios t{};
    if (!slave.Valid() || ::tcgetattr(slave.Get(), &t) != 0) {
        std::fprintf(stderr, "lesamo-reader-sim: cannot open %s: %s\n", name, std::strerror(errno));
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

void Simulator::Unplug(Port& p)
{
    if (p.watch >= 0 && m_inotify.Valid())
        inotify_rm_watch(m_inotify.Get(), p.watch);
    p.watch = -1;
    p.holding = Probe::None;
    p.slave.Close();
    p.master.Close();
}

bool Simulator::UpdateLink(const Port& p)
{
    if (linkDir.empty())
        return true;
    const std::string link = LinkPath(p);
    const std::string temp = linkDir + "/.lesamo-reader-sim-" + std::to_string(::getpid()) + "-" + p.Name();
    ::unlink(temp.c_str());
    if (::symlink(p.path.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "lesamo-reader-sim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool Simulator::WriteReady(const std::string& text)
{
    if (readyFile.empty())
        return true;
    // Made whole beside it and renamed into place, so a waiting script never sees half of it;
    // a link of somebody else's in the temporary file's place is not followed (O_EXCL).
    const std::string temp = readyFile + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    m_ready = FileDescriptor(
        ::open(temp.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!m_ready.Valid() || ::write(m_ready.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        ::rename(temp.c_str(), readyFile.c_str()) != 0) {
        std::fprintf(stderr, "lesamo-reader-sim: cannot write %s: %s\n", readyFile.c_str(), std::strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void Simulator::AnnounceChange(const Port& p)
{
    if (!m_ready.Valid())
        return;
    // One line added in one write: a reader of the file sees the line whole or not at all.
    const std::string line = p.Name() + " " + p.path + "\n";
    if (::write(m_ready.Get(), line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        std::fprintf(stderr, "lesamo-reader-sim: cannot write %s: %s\n", readyFile.c_str(), std::strerror(errno));
        m_readyFailed = true;
    }
}

// Returns false at end of input.
bool Simulator::ReadCommands(std::string& pending)
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

void Simulator::Command(const std::string& line)
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
    AnnounceChange(p);
}

Port* Simulator::PortOfWatch(int watch)
{
    for (Port& p : ports)
        if (p.master.Valid() && p.watch == watch)
            return &p;
    return nullptr;
}

void Simulator::ReadOpenEvents()
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
                p->Opened();
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                p->Closed();
        }
    }
}

void Simulator::Tick(Port& p)
{
    if (p.Tick())
        Hangup(p);
}

void Simulator::Hangup(Port& p)
{
    g_log.Write("%s hangup", p.Name().c_str());
    Unplug(p);
    if (Plug(p))
        AnnounceChange(p);
}

}  // namespace lesamo::sim
