// Runs reader-sim as a child process with its ports mapped into a throwaway Wine-style prefix
// (WINEPREFIX points there while it runs), so tests probe real pseudo-terminals.
#pragma once

#include <string>
#include <vector>

namespace lesamo::test {

class ReaderSimProcess {
public:
    /// Starts reader-sim with `ports` ("com1=kavirex3", ...) plus `extraArgs` and waits until
    /// its ports are up. Ports not named get "none", so every dosdevices entry com1..com4
    /// exists and no name falls through to a real serial device.
    explicit ReaderSimProcess(const std::vector<std::string>& ports, const std::vector<std::string>& extraArgs = {});
    /// Stops the simulator, restores WINEPREFIX and removes the prefix.
    ~ReaderSimProcess();
    ReaderSimProcess(const ReaderSimProcess&) = delete;
    ReaderSimProcess& operator=(const ReaderSimProcess&) = delete;

    /// True once all ports were announced.
    bool Ready() const { return m_ready; }
    const std::string& Prefix() const { return m_prefix; }
    /// "<prefix>/dosdevices/comN".
    std::string Link(const std::string& port) const;
    /// The device behind `port` as last announced in the ready file.
    std::string Device(const std::string& port) const;
    /// Changes a port at run time ("com2=none") and waits until the change is announced.
    bool Change(const std::string& assignment);
    /// The simulator's event log so far.
    std::string Log() const;
    /// The log lines of one port ("com2"), without their time stamps.
    std::vector<std::string> PortLog(const std::string& port) const;
    /// Stops the simulator with `signal` and returns its exit status, -1 when it did not exit.
    int Stop(int signal = 15 /* SIGTERM */);

private:
    std::vector<std::string> ReadyLines() const;
    bool WaitForReadyLines(std::size_t count);

    std::string m_prefix;
    std::string m_oldWinePrefix;
    bool m_hadWinePrefix = false;
    int m_pid = -1;
    int m_commands = -1;  // the simulator's standard input
    int m_exitStatus = -1;
    bool m_ready = false;
};

}  // namespace lesamo::test
