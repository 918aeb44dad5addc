// A scripted stand-in for the serial ports: records every call as text with a virtual clock
// and plays the replies of attached readers, so probes are checked without waiting.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "detect/SerialPort.h"

namespace lesamo::test {

class FakeSerialPorts : public PortOpener {
public:
    /// Attaches a device to `name` that answers both probes with `reply`.
    void Attach(const std::string& name, const std::string& reply) { Attach(name, reply, reply); }
    /// Attaches a device that answers the 1200-baud probe with `identifyReply` and the
    /// 9600-baud probe with `wakeReply`.
    void Attach(const std::string& name, const std::string& identifyReply, const std::string& wakeReply);
    /// The device is gone: opening it fails.
    void Unplug(const std::string& name);
    /// Opening fails as if another program held the port.
    void Hold(const std::string& name);
    /// Every later read on `name` fails (returns 0 bytes).
    void FailReads(const std::string& name);

    std::unique_ptr<SerialPort> Open(const std::string& name) override;
    void ScanStarting() override { m_events.push_back("scan-start"); }
    void ScanFinished() override { m_events.push_back("scan-end"); }

    /// Everything done to `name` since the last ClearLogs, as space-separated tokens.
    std::string Log(const std::string& name) const;
    /// Names in the order Open was called, with "!" behind those that failed.
    const std::vector<std::string>& Events() const { return m_events; }
    /// Virtual milliseconds spent in waits so far.
    long long Now() const { return m_nowMs; }
    /// Number of ports open right now.
    int OpenCount() const { return m_openCount; }
    void ClearLogs();

private:
    friend class FakePort;
    struct Device {
        std::string identifyReply;
        std::string wakeReply;
        bool present = false;
        bool held = false;
        bool failReads = false;
    };
    std::map<std::string, Device> m_devices;
    std::map<std::string, std::string> m_logs;
    std::vector<std::string> m_events;
    long long m_nowMs = 0;
    int m_openCount = 0;
};

}  // namespace lesamo::test
