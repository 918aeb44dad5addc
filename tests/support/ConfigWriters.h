// A detector whose writers work in a throwaway Windows directory, with recorded messages.
#pragma once

#include <string>
#include <vector>

#include "detect/ReaderDetector.h"
#include "tests/fakes/FakeSerialPorts.h"
#include "tests/fakes/RecordingNotice.h"
#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {

struct ConfigWriters {
    TempDir windowsDir;
    ScopedEnv windir{"windir", windowsDir.Path().string().c_str()};
    ScopedEnv veskrexdir{"veskrexdir", nullptr};
    FakeSerialPorts ports;
    RecordingNotice notice;
    CReaderDetector detector{ports, notice};

    /// Slots for com1 to com4.
    void Slots(int com1, int com2, int com3, int com4)
    {
        detector.m_nPortKind[0] = com1;
        detector.m_nPortKind[1] = com2;
        detector.m_nPortKind[2] = com3;
        detector.m_nPortKind[3] = com4;
    }
    std::filesystem::path File(std::string_view name) const { return windowsDir / name; }
};

}  // namespace lesamo::test
