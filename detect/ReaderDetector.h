// CReaderDetector: the four port slots, the scan that fills them, the two reader probes and
// the two configuration-file writers that read them.
#pragma once

#include <string>

#include "common/Notice.h"
#include "common/ReaderTypes.h"
#include "detect/SerialPort.h"

namespace lesamo {

class CReaderDetector {
public:
    /// `ports` and `notice` must outlive the detector.
    CReaderDetector(PortOpener& ports, Notice& notice);
    virtual ~CReaderDetector();
    CReaderDetector(const CReaderDetector&) = delete;
    CReaderDetector& operator=(const CReaderDetector&) = delete;

    /// Probes com1 to com4 and updates the slots; a slot changes only when a reader is found.
    /// Returns resultOk when this scan found a reader on any port, else resultNone.
    /// Blocks about 1.3 s for every port that opens and about 0.25 s more when the wake probe runs.
    int ScanPorts();

    /// The identifying probe (1200 baud). Blocks about 1.3 s on a port that opens.
    /// Returns resultFailed (port not opened), resultNone or resultOk.
    int ProbeKavirex3(const std::string& portName);

    /// The wake probe (9600 baud). Blocks about 250 ms on a port that opens.
    /// Returns resultFailed (port not opened), resultNone or resultOk.
    int ProbeKrm(const std::string& portName);

    /// Writes icchscr.ini anew in the Windows directory. Returns resultOk, or resultFailed
    /// after a message box when the file cannot be created or written.
    int WriteIccFile();

    /// Merges hbcikrnl.ini in the Windows directory. Returns resultOk, or resultFailed
    /// after a message box when the file cannot be created or written, or when the old file
    /// cannot be read or merged (too large, or UTF-16); the old file then stays as it was.
    int WriteHbciFile();

    /// One ReaderKind per port, index 0 for com1.
    int m_nPortKind[kPortCount];

private:
    PortOpener& m_ports;
    Notice& m_notice;
};

}  // namespace lesamo
