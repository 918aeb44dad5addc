// The Win32 serial back end: its pure DCB and COMMTIMEOUTS changes, and the real comm API under
// wine64 against reader-sim's pseudo-terminals (tests/windows/wine-run.sh maps com1..com4).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "detect/CommSettings_win32.h"
#include "detect/ReaderDetector.h"
#include "tests/fakes/RecordingNotice.h"

namespace lesamo::test {
namespace {

constexpr LineSettings kIdentifyLine{1200, 7, Parity::None, StopBits::Two, false};
constexpr LineSettings kWakeLine{9600, 8, Parity::Even, StopBits::One, true};

// Bytes that differ between two objects outside the bits set in `allowed`, as "offset:before>after".
template <typename T>
std::string ChangesOutside(const T& before, const T& after, const T& allowed)
{
    unsigned char b[sizeof(T)], a[sizeof(T)], mask[sizeof(T)];
    std::memcpy(b, &before, sizeof(T));
    std::memcpy(a, &after, sizeof(T));
    std::memcpy(mask, &allowed, sizeof(T));
    std::string changes;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        if ((b[i] ^ a[i]) & ~mask[i])
            changes += std::to_string(i) + ":" + std::to_string(b[i]) + ">" + std::to_string(a[i]) + " ";
    return changes;
}

// Fill patterns: every bit set and every bit clear once, so a change in either direction shows.
constexpr unsigned char kFills[] = {0x00, 0xFF, 0xA5, 0x5A};

TEST(ApplyLineSettings, SetsTheProbeFieldsAndLeavesEveryOtherBit)
{
    struct Row {
        LineSettings settings;
        DWORD baud;
        BYTE byteSize, parity, stopBits;
        DWORD fParity;
    };
    const Row rows[] = {
        {kIdentifyLine, 1200, 7, NOPARITY, TWOSTOPBITS, 0},
        {kWakeLine, 9600, 8, EVENPARITY, ONESTOPBIT, 1},
    };
    // The only bits that may change: the five fields, fParity alone within its bit-field word.
    DCB allowed;
    std::memset(&allowed, 0, sizeof allowed);
    allowed.BaudRate = ~DWORD{0};
    allowed.ByteSize = allowed.Parity = allowed.StopBits = 0xFF;
    allowed.fParity = 1;
    for (const Row& row : rows) {
        for (const unsigned char fill : kFills) {
            SCOPED_TRACE(testing::Message() << row.baud << " baud, fill " << int{fill});
            DCB before;
            std::memset(&before, fill, sizeof before);
            DCB after = before;
            ApplyLineSettings(after, row.settings);
            EXPECT_EQ(row.baud, after.BaudRate);
            EXPECT_EQ(row.byteSize, after.ByteSize);
            EXPECT_EQ(row.parity, after.Parity);
            EXPECT_EQ(row.stopBits, after.StopBits);
            EXPECT_EQ(row.fParity, after.fParity);
            EXPECT_EQ("", ChangesOutside(before, after, allowed));
        }
    }
}

TEST(ApplyReadTimeouts, SetsTheReadTimeoutsAndKeepsTheWriteTimeouts)
{
    COMMTIMEOUTS allowed{};
    allowed.ReadIntervalTimeout = allowed.ReadTotalTimeoutMultiplier = allowed.ReadTotalTimeoutConstant = ~DWORD{0};
    for (const unsigned char fill : kFills) {
        SCOPED_TRACE(testing::Message() << "fill " << int{fill});
        COMMTIMEOUTS before;
        std::memset(&before, fill, sizeof before);
        COMMTIMEOUTS after = before;
        ApplyReadTimeouts(after, ReadTimeouts{30, 1, 1});
        EXPECT_EQ(30u, after.ReadIntervalTimeout);
        EXPECT_EQ(1u, after.ReadTotalTimeoutMultiplier);
        EXPECT_EQ(1u, after.ReadTotalTimeoutConstant);
        EXPECT_EQ("", ChangesOutside(before, after, allowed));
    }
}

// ---- The real API. The port sets are given by the ctest entries in tests/windows/.

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Fails unless wine-run.sh set up exactly these reader-sim ports.
::testing::AssertionResult PortsAre(const std::string& expected)
{
    const std::string actual = Env("LESAMO_PORTS");
    if (actual == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "these tests need reader-sim ports \"" << expected
                                         << "\" (tests/windows/wine-run.sh"
                                         << " sets LESAMO_PORTS), got \"" << actual << "\"";
}

// reader-sim's event log, read through Wine's Z: drive.
std::string SimLog()
{
    std::ifstream in("Z:" + Env("LESAMO_SIM_LOG"), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A probe's fixed waits (1170 or 150 ms) plus the read: at most its 101 ms total time-out,
// plus headroom for a loaded machine. A port that cannot be opened fails well before the
// shortest wait.
constexpr long long kIdentifyWaits = 1170, kWakeWaits = 150, kReadMax = 101, kSlack = 250, kAtOnce = 100;

// The most a probe or scan may take: each of its many waits can end late on a loaded machine
// (Wine's under load were seen 25 % over), so the room grows with them; a wake probe still
// ends well before an identifying one would.
constexpr long long Most(long long waitsAndReads)
{
    return 2 * waitsAndReads + kSlack;
}

struct ProbeRow {
    const char* port;
    int expected;
    long long minMs, maxMs;
};

template <std::size_t N>
void CheckProbes(int (CReaderDetector::*probe)(const std::string&), const ProbeRow (&rows)[N])
{
    RecordingNotice notice;
    CReaderDetector detector(SystemPorts(), notice);
    for (const ProbeRow& row : rows) {
        SCOPED_TRACE(row.port);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(row.expected, (detector.*probe)(row.port));
        const long long ms = MsSince(start);
        EXPECT_GE(ms, row.minMs);
        EXPECT_LE(ms, row.maxMs);
    }
}

constexpr char kBasicPorts[] = "com1=kavirex3 com2=krm com3=silent com4=none";

TEST(Win32Serial, TheIdentifyingProbeFindsTheKavirex3ReaderOnly)
{
    ASSERT_TRUE(PortsAre(kBasicPorts));
    // com1 answers 500 ms into the pattern, during the 800 ms wait: the bytes wait in the
    // receive buffer and the read takes them at once. com4 is a port that cannot be opened.
    const ProbeRow rows[] = {
        {"com1", resultOk, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
        {"com2", resultNone, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
        {"com3", resultNone, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
        {"com4", resultFailed, 0, kAtOnce},
    };
    CheckProbes(&CReaderDetector::ProbeKavirex3, rows);
}

TEST(Win32Serial, TheWakeProbeFindsTheKrmReaderOnly)
{
    ASSERT_TRUE(PortsAre(kBasicPorts));
    const ProbeRow rows[] = {
        {"com1", resultNone, kWakeWaits, Most(kWakeWaits + kReadMax)},
        {"com2", resultOk, kWakeWaits, Most(kWakeWaits + kReadMax)},
        {"com3", resultNone, kWakeWaits, Most(kWakeWaits + kReadMax)},
        {"com4", resultFailed, 0, kAtOnce},
    };
    CheckProbes(&CReaderDetector::ProbeKrm, rows);
}

TEST(Win32Serial, AScanFillsTheSlotsOfTheFourPorts)
{
    ASSERT_TRUE(PortsAre(kBasicPorts));
    RecordingNotice notice;
    CReaderDetector detector(SystemPorts(), notice);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(resultOk, detector.ScanPorts());
    const long long ms = MsSince(start);
    EXPECT_EQ((std::vector<int>{readerKavirex3, readerKrm, readerNone, readerNone}),
              std::vector<int>(detector.m_nPortKind, detector.m_nPortKind + kPortCount));
    // com1: one identifying probe; com2 and com3: both probes; com4 costs nothing.
    const long long floor = 3 * kIdentifyWaits + 2 * kWakeWaits;
    EXPECT_GE(ms, floor);
    EXPECT_LE(ms, Most(floor + 5 * kReadMax));
    EXPECT_TRUE(notice.texts.empty());
}

TEST(Win32Serial, TheLineGetsEachProbesSpeedAndStopBitsAndIsClosedAfterEveryProbe)
{
    ASSERT_TRUE(PortsAre(kBasicPorts));
    RecordingNotice notice;
    CReaderDetector detector(SystemPorts(), notice);
    const std::string logBefore = SimLog();
    ASSERT_FALSE(logBefore.empty()) << "reader-sim's log not readable: " << Env("LESAMO_SIM_LOG");
    EXPECT_EQ(resultNone, detector.ProbeKavirex3("com3"));
    EXPECT_EQ(resultNone, detector.ProbeKrm("com3"));
    // reader-sim notices opens and closes by inotify, within a few milliseconds.
    std::string log;
    for (int i = 0; i < 50; ++i) {
        log = SimLog().substr(logBefore.size());
        // The close of the test before may reach the log only now: count from our first open.
        log.erase(0, std::min(log.find("com3 opened"), log.size()));
        if (Count(log, "com3 closed") >= 2)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // A pseudo-terminal keeps only the speed and the stop bits of what a probe sets.
    EXPECT_TRUE(std::regex_search(log, std::regex("com3 line 1200 [5-8][NEO]2\n[^]*"
                                                  "com3 line 9600 [5-8][NEO]1\n")))
        << log;
    EXPECT_EQ(2, Count(log, "com3 opened")) << log;
    EXPECT_EQ(2, Count(log, "com3 closed")) << log;
}

TEST(Win32Serial, AScanSetsTheTimerPeriodWithWinmmFromTheSystemFolder)
{
    // winmm is not imported (it would load at every start) but loaded for the scan.
    SystemPorts().ScanStarting();
    const HMODULE winmm = ::GetModuleHandleA("winmm.dll");
    ASSERT_NE(nullptr, winmm);
    char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
    ::GetModuleFileNameA(winmm, loaded, MAX_PATH);
    ::GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(0, ::lstrcmpiA((std::string(system) + "\\winmm.dll").c_str(), loaded)) << loaded;
    SystemPorts().ScanFinished();
}

TEST(Win32Serial, OnlyTheFourScannedNamesAreOpened)
{
    ASSERT_TRUE(PortsAre(kBasicPorts));
    // Windows opens each of these as the serial port com1 or com2: the back end must not.
    for (const char* name : {"COM1", "Com2", "com1:", "\\\\.\\com1", "aux"}) {
        SCOPED_TRACE(name);
        const HANDLE raw = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, raw) << "the name no longer opens a port here";
        ::CloseHandle(raw);
        EXPECT_EQ(nullptr, SystemPorts().Open(name));
    }
    for (const char* name : {"", "com", "com0", "com12", "com1 ", "lpt1"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(nullptr, SystemPorts().Open(name));
    }
    for (const char* name : {"com1", "com2", "com3"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(nullptr, SystemPorts().Open(name));
    }
}

constexpr char kTimedPorts[] = "com1=kavirex3@1100 com2=kavirex3@1400 com3=krm:? com4=hangup";

TEST(Win32SerialTiming, RepliesCountUpToTheEndOfTheRead)
{
    ASSERT_TRUE(PortsAre(kTimedPorts));
    // com1 answers 70 ms before the pattern ends; com2 only after the probe closed the port.
    // com4 hangs up 50 ms into the probe: the reads fail and the probe still ends on time.
    const ProbeRow rows[] = {
        {"com1", resultOk, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
        {"com2", resultNone, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
        {"com4", resultNone, kIdentifyWaits, Most(kIdentifyWaits + kReadMax)},
    };
    CheckProbes(&CReaderDetector::ProbeKavirex3, rows);
}

TEST(Win32SerialTiming, TheReadReportsTheBytesThatCame)
{
    ASSERT_TRUE(PortsAre(kTimedPorts));
    // com3 sends a single '?': a Kavirex(KRM) reader sends two bytes at least.
    const ProbeRow rows[] = {
        {"com3", resultNone, kWakeWaits, Most(kWakeWaits + kReadMax)},
        {"com4", resultNone, kWakeWaits, Most(kWakeWaits + kReadMax)},
    };
    CheckProbes(&CReaderDetector::ProbeKrm, rows);
}

}  // namespace
}  // namespace lesamo::test
