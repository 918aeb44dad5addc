// The scan of the line tests: the real detector on the real back end of this platform.
#include "tests/uart/ScanReport.h"

#include <cstdio>

#include "detect/ReaderDetector.h"
#include "tests/fakes/RecordingNotice.h"

namespace lesamo::test {

int ReportScan()
{
    RecordingNotice notice;  // a scan shows no messages; the writers are not used
    CReaderDetector detector(SystemPorts(), notice);
    const int found = detector.ScanPorts();
    for (int i = 0; i < kPortCount; ++i) {
        const int kind = detector.m_nPortKind[i];
        std::printf("com%d %s\n", i + 1,
                    kind == readerKavirex3 ? "kavirex3" : kind == readerKrm ? "krm" : "none");
    }
    std::fflush(stdout);
    return found;
}

}  // namespace lesamo::test
