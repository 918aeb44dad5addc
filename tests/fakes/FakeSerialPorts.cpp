// The scripted serial ports of the unit tests.
#include "tests/fakes/FakeSerialPorts.h"

#include <algorithm>
#include <cstring>

namespace lesamo::test {

class FakePort : public SerialPort {
public:
    FakePort(FakeSerialPorts& owner, std::string name) : m_owner(owner), m_name(std::move(name))
    {
        ++m_owner.m_openCount;
        Record("open");
    }
    ~FakePort() override
    {
        Record("close");
        --m_owner.m_openCount;
    }
    void Configure(const LineSettings& s) override
    {
        m_baud = s.baudRate;
        std::string token = std::to_string(s.baudRate) + "-" + std::to_string(s.byteSize) +
                            (s.parity == Parity::Even ? "E" : "N") + (s.stopBits == StopBits::Two ? "2" : "1");
        Record(token);
        if (s.parityCheck)
            Record("check");
    }
    void SetLine(ControlLine line, bool on) override
    {
        Record(std::string(line == ControlLine::Dtr ? "dtr" : "rts") + (on ? "+" : "-"));
    }
    void Pause(std::chrono::milliseconds time) override
    {
        m_owner.m_nowMs += time.count();
        Record("wait" + std::to_string(time.count()));
    }
    void SetReadTimeouts(const ReadTimeouts& t) override
    {
        Record("timeouts" + std::to_string(t.intervalMs) + "/" + std::to_string(t.totalMultiplierMs) + "/" +
               std::to_string(t.totalConstantMs));
    }
    std::size_t Read(char* buffer, std::size_t size) override
    {
        Record("read" + std::to_string(size));
        const FakeSerialPorts::Device& device = m_owner.m_devices[m_name];
        if (device.failReads)
            return 0;
        const std::string& reply = m_baud == 1200 ? device.identifyReply : device.wakeReply;
        const std::size_t count = std::min(size, reply.size());
        std::copy_n(reply.data(), count, buffer);
        return count;
    }
    void DiscardInput() override { Record("purge"); }

private:
    void Record(const std::string& token)
    {
        std::string& log = m_owner.m_logs[m_name];
        if (!log.empty())
            log += ' ';
        log += token;
    }
    FakeSerialPorts& m_owner;
    std::string m_name;
    unsigned m_baud = 0;
};

void FakeSerialPorts::Attach(const std::string& name, const std::string& identifyReply, const std::string& wakeReply)
{
    Device& device = m_devices[name];
    device.identifyReply = identifyReply;
    device.wakeReply = wakeReply;
    device.present = true;
}

void FakeSerialPorts::Unplug(const std::string& name)
{
    m_devices[name].present = false;
}
void FakeSerialPorts::Hold(const std::string& name)
{
    m_devices[name].held = true;
}
void FakeSerialPorts::FailReads(const std::string& name)
{
    m_devices[name].failReads = true;
}

std::unique_ptr<SerialPort> FakeSerialPorts::Open(const std::string& name)
{
    const auto it = m_devices.find(name);
    if (it == m_devices.end() || !it->second.present || it->second.held) {
        m_events.push_back(name + "!");
        return nullptr;
    }
    m_events.push_back(name);
    return std::make_unique<FakePort>(*this, name);
}

std::string FakeSerialPorts::Log(const std::string& name) const
{
    const auto it = m_logs.find(name);
    return it == m_logs.end() ? std::string() : it->second;
}

void FakeSerialPorts::ClearLogs()
{
    m_logs.clear();
    m_events.clear();
}

}  // namespace lesamo::test
