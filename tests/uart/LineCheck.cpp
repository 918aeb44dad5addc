// line-check: what the serial devices were told during one scan, checked against the probes.
// It reads qemu's trace of its emulated 16550 UARTs (register writes: MCR for DTR and RTS, the
// line settings the driver programmed), qemu's trace of its emulated FTDI USB-serial adapters
// (the driver's control requests: line settings, flow control, modem control) or the log of the
// line shim in a Wine process (its calls on the pseudo-terminals: termios settings,
// TIOCMBIS/TIOCMBIC/TIOCMSET, close), and checks port by port in scan order: each probe's line
// setting before its pattern, the pattern one change at a time, every wait at least its length
// and at most --slack longer, and how long the read after it took. The patterns below are
// written down here on their own, from the readers' protocol, not taken from the product.
//
// usage: line-check ((--qemu | --usb) TRACE --home comN=BAUD... | --shim LOG) [--slack MS] comN=ROLE...
//   ROLE: kavirex3 (answers the identifying probe), krm (answers the wake probe), silent, absent
//   --home: the speed each device's port had before the scan; a probe that puts the settings
//           back when it closes the port names the port by it
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Line {
    unsigned baud = 0;
    unsigned data = 0;
    char parity = '?';
    unsigned stop = 0;
    bool operator==(const Line&) const = default;
};

std::string Describe(const Line& line)
{
    return std::to_string(line.baud) + " " + std::to_string(line.data) + line.parity + std::to_string(line.stop);
}

enum class Wire { Dtr, Rts };
struct Step {
    Wire wire;
    bool on;
    int waitMs;  // after the change
};

constexpr Line kIdentifyLine{1200, 7, 'N', 2};
constexpr Line kWakeLine{9600, 8, 'E', 1};
const std::vector<Step> kIdentifyPattern = {
    {Wire::Dtr, false, 0},  {Wire::Rts, false, 40}, {Wire::Dtr, true, 120}, {Wire::Dtr, false, 40},
    {Wire::Dtr, true, 120}, {Wire::Rts, true, 40},  {Wire::Dtr, false, 0},  {Wire::Rts, false, 10},
    {Wire::Dtr, true, 0},   {Wire::Rts, true, 800}, {Wire::Dtr, false, 0},  {Wire::Rts, false, 0},
};
const std::vector<Step> kWakePattern = {
    {Wire::Dtr, false, 0}, {Wire::Rts, false, 40}, {Wire::Dtr, true, 30}, {Wire::Rts, true, 40},
    {Wire::Dtr, false, 40}, {Wire::Rts, false, 0}, {Wire::Dtr, false, 0}, {Wire::Rts, false, 0},
};
// The read after a pattern: 30 ms after the last byte of a reply that came during the pattern,
// 100 * 1 + 1 ms in all on a line that stays silent.
constexpr double kReadAfterReplyMs = 30;
constexpr double kReadSilentMs = 101;
// The read's end shows when the program's next call reaches the line, after Wine's or the
// guest's own input machinery: on a loaded machine that came up to 222 ms late under Wine.
constexpr double kReadRoomMs = 400;

struct Event {
    enum Kind { Setting, Change, Close, Other } kind;  // Other: a write that moved no line
    double ms;
    std::string port;  // empty in qemu's UART trace, which does not say which UART it was
    Line line;         // Setting
    int levels = 0;    // Change: DTR (bit 0) and RTS (bit 1) after it
    int moved = 0;     // Change: the lines it was about
    char flow = '?';   // Setting: the device's flow control, where the trace shows it
};

// One line of qemu's log backend, "PID@SECONDS.MICROS:EVENT ARGUMENTS": the time in ms and the
// rest; false for lines of another shape.
bool QemuTraceLine(const std::string& text, double& ms, std::string& what)
{
    const std::size_t at = text.find('@');
    const std::size_t colon = text.find(':', at);
    if (at == std::string::npos || colon == std::string::npos)
        return false;
    ms = std::stod(text.substr(at + 1, colon - at - 1)) * 1000.0;
    what = text.substr(colon + 1);
    return true;
}

// The UARTs: "...:serial_write write addr 0x04 val 0x0b" and "...:serial_update_parameters
// baudrate=1200 parity='N' data=7 stop=2". Only writes to MCR (offset 4) that move DTR (bit 0)
// or RTS (bit 1) become changes.
std::vector<Event> ReadQemuTrace(std::istream& in)
{
    std::vector<Event> events;
    int mcr = -1;
    double ms = 0;
    std::string what;
    for (std::string text; std::getline(in, text);) {
        if (!QemuTraceLine(text, ms, what))
            continue;
        unsigned addr = 0, value = 0, baud = 0, data = 0, stop = 0;
        char parity = 0;
        if (std::sscanf(what.c_str(), "serial_write write addr 0x%x val 0x%x", &addr, &value) == 2) {
            if (addr != 4)
                continue;
            const int old = mcr;
            mcr = static_cast<int>(value);
            if (old < 0 || ((old ^ mcr) & 3) == 0) {
                events.push_back({Event::Other, ms, {}, {}});
                continue;
            }
            events.push_back({Event::Change, ms, {}, {}, mcr & 3, (old ^ mcr) & 3});
        } else if (std::sscanf(what.c_str(), "serial_update_parameters baudrate=%u parity='%c' data=%u stop=%u", &baud,
                               &parity, &data, &stop) == 4) {
            events.push_back({Event::Setting, ms, {}, {baud, data, parity, stop}});
        }
    }
    return events;
}

// The adapters: "...:usb_serial_set_baud dev 0:1 baud rate 1200", "...:usb_serial_set_data dev 0:1
// parity N, data bits 7, stop bits 2", "...:usb_serial_set_flow_control dev 0:1 flow control 4"
// (0 none, 4 XON/XOFF, else a hardware handshake) and "...:usb_serial_handle_control dev 0:1 got
// control 0x4001, value 0x0101": the modem-control request, whose high byte names the lines it is
// about (DTR 1, RTS 2) and whose low byte gives their levels. The driver makes one request of
// every TIOCMBIS and TIOCMBIC, so every call shows. A device is named by its bus address, and
// renamed after the port whose home speed it had.
std::vector<Event> ReadUsbTrace(std::istream& in, const std::map<std::string, unsigned>& homes)
{
    std::vector<Event> events;
    std::map<std::string, Line> lines;
    std::map<std::string, char> flows;
    std::map<std::string, int> levels;
    std::map<std::string, std::string> names;
    double ms = 0;
    std::string what;
    for (std::string text; std::getline(in, text);) {
        if (!QemuTraceLine(text, ms, what))
            continue;
        char device[32] = {};
        unsigned a = 0, b = 0;
        char parity = 0;
        if (std::sscanf(what.c_str(), "usb_serial_set_baud dev %31s baud rate %u", device, &a) == 2) {
            lines[device].baud = a;
        } else if (std::sscanf(what.c_str(), "usb_serial_set_data dev %31s parity %c, data bits %u, stop bits %u",
                               device, &parity, &a, &b) == 4) {
            Line& line = lines[device];
            std::tie(line.parity, line.data, line.stop) = std::tuple(parity, a, b);
        } else if (std::sscanf(what.c_str(), "usb_serial_set_flow_control dev %31s flow control %u", device, &a) == 2) {
            flows[device] = a == 0 ? 'n' : a == 4 ? 'x' : 'h';
        } else if (std::sscanf(what.c_str(), "usb_serial_handle_control dev %31s got control 0x%x, value 0x%x", device,
                               &a, &b) == 3 &&
                   a == 0x4001) {
            const int moved = static_cast<int>(b >> 8) & 3;
            int& now = levels[device];
            now = (now & ~moved) | (static_cast<int>(b) & moved);
            events.push_back({Event::Change, ms, device, {}, now, moved});
            continue;
        } else {
            continue;
        }
        const Line& line = lines[device];
        events.push_back({Event::Setting, ms, device, line, 0, 0, flows.count(device) ? flows[device] : '?'});
        for (const auto& [port, baud] : homes)
            if (line == Line{baud, 8, 'N', 1})
                names[device] = port;
    }
    for (Event& event : events)
        if (names.count(event.port))
            event.port = names[event.port];
    return events;
}

// The shim's log: "MS PORT termios BAUD DATA PARITY STOP", "MS PORT mbis|mbic|mset DTR RTS"
// (mbis/mbic: the bits asked for; mset: the levels asked for) and "MS PORT close".
std::vector<Event> ReadShimLog(std::istream& in)
{
    std::vector<Event> events;
    std::map<std::string, int> levels;  // per port; a UART comes up with both lines low
    for (std::string text; std::getline(in, text);) {
        std::istringstream fields(text);
        Event event{Event::Setting, 0, {}, {}};
        std::string what;
        if (!(fields >> event.ms >> event.port >> what))
            continue;
        if (what == "termios") {
            fields >> event.line.baud >> event.line.data >> event.line.parity >> event.line.stop;
            events.push_back(event);
        } else if (what == "close") {
            event.kind = Event::Close;
            events.push_back(event);
        } else {
            int dtr = 0, rts = 0;
            fields >> dtr >> rts;
            const int bits = dtr | (rts << 1);
            int& now = levels[event.port];
            const int old = now;
            now = what == "mbis" ? now | bits : what == "mbic" ? now & ~bits : bits;
            // A call is a change even when it leaves the levels as they were: the pattern is the
            // calls. (Wine reads the levels and sets them all, so its call names no line.)
            event.kind = Event::Change;
            event.levels = now;
            event.moved = what == "mset" ? (old ^ now) : bits;
            events.push_back(event);
        }
    }
    return events;
}

// One probe as the device saw it: the setting in force when the pattern began, the changes,
// and the first event after them (the settings put back, or the close), which ends the read.
struct Session {
    std::string port;
    Line line;
    char flow = '?';
    double lineMs = 0;
    int startLevels = 0;  // before its first change
    std::vector<Event> changes;
    double endMs = -1;
};

// Settings that follow one another with nothing else between them are one setting (a driver
// programs divisor and format in several writes, Wine one field per call): the last one
// counts, from the time of the first. A probe's session runs from its setting to the close
// (or, on a UART, the settings put back); its pattern is what comes after its last setting:
// changes before it belong to setting the line up (Wine sets DTR and RTS as the DCB's control
// modes say).
std::vector<Session> FindSessions(const std::vector<Event>& events, const std::map<std::string, unsigned>& homes)
{
    std::vector<Session> sessions;
    std::optional<Session> open;
    std::optional<Event> setting;
    std::map<std::string, int> levels;
    // Until every port has had its home setting the guest was still starting: its console and
    // the driver setting up the UARTs are nothing of ours.
    std::set<unsigned> homesSeen;
    auto end = [&](double ms, const std::string& port) {
        if (open && !open->changes.empty()) {
            open->endMs = ms;
            if (open->port.empty())
                open->port = port;
            sessions.push_back(*open);
        }
        open.reset();
    };
    auto finishSetting = [&] {
        if (!setting)
            return;
        std::string home;
        for (const auto& [port, baud] : homes)
            if (setting->line == Line{baud, 8, 'N', 1}) {
                homesSeen.insert(baud);
                home = port;
            }
        if (!home.empty()) {
            end(setting->ms, home);
        } else if (open && open->port == setting->port) {
            open->line = setting->line;
            open->flow = setting->flow;
            open->lineMs = setting->ms;
            open->changes.clear();
        } else if (homesSeen.size() == homes.size()) {
            open = Session{setting->port, setting->line, setting->flow, setting->ms, 0, {}, -1};
        }
        setting.reset();
    };
    for (const Event& event : events) {
        if (event.kind == Event::Setting) {
            if (setting && event.port == setting->port) {
                const double first = setting->ms;
                setting = event;
                setting->ms = first;
            } else {
                finishSetting();
                setting = event;
            }
            continue;
        }
        finishSetting();
        if (event.kind == Event::Change) {
            if (open && open->port == event.port) {
                if (open->changes.empty())
                    open->startLevels = levels[event.port];
                open->changes.push_back(event);
            }
            levels[event.port] = event.levels;
        } else if (event.kind == Event::Close && open && open->port == event.port) {
            end(event.ms, event.port);
        }
    }
    finishSetting();
    if (open && !open->changes.empty())
        sessions.push_back(*open);  // never ended: the check below says so
    return sessions;
}

struct Expected {
    std::string port;
    const char* probe;
    Line line;
    const std::vector<Step>* pattern;
    bool replies;
};

std::vector<Expected> ExpectedProbes(const std::vector<std::pair<std::string, std::string>>& roles)
{
    std::vector<Expected> probes;
    for (const auto& [port, role] : roles) {
        if (role == "absent")
            continue;
        probes.push_back({port, "identifying", kIdentifyLine, &kIdentifyPattern, role == "kavirex3"});
        if (role != "kavirex3")
            probes.push_back({port, "wake", kWakeLine, &kWakePattern, role == "krm"});
    }
    return probes;
}

class Checker {
public:
    Checker(double slackMs, bool levelsOnly) : m_slack(slackMs), m_levelsOnly(levelsOnly) {}

    void Check(const Expected& want, const Session& got)
    {
        const std::string where = want.port + " " + want.probe + " probe: ";
        if (got.port != want.port)
            Fail(where + "seen on " + (got.port.empty() ? "an unknown port" : got.port));
        if (got.line != want.line)
            Fail(where + "line " + Describe(got.line) + ", expected " + Describe(want.line));
        // The program writes nothing, and a reply's bytes are its own: no XON/XOFF while it probes.
        // A hardware handshake is as the port had it, and these ports have none.
        if (got.flow != '?' && got.flow != 'n')
            Fail(where + (got.flow == 'x' ? "XON/XOFF" : "hardware") + " flow control, expected none");
        // The levels after each step that must show: every call, or on a UART only the steps
        // that move a line. A step's wait runs on until the next step that shows.
        std::vector<int> shown;
        std::vector<int> waits;
        int levels = got.startLevels;
        for (const Step& step : *want.pattern) {
            const int bit = step.wire == Wire::Dtr ? 1 : 2;
            const int next = step.on ? levels | bit : levels & ~bit;
            if (!m_levelsOnly || next != levels) {
                shown.push_back(next);
                waits.push_back(0);
            }
            levels = next;
            if (!waits.empty())
                waits.back() += step.waitMs;
        }
        std::printf("%-5s %-11s %-9s", want.port.c_str(), want.probe, Describe(got.line).c_str());
        if (got.changes.size() != shown.size())
            Fail(where + std::to_string(got.changes.size()) + " changes, expected " + std::to_string(shown.size()));
        double last = got.lineMs;
        for (std::size_t i = 0; i < got.changes.size() && i < shown.size(); ++i) {
            const Event& change = got.changes[i];
            std::string which = where;
            which.append("change ").append(std::to_string(i + 1));
            if (change.moved == 3)
                Fail(which + " moved DTR and RTS at once");
            if (change.levels != shown[i])
                Fail(which.append(" left ").append(Levels(change.levels)).append(", expected ").append(Levels(shown[i])));
            // The first change follows the setting at once; each later one the wait before it.
            Gap(where + "before change " + std::to_string(i + 1), change.ms - last, i == 0 ? 0 : waits[i - 1]);
            last = change.ms;
        }
        if (got.endMs < 0) {
            Fail(where + "the port was never closed");
        } else {
            Gap(where + "read", got.endMs - last, want.replies ? kReadAfterReplyMs : kReadSilentMs, kReadRoomMs);
        }
        std::printf("\n");
    }

    void Fail(const std::string& text)
    {
        m_failures.push_back(text);
    }

    const std::vector<std::string>& Failures() const { return m_failures; }
    double WorstOvershoot() const { return m_worst; }
    double LeastOvershoot() const { return m_least; }

private:
    static std::string Levels(int levels)
    {
        return std::string("DTR ") + (levels & 1 ? "on" : "off") + ", RTS " + (levels & 2 ? "on" : "off");
    }

    // At least the wanted time, at most `room` (or --slack) longer.
    void Gap(const std::string& what, double seenMs, double wantedMs, double room = -1)
    {
        std::printf(" %.1f(%g)", seenMs, wantedMs);
        char text[160];
        const double most = wantedMs + (room < 0 ? m_slack : std::max(room, m_slack));
        if (seenMs < wantedMs || seenMs > most) {
            std::snprintf(text, sizeof text, "%s %.3f ms, expected %g to %g ms", what.c_str(), seenMs, wantedMs,
                          most);
            Fail(text);
        }
        m_worst = std::max(m_worst, seenMs - wantedMs);
        m_least = std::min(m_least, seenMs - wantedMs);
    }

    double m_slack;
    bool m_levelsOnly;
    double m_worst = -1e9;
    double m_least = 1e9;
    std::vector<std::string> m_failures;
};

int Usage()
{
    std::fputs(
        "usage: line-check ((--qemu | --usb) TRACE --home comN=BAUD... | --shim LOG) [--slack MS] comN=ROLE...\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string qemu, usb, shim;
    double slack = 10;
    std::map<std::string, unsigned> homes;
    std::vector<std::pair<std::string, std::string>> roles;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t equals = arg.find('=');
        if ((arg == "--qemu" || arg == "--usb" || arg == "--shim" || arg == "--slack" || arg == "--home") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--qemu")
                qemu = value;
            else if (arg == "--usb")
                usb = value;
            else if (arg == "--shim")
                shim = value;
            else if (arg == "--slack")
                slack = std::stod(value);
            else if (value.find('=') != std::string::npos)
                homes[value.substr(0, value.find('='))] = std::stoul(value.substr(value.find('=') + 1));
            else
                return Usage();
        } else if (equals != std::string::npos && arg.rfind("com", 0) == 0) {
            roles.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
        } else {
            return Usage();
        }
    }
    const int sources = !qemu.empty() + !usb.empty() + !shim.empty();
    if (sources != 1 || roles.empty())
        return Usage();
    const std::string file = qemu + usb + shim;
    std::ifstream in(file);
    if (!in) {
        std::fprintf(stderr, "line-check: cannot read %s\n", file.c_str());
        return 2;
    }
    const std::vector<Event> events = !qemu.empty()  ? ReadQemuTrace(in)
                                      : !usb.empty() ? ReadUsbTrace(in, homes)
                                                     : ReadShimLog(in);
    const std::vector<Session> sessions = FindSessions(events, homes);
    const std::vector<Expected> expected = ExpectedProbes(roles);

    std::printf("port  probe       line      waits seen(specified) in ms, the read last\n");
    Checker checker(slack, !qemu.empty());
    for (std::size_t i = 0; i < expected.size() && i < sessions.size(); ++i)
        checker.Check(expected[i], sessions[i]);
    if (sessions.size() != expected.size())
        checker.Fail(std::to_string(sessions.size()) + " probes seen, expected " + std::to_string(expected.size()));
    std::printf("waits and reads took %.3f to %.3f ms longer than specified (allowed 0 to %g)\n",
                checker.LeastOvershoot(), checker.WorstOvershoot(), slack);
    for (const std::string& failure : checker.Failures())
        std::printf("FAIL: %s\n", failure.c_str());
    return checker.Failures().empty() ? 0 : 1;
}
