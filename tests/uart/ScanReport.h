// One scan of com1..com4 on the platform's serial back end, reported one port a line.
#pragma once

#include "detect/ReaderDetector.h"

namespace lesamo::test {

/// Scans the system's ports and prints "comN <kind>" for each (kind: kavirex3, krm or none).
/// Returns the scan's result (resultOk when a reader was found).
int ReportScan();

/// Prints the detector's slots as ReportScan does, each line after `prefix`.
void ReportSlots(const CReaderDetector& detector, const char* prefix = "");

}  // namespace lesamo::test
