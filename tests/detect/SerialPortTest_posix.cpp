// The termios back end on real pseudo-terminals played by reader-sim: which names open, what
// the device sees of the line settings, the pattern's and the read's timing, the whole scan.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <thread>

#include "common/FileDescriptor_posix.h"
#include "detect/ReaderDetector.h"
#include "detect/SerialPort_posix.h"
#include "tests/fakes/RecordingNotice.h"
#include "tests/support/ConfigTestFiles.h"
#include "tests/support/LineSpeed_posix.h"
#include "tests/support/ReaderSimProcess_posix.h"

namespace lesamo::test {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The bounds on time: a lower bound is the behaviour and holds exactly; above it, room for a
// machine loaded by other work, since load only ever makes a wait or a read end later.
// A probe's shortest wait is the wake pattern's 150 ms: what fails "at once" ends well before.
constexpr double kAtOnceMs = 100;
// How much later than its time a wait or read may end.
constexpr double kLoadRoomMs = 250;
// The read's total time-out (100 * 1 + 1 ms): a read that ends before it was ended otherwise.
constexpr double kReadTotalMs = 101;

double MsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// One call made through TimedPorts: when it began and ended (ms since the opener was made).
struct TimedCall {
    std::string what;
    double startMs;
    double endMs;
    long result;
};

// Passes every call through to the system's ports and notes its time, so the probes' timing
// on a real line can be checked; `afterConfigure` runs while the probe holds the line.
class TimedPorts : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name) override;

    const TimedCall* Find(const std::string& what) const
    {
        for (const TimedCall& call : calls)
            if (call.what == what)
                return &call;
        return nullptr;
    }
    double Ms() const { return MsBetween(m_origin, Clock::now()); }

    std::vector<TimedCall> calls;
    std::function<void()> afterConfigure;

private:
    Clock::time_point m_origin = Clock::now();
};

class TimedPort : public SerialPort {
public:
    TimedPort(TimedPorts& owner, std::unique_ptr<SerialPort> port) : m_owner(owner), m_port(std::move(port)) {}
    ~TimedPort() override
    {
        const double start = m_owner.Ms();
        m_port.reset();
        m_owner.calls.push_back({"close", start, m_owner.Ms(), 0});
    }
    void Configure(const LineSettings& settings) override
    {
        Timed("configure", [&] {
            m_port->Configure(settings);
            return 0L;
        });
        if (m_owner.afterConfigure)
            m_owner.afterConfigure();
    }
    void SetLine(ControlLine line, bool on) override { m_port->SetLine(line, on); }
    void Pause(std::chrono::milliseconds time) override { m_port->Pause(time); }
    void SetReadTimeouts(const ReadTimeouts& timeouts) override
    {
        Timed("timeouts", [&] {
            m_port->SetReadTimeouts(timeouts);
            return 0L;
        });
    }
    std::size_t Read(char* buffer, std::size_t size) override
    {
        return static_cast<std::size_t>(Timed("read", [&] { return static_cast<long>(m_port->Read(buffer, size)); }));
    }
    void DiscardInput() override { m_port->DiscardInput(); }

private:
    template <typename F>
    long Timed(const char* what, F call)
    {
        const double start = m_owner.Ms();
        const long result = call();
        m_owner.calls.push_back({what, start, m_owner.Ms(), result});
        return result;
    }

    TimedPorts& m_owner;
    std::unique_ptr<SerialPort> m_port;
};

std::unique_ptr<SerialPort> TimedPorts::Open(const std::string& name)
{
    const double start = Ms();
    std::unique_ptr<SerialPort> port = SystemPorts().Open(name);
    calls.push_back({"open", start, Ms(), port ? 1L : 0L});
    if (!port)
        return nullptr;
    return std::make_unique<TimedPort>(*this, std::move(port));
}

// Our own descriptor on a device, as another program would hold it.
class Holder {
public:
    explicit Holder(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~Holder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    int Get() const { return m_fd; }
    termios Settings() const
    {
        termios t{};
        EXPECT_EQ(0, ::tcgetattr(m_fd, &t));
        return t;
    }

private:
    int m_fd;
};

// Root ignores the exclusive flag of a tty, so whether it is set shows only to another user.
enum class UserOpen { Opened, Busy, Failed, NotPossible };

UserOpen OpenAsNobody(const std::string& path)
{
    if (::geteuid() != 0 || ::chmod(path.c_str(), 0666) != 0)
        return UserOpen::NotPossible;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : errno == EBUSY ? 1 : 2);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return UserOpen::Failed;
    switch (WEXITSTATUS(status)) {
    case 0: return UserOpen::Opened;
    case 1: return UserOpen::Busy;
    case 3: return UserOpen::NotPossible;
    default: return UserOpen::Failed;
    }
}

void Repoint(const std::string& link, const std::string& target)
{
    fs::remove(link);
    fs::create_symlink(target, link);
}

// Tells whether anybody opened `path` since the watch was set.
class OpenWatch {
public:
    explicit OpenWatch(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        EXPECT_LE(0, ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN)) << path;
    }
    ~OpenWatch() { ::close(m_fd); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    bool Opened() const
    {
        alignas(inotify_event) char events[4096];
        return ::read(m_fd, events, sizeof events) > 0;
    }

private:
    int m_fd;
};

// A detector on the system's ports with a simulator behind com1..com4.
struct SimulatedPorts {
    explicit SimulatedPorts(const std::vector<std::string>& ports) : sim(ports) {}
    ReaderSimProcess sim;
    RecordingNotice notice;
    CReaderDetector detector{SystemPorts(), notice};
};

bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& line : lines)
        if (line == text)
            return true;
    return false;
}

// The simulator looks at the line every few milliseconds: give it time to notice.
bool Eventually(const std::function<bool()>& condition)
{
    const auto end = Clock::now() + std::chrono::milliseconds(500);
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        ::usleep(2000);
    }
    return true;
}

std::string LastLineSetting(const ReaderSimProcess& sim, const std::string& port)
{
    std::string last;
    for (const std::string& line : sim.PortLog(port))
        if (line.compare(0, 5, "line ") == 0)
            last = line;
    return last;
}

// --- Which names open ---------------------------------------------------------------------

TEST(OpenPort, OnlyCom1ToCom4AreNames)
{
    SimulatedPorts p({"com2=krm"});
    ASSERT_TRUE(p.sim.Ready());
    const std::string device = p.sim.Device("com2");
    // Every other name has an entry leading to a live device, so a back end that accepted it
    // would open that device (and be caught) rather than a real serial line.
    const char* const kOtherNames[] = {"com0",  "com5", "com9", "COM2", "Com2",  "com02",
                                       "com12", "com",  "lpt2", "aux",  " com2", "com2 "};
    for (const char* name : kOtherNames)
        fs::create_symlink(device, p.sim.Link(name));
    fs::create_symlink(device, p.sim.Prefix() + "/com2");
    const std::string kPathNames[] = {"../com2", "../dosdevices/com2", std::string("com2\0", 5)};
    std::vector<std::string> names(std::begin(kOtherNames), std::end(kOtherNames));
    names.insert(names.end(), std::begin(kPathNames), std::end(kPathNames));
    for (const std::string& name : names) {
        const auto start = Clock::now();
        EXPECT_EQ(nullptr, SystemPorts().Open(name)) << "\"" << name << "\"";
        EXPECT_LT(MsBetween(start, Clock::now()), kAtOnceMs) << name;
    }
    EXPECT_NE(nullptr, SystemPorts().Open("com2"));  // the same device under its own name
}

TEST(OpenPort, WhatIsNoSerialLineFailsAtOnce)
{
    SimulatedPorts p({"com1=silent"});
    ASSERT_TRUE(p.sim.Ready());
    const std::string dir = p.sim.Prefix();
    std::ofstream(dir + "/plain-file") << "Kavirex3\r\n";
    fs::create_directory(dir + "/a-directory");
    ASSERT_EQ(0, ::mkfifo((dir + "/a-fifo").c_str(), 0600));
    struct Case {
        const char* what;
        std::string target;  // where com4 leads; empty: as the simulator left it
        bool neverOpened;    // no device node: opening it could wake a program waiting on it
    } const kCases[] = {
        {"device missing (dangling link)", "", false},
        {"regular file", dir + "/plain-file", true},
        {"directory", dir + "/a-directory", false},
        {"fifo", dir + "/a-fifo", true},
        {"character device that is no tty", "/dev/null", false},
    };
    for (const Case& c : kCases) {
        if (!c.target.empty())
            Repoint(p.sim.Link("com4"), c.target);
        const OpenWatch watch(c.target.empty() ? p.sim.Prefix() : c.target);
        const auto start = Clock::now();
        EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com4")) << c.what;
        EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com4")) << c.what;
        EXPECT_LT(MsBetween(start, Clock::now()), kAtOnceMs) << c.what;
        if (c.neverOpened) {
            EXPECT_FALSE(watch.Opened()) << c.what;
        }
    }
    EXPECT_TRUE(p.notice.texts.empty());
}

TEST(OpenPort, FollowsOnlyLinksOfThisUserOrRoot)
{
    // Root searching a prefix that nobody can change: nobody may not choose the device.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the links must belong to another user";
    SimulatedPorts p({"com1=kavirex3"});
    ASSERT_TRUE(p.sim.Ready());
    const std::string link = p.sim.Link("com1");
    const std::string dosdevices = p.sim.Prefix() + "/dosdevices";
    const OpenWatch watch(p.sim.Device("com1"));
    ASSERT_EQ(0, ::lchown(link.c_str(), 65534, 65534));
    EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com1")) << "nobody's link";
    ASSERT_EQ(0, ::lchown(link.c_str(), 0, 0));
    ASSERT_EQ(0, ::chown(dosdevices.c_str(), 65534, 65534));
    EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com1")) << "root's link in nobody's folder";
    EXPECT_FALSE(watch.Opened());
    ASSERT_EQ(0, ::chown(dosdevices.c_str(), 0, 0));
    EXPECT_EQ(resultOk, p.detector.ProbeKavirex3("com1"));
}

TEST(OpenPort, LineHeldByAnotherProgramIsInUse)
{
    SimulatedPorts p({"com3=silent"});
    ASSERT_TRUE(p.sim.Ready());
    const std::string device = p.sim.Device("com3");
    {
        Holder other(device);
        ASSERT_EQ(0, ::flock(other.Get(), LOCK_EX | LOCK_NB));
        const auto start = Clock::now();
        EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com3"));
        EXPECT_LT(MsBetween(start, Clock::now()), kAtOnceMs);
    }
    {
        std::unique_ptr<SerialPort> first = SystemPorts().Open("com3");
        ASSERT_NE(nullptr, first);
        EXPECT_EQ(nullptr, SystemPorts().Open("com3"));
        Holder other(device);
        EXPECT_NE(0, ::flock(other.Get(), LOCK_EX | LOCK_NB));
        const UserOpen user = OpenAsNobody(device);
        if (user != UserOpen::NotPossible) {
            EXPECT_EQ(UserOpen::Busy, user) << "exclusive flag not set";
        }
    }
    EXPECT_NE(nullptr, SystemPorts().Open("com3"));  // free again once closed
    {
        // A program that holds the line with the exclusive flag alone: root could still open
        // it, but the probe must leave it alone, and the holder's flag must stay set.
        Holder other(device);
        ASSERT_EQ(0, ::ioctl(other.Get(), TIOCEXCL));
        EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com3"));
        int exclusive = 0;
        ASSERT_EQ(0, ::ioctl(other.Get(), TIOCGEXCL, &exclusive));
        EXPECT_NE(0, exclusive);
        ::ioctl(other.Get(), TIOCNXCL);
    }
}

TEST(OpenPort, DefaultPrefixIsWineInHome)
{
    SimulatedPorts p({"com2=krm"});
    ASSERT_TRUE(p.sim.Ready());
    const std::string home = p.sim.Prefix() + "/home";
    fs::create_directories(home + "/.wine/dosdevices");
    for (const char* port : {"com1", "com2", "com3", "com4"})
        fs::create_symlink(fs::read_symlink(p.sim.Link(port)), home + "/.wine/dosdevices/" + port);
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("WINEPREFIX");
    // Only the link in ~/.wine leads to the reader.
    Repoint(p.sim.Link("com2"), "/nonexistent/lesamo-test/com2");
    EXPECT_EQ(resultOk, p.detector.ProbeKrm("com2"));
    ::setenv("WINEPREFIX", p.sim.Prefix().c_str(), 1);
    EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com2"));
    if (oldHome)
        ::setenv("HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("HOME");
}

// --- What a probe does to the line ---------------------------------------------------------

struct ProbeCase {
    const char* what;
    bool identifying;
    speed_t speed;
    bool twoStopBits;
    double patternMs;
};

void PrintTo(const ProbeCase& c, std::ostream* out)
{
    *out << c.what;
}

class ProbeOnSilentLine : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeOnSilentLine, SetsTheLineWaitsThePatternAndReadsFor101Ms)
{
    const ProbeCase& c = GetParam();
    ReaderSimProcess sim({"com3=silent"});
    ASSERT_TRUE(sim.Ready());
    Holder device(sim.Device("com3"));
    // Hardware handshaking is the port's business and stays; software flow control is off while
    // the probe holds the line (it would take a reply's XON and XOFF bytes); both come back.
    termios before = device.Settings();
    before.c_cflag |= CRTSCTS;
    before.c_iflag |= IXON | IXOFF;
    ASSERT_EQ(0, ::tcsetattr(device.Get(), TCSANOW, &before));
    before = device.Settings();

    TimedPorts ports;
    termios during{};
    // A slow device: setting the line up takes a while, which must not shorten the first wait.
    ports.afterConfigure = [&] {
        during = device.Settings();
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
    };
    RecordingNotice notice;
    CReaderDetector detector(ports, notice);
    const int result = c.identifying ? detector.ProbeKavirex3("com3") : detector.ProbeKrm("com3");
    EXPECT_EQ(resultNone, result);

    EXPECT_EQ(c.speed, cfgetospeed(&during));
    EXPECT_EQ(c.speed, cfgetispeed(&during));
    EXPECT_EQ(c.twoStopBits, (during.c_cflag & CSTOPB) != 0);
    EXPECT_EQ(0u, during.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(0u, during.c_oflag & OPOST);
    EXPECT_EQ(tcflag_t{CLOCAL | CREAD}, during.c_cflag & (CLOCAL | CREAD));
    EXPECT_EQ(tcflag_t{CRTSCTS}, during.c_cflag & CRTSCTS);
    EXPECT_EQ(0u, during.c_iflag & (IXON | IXOFF | IXANY));

    const TimedCall* configure = ports.Find("configure");
    const TimedCall* timeouts = ports.Find("timeouts");
    const TimedCall* read = ports.Find("read");
    ASSERT_TRUE(configure && timeouts && read);
    const double pattern = timeouts->startMs - configure->endMs;
    EXPECT_GE(pattern, c.patternMs + 8);
    EXPECT_LT(pattern, c.patternMs + 8 + kLoadRoomMs);
    EXPECT_EQ(0, read->result);
    EXPECT_GE(read->endMs - read->startMs, kReadTotalMs);
    EXPECT_LT(read->endMs - read->startMs, kReadTotalMs + kLoadRoomMs);

    // Closed and left as found: same settings, no lock, no exclusive flag.
    const termios after = device.Settings();
    EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after));
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    EXPECT_EQ(before.c_iflag, after.c_iflag);
    EXPECT_EQ(before.c_lflag, after.c_lflag);
    EXPECT_EQ(before.c_oflag, after.c_oflag);
    EXPECT_EQ(0, ::flock(device.Get(), LOCK_EX | LOCK_NB));
    ::flock(device.Get(), LOCK_UN);
    const UserOpen user = OpenAsNobody(sim.Device("com3"));
    if (user != UserOpen::NotPossible) {
        EXPECT_EQ(UserOpen::Opened, user) << "exclusive flag left set";
    }
    EXPECT_TRUE(notice.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(Probes, ProbeOnSilentLine,
                         testing::Values(ProbeCase{"identifying", true, B1200, true, 1170},
                                         ProbeCase{"wake", false, B9600, false, 150}),
                         [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.what); });

TEST(Probes, GiveBackASpeedOfTheLinesOwn)
{
    // struct termios cannot hold 250000 baud: a line saved and restored with it comes back at
    // the probe's speed.
    ReaderSimProcess sim({"com1=silent"});
    ASSERT_TRUE(sim.Ready());
    Holder device(sim.Device("com1"));
    ASSERT_TRUE(SetOwnSpeed(device.Get(), 250000));
    RecordingNotice notice;
    CReaderDetector detector(SystemPorts(), notice);
    EXPECT_EQ(resultNone, detector.ProbeKrm("com1"));
    EXPECT_EQ(250000u, OwnSpeed(device.Get())) << "after a probe";

    // Ended by a signal while the probe holds the line, as the terminal program's handler does.
    const pid_t child = ::fork();
    if (child == 0) {
        struct sigaction ending {};
        ending.sa_handler = [](int) {
            ReleaseHeldPortAfterSignal();
            ::_exit(0);
        };
        ::sigaction(SIGTERM, &ending, nullptr);
        std::unique_ptr<SerialPort> port = SystemPorts().Open("com1");
        if (!port)
            ::_exit(3);
        port->Configure({9600, 8, Parity::Even, StopBits::One, true});
        ::raise(SIGTERM);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(250000u, OwnSpeed(device.Get())) << "after a signal";
}

struct ReplyCase {
    const char* name;
    const char* behaviour;
    bool identifying;
    std::size_t bytes;
    double sentMs;     // the reply's delay after the line is set, as reader-sim is told
    double maxReadMs;  // under the total time-out: the read ended 30 ms after the last byte
};

void PrintTo(const ReplyCase& c, std::ostream* out)
{
    *out << c.behaviour;
}

class ReplyOnLine : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyOnLine, IsReadAndJudged)
{
    const ReplyCase& c = GetParam();
    ReaderSimProcess sim({std::string("com1=") + c.behaviour});
    ASSERT_TRUE(sim.Ready());
    TimedPorts ports;
    RecordingNotice notice;
    CReaderDetector detector(ports, notice);
    const int result = c.identifying ? detector.ProbeKavirex3("com1") : detector.ProbeKrm("com1");
    EXPECT_EQ(resultOk, result) << sim.Log();
    const TimedCall* read = ports.Find("read");
    ASSERT_NE(nullptr, read);
    const TimedCall* configure = ports.Find("configure");
    ASSERT_NE(nullptr, configure);
    EXPECT_EQ(static_cast<long>(c.bytes), read->result);
    // The read waits 30 ms after the last byte, which came no sooner than asked.
    EXPECT_GE(read->endMs - read->startMs, 30.0);
    EXPECT_GE(read->endMs - configure->startMs, c.sentMs + 30);
    EXPECT_LT(read->endMs - read->startMs, c.maxReadMs);
}

INSTANTIATE_TEST_SUITE_P(Probes, ReplyOnLine,
                         testing::Values(
                             // Sent early in the pattern: waits in the buffer and starts the reply.
                             ReplyCase{"Kavirex3EarlyInThePattern", "kavirex3@100", true, 15, 100, kReadTotalMs},
                             ReplyCase{"KrmAsSoonAsTheLineIsSet", "krm@0", false, 2, 0, kReadTotalMs},
                             // Comes about 30 ms into the read, which then ends 30 ms after it;
                             // on a loaded machine the reply may be late enough for the total
                             // time-out to end the read, with the reply read all the same.
                             ReplyCase{"KrmDuringTheRead", "krm@180", false, 2, 180, kReadTotalMs + kLoadRoomMs}),
                         [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(Probes, FloodingDeviceIsReadUpTo100Bytes)
{
    ReaderSimProcess sim({"com2=flood"});
    ASSERT_TRUE(sim.Ready());
    TimedPorts ports;
    RecordingNotice notice;
    CReaderDetector detector(ports, notice);
    EXPECT_EQ(resultNone, detector.ProbeKrm("com2"));
    const TimedCall* read = ports.Find("read");
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(100, read->result);
    EXPECT_LT(read->endMs - read->startMs, kReadTotalMs);
    EXPECT_LT(ports.calls.back().endMs, 150.0 + kLoadRoomMs);
}

TEST(Probes, DeviceThatHangsUpEndsTheRead)
{
    ReaderSimProcess sim({"com2=hangup"});
    ASSERT_TRUE(sim.Ready());
    TimedPorts ports;
    RecordingNotice notice;
    CReaderDetector detector(ports, notice);
    EXPECT_EQ(resultNone, detector.ProbeKrm("com2"));
    const TimedCall* read = ports.Find("read");
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(0, read->result);
    EXPECT_LT(read->endMs - read->startMs, kReadTotalMs);
    EXPECT_TRUE(Contains(sim.PortLog("com2"), "hangup"));
}

TEST(Probes, LineGoneDuringTheReadLeavesNoReply)
{
    // Bytes, then the device goes away before the read is over (a USB adapter pulled out): the
    // read fails, and what it had read is no reply.
    SimulatedPorts p({"com2=silent"});
    ASSERT_TRUE(p.sim.Ready());
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(master.Valid() && ::grantpt(master.Get()) == 0 && ::unlockpt(master.Get()) == 0);
    Repoint(p.sim.Link("com2"), ::ptsname(master.Get()));
    std::unique_ptr<SerialPort> port = SystemPorts().Open("com2");
    ASSERT_NE(nullptr, port);
    port->SetReadTimeouts({0, 0, 0});  // no time-out: the read waits for all it asks for
    ASSERT_EQ(8, ::write(master.Get(), "Kavirex3", 8));
    std::thread gone([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        master.Close();
    });
    char reply[256] = {};
    const auto start = Clock::now();
    EXPECT_EQ(0u, port->Read(reply, 100));
    EXPECT_LT(MsBetween(start, Clock::now()), 1000.0);
    gone.join();
    EXPECT_STREQ("", reply);
}

// --- The whole scan --------------------------------------------------------------------------

TEST(ScanPorts, FindsTheSimulatedReaders)
{
    SimulatedPorts p({"com1=kavirex3", "com2=krm", "com3=silent", "com4=none"});
    ASSERT_TRUE(p.sim.Ready());
    const auto start = Clock::now();
    EXPECT_EQ(resultOk, p.detector.ScanPorts());
    const double ms = MsBetween(start, Clock::now());
    EXPECT_EQ(readerKavirex3, p.detector.m_nPortKind[0]);
    EXPECT_EQ(readerKrm, p.detector.m_nPortKind[1]);
    EXPECT_EQ(readerNone, p.detector.m_nPortKind[2]);
    EXPECT_EQ(readerNone, p.detector.m_nPortKind[3]);
    // Three ports open, the wake probe runs on the two without a Kavirex3; a read ends 30 ms
    // after a reply, 101 ms after its start on a silent line.
    const double floor = (1170 + 30) + (1170 + 101) + (150 + 30) + (1170 + 101) + (150 + 101);
    EXPECT_GE(ms, floor);
    EXPECT_LT(ms, floor + 5 * kLoadRoomMs);  // each of the five probes with the room of one

    // What the devices saw: a Kavirex3 never gets the wake probe; every line is left as found.
    const std::vector<std::string> com1 = p.sim.PortLog("com1");
    EXPECT_TRUE(Contains(com1, "line 1200 8N2"));
    EXPECT_FALSE(Contains(com1, "line 9600 8N1"));
    for (const char* port : {"com2", "com3"}) {
        const std::vector<std::string> log = p.sim.PortLog(port);
        EXPECT_TRUE(Contains(log, "line 1200 8N2")) << port;
        EXPECT_TRUE(Contains(log, "line 9600 8N1")) << port;
    }
    for (const char* port : {"com1", "com2", "com3"})
        EXPECT_TRUE(Eventually([&] { return LastLineSetting(p.sim, port) == "line 38400 8N1"; }))
            << port << " left at " << LastLineSetting(p.sim, port);
    EXPECT_TRUE(p.notice.texts.empty());
}

}  // namespace
}  // namespace lesamo::test
