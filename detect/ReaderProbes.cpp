// The two reader probes: line settings, control-line patterns, read and judgement.
#include <cstring>
#include <memory>

#include "detect/ReaderDetector.h"

namespace lesamo {
namespace {

constexpr std::size_t kReplyBufferSize = 256;
constexpr std::size_t kMaxReplyBytes = 100;
constexpr char kKavirex3Reply[] = "Kavirex3";  // somewhere in the identifying probe's reply
// The reply is judged as text (strstr): a zeroed buffer that a reply can never fill always
// holds a zero byte after it, and the name looked for must fit in a reply.
static_assert(kMaxReplyBytes < kReplyBufferSize, "a reply must leave a zero byte behind it");
static_assert(sizeof kKavirex3Reply - 1 <= kMaxReplyBytes, "the reply looked for must fit in a read");

constexpr LineSettings kKavirex3Line{1200, 7, Parity::None, StopBits::Two, false};
constexpr LineSettings kKrmLine{9600, 8, Parity::Even, StopBits::One, true};
constexpr ReadTimeouts kReplyTimeouts{30, 1, 1};

struct LineStep {
    ControlLine line;
    bool on;
    int waitMs;  // pause after the change; 0 for none
};

// Identifying probe: 1170 ms in all, the reader answers at the earliest during the last wait.
constexpr LineStep kKavirex3Pattern[] = {
    {ControlLine::Dtr, false, 0},  {ControlLine::Rts, false, 40}, {ControlLine::Dtr, true, 120},
    {ControlLine::Dtr, false, 40}, {ControlLine::Dtr, true, 120}, {ControlLine::Rts, true, 40},
    {ControlLine::Dtr, false, 0},  {ControlLine::Rts, false, 10}, {ControlLine::Dtr, true, 0},
    {ControlLine::Rts, true, 800}, {ControlLine::Dtr, false, 0},  {ControlLine::Rts, false, 0},
};

// Wake probe: 150 ms in all; the last three changes follow one another without a wait.
constexpr LineStep kKrmWakePattern[] = {
    {ControlLine::Dtr, false, 0}, {ControlLine::Rts, false, 40}, {ControlLine::Dtr, true, 30},
    {ControlLine::Rts, true, 40}, {ControlLine::Dtr, false, 40}, {ControlLine::Rts, false, 0},
    {ControlLine::Dtr, false, 0}, {ControlLine::Rts, false, 0},
};

template <std::size_t N>
void DriveLines(SerialPort& port, const LineStep (&pattern)[N])
{
    for (const LineStep& step : pattern) {
        port.SetLine(step.line, step.on);
        if (step.waitMs > 0)
            port.Pause(std::chrono::milliseconds(step.waitMs));
    }
}

// Opens, drives the pattern and reads the reply into `reply` (zeroed, kReplyBufferSize bytes).
// Returns the byte count, or -1 when the port does not open.
template <std::size_t N>
long ReadReply(PortOpener& ports, const std::string& portName, const LineSettings& settings,
               const LineStep (&pattern)[N], char* reply)
{
    std::unique_ptr<SerialPort> port = ports.Open(portName);
    if (!port)
        return -1;  // missing or in use: passed over silently
    port->Configure(settings);
    DriveLines(*port, pattern);
    port->SetReadTimeouts(kReplyTimeouts);
    // No purge before the read: what the reader sent during the pattern starts the reply.
    const std::size_t count = port->Read(reply, kMaxReplyBytes);
    port->DiscardInput();
    port.reset();  // the line is closed before the reply is judged
    return static_cast<long>(count < kMaxReplyBytes ? count : kMaxReplyBytes);
}

}  // namespace

int CReaderDetector::ProbeKavirex3(const std::string& portName)
{
    char reply[kReplyBufferSize] = {};
    if (ReadReply(m_ports, portName, kKavirex3Line, kKavirex3Pattern, reply) < 0)
        return resultFailed;
    // The reply is text up to its first zero byte; the buffer always holds one after it.
    return std::strstr(reply, kKavirex3Reply) != nullptr ? resultOk : resultNone;
}

int CReaderDetector::ProbeKrm(const std::string& portName)
{
    char reply[kReplyBufferSize] = {};
    const long count = ReadReply(m_ports, portName, kKrmLine, kKrmWakePattern, reply);
    if (count < 0)
        return resultFailed;
    return count >= 2 && (reply[0] == '?' || reply[0] == ';') ? resultOk : resultNone;
}

}  // namespace lesamo
