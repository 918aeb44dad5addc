// The port scan: which probes run on which port, the slots and the scan's result.
#include <gtest/gtest.h>

#include <vector>

#include "detect/ReaderDetector.h"
#include "tests/fakes/FakeSerialPorts.h"
#include "tests/fakes/RecordingNotice.h"

namespace lesamo::test {
namespace {

struct Scan {
    FakeSerialPorts ports;
    RecordingNotice notice;
    CReaderDetector detector{ports, notice};
    std::vector<int> Slots() const { return {detector.m_nPortKind, detector.m_nPortKind + kPortCount}; }
};

TEST(ScanPorts, StartsWithEmptySlots)
{
    Scan s;
    EXPECT_EQ((std::vector<int>{readerNone, readerNone, readerNone, readerNone}), s.Slots());
}

TEST(ScanPorts, NoPortOpensSoNothingIsProbedAndNothingWaited)
{
    Scan s;
    EXPECT_EQ(resultNone, s.detector.ScanPorts());
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), s.Slots());
    EXPECT_EQ((std::vector<std::string>{"scan-start", "com1!", "com2!", "com3!", "com4!", "scan-end"}),
              s.ports.Events());
    EXPECT_EQ(0, s.ports.Now());
}

TEST(ScanPorts, WalksThePortsInOrderAndTriesTheWakeProbeOnlyAfterAnEmptyIdentifyingProbe)
{
    Scan s;
    s.ports.Attach("com2", "Kavirex3 V1", "?k");  // answers both, but is a Kavirex3
    s.ports.Attach("com3", "");                   // opens, silent
    s.ports.Attach("com4", "noise", "?k");        // a Kavirex(KRM) reader
    EXPECT_EQ(resultOk, s.detector.ScanPorts());
    EXPECT_EQ((std::vector<int>{readerNone, readerKavirex3, readerNone, readerKrm}), s.Slots());
    EXPECT_EQ((std::vector<std::string>{"scan-start", "com1!", "com2", "com3", "com3", "com4", "com4", "scan-end"}),
              s.ports.Events());
    // Three identifying probes and two wake probes, each with its fixed waits.
    EXPECT_EQ(3 * 1170 + 2 * 150, s.ports.Now());
    EXPECT_EQ(0, s.ports.OpenCount());
}

TEST(ScanPorts, SlotsKeepEarlierFindsAndTakeANewKind)
{
    Scan s;
    s.ports.Attach("com2", "Kavirex3");
    s.ports.Attach("com4", "", ";;");
    EXPECT_EQ(resultOk, s.detector.ScanPorts());
    EXPECT_EQ((std::vector<int>{0, 2, 0, 1}), s.Slots());

    s.ports.Unplug("com2");
    s.ports.Unplug("com4");
    EXPECT_EQ(resultNone, s.detector.ScanPorts());         // nothing found this time...
    EXPECT_EQ((std::vector<int>{0, 2, 0, 1}), s.Slots());  // ...but the slots remember

    s.ports.Attach("com2", "", "?k");  // a Kavirex(KRM) reader now on com2
    EXPECT_EQ(resultOk, s.detector.ScanPorts());
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1}), s.Slots());

    EXPECT_EQ(resultOk, s.detector.ScanPorts());  // the same reader again counts
}

TEST(ScanPorts, SilentPortsAreOpenedTwiceAndKeepTheirSlot)
{
    Scan s;
    for (const char* name : {"com1", "com2", "com3", "com4"})
        s.ports.Attach(name, "");
    EXPECT_EQ(resultNone, s.detector.ScanPorts());
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), s.Slots());
    EXPECT_EQ(4 * (1170 + 150), s.ports.Now());
}

}  // namespace
}  // namespace lesamo::test
