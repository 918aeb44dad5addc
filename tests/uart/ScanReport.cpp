// The scan of the line tests: the real detector on the real back end of this platform.
#include "tests/uart/ScanReport.h"

#include <cstdio>

#include "tests/fakes/RecordingNotice.h"

namespace lesamo::test {

int ReportScan()
{
    RecordingNotice notice;  // a scan shows no messages; the writers are not used
    CReaderDetector detector(SystemPorts(), notice);
    const int found = detector.ScanPorts();
    ReportSlots(detector);
    return found;
}

void ReportSlots(const CReaderDetector& detector, const char* prefix)
{
    for (int i = 0; i < kPortCount; ++i) {
        const int kind = detector.m_nPortKind[i];
        std::printf("%scom%d %s\n", prefix, i + 1,
                    kind == readerKavirex3 ? "kavirex3" : kind == readerKrm ? "krm" : "none");
    }
    std::fflush(stdout);
}

}  // namespace lesamo::test
