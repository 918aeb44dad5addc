// CReaderDetector: construction and the port scan.
#include "detect/ReaderDetector.h"

namespace lesamo {

CReaderDetector::CReaderDetector(PortOpener& ports, Notice& notice)
    : m_nPortKind{readerNone, readerNone, readerNone, readerNone}, m_ports(ports), m_notice(notice)
{
}

CReaderDetector::~CReaderDetector() = default;

int CReaderDetector::ScanPorts()
{
    m_ports.ScanStarting();
    int found = resultNone;
    for (char digit = '1'; digit <= '4'; ++digit) {
        std::string name = "comX";
        name[3] = digit;
        int& slot = m_nPortKind[digit - '1'];
        const int kavirex3 = ProbeKavirex3(name);
        if (kavirex3 == resultOk) {
            slot = readerKavirex3;
            found = resultOk;
        } else if (kavirex3 == resultNone && ProbeKrm(name) == resultOk) {
            slot = readerKrm;
            found = resultOk;
        }
        // resultFailed: the port did not open, so the wake probe is not tried either.
    }
    m_ports.ScanFinished();
    return found;
}

}  // namespace lesamo
