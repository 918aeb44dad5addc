// reader-sim's simulator: the ports' pseudo-terminals, the links to them, the ready file,
// commands on standard input and the loop that ticks every port.
#pragma once

#include <array>
#include <csignal>
#include <string>
#include <vector>

#include "common/FileDescriptor_posix.h"
#include "tools/reader-sim/SimPort_posix.h"

namespace lesamo::sim {

class Simulator {
public:
    std::string linkDir;
    std::string readyFile;
    std::array<Port, 4> ports;
    std::vector<int> order;  // ports in the order first named

    /// Plugs in every port named, makes the links and writes the ready file; false (with the
    /// reason on standard error) when something cannot be set up.
    bool Start();
    /// Runs until `stop` is set (by a signal), then stops.
    void Run(const volatile std::sig_atomic_t& stop);
    /// Closes every pseudo-terminal and removes the links made.
    void Stop();

private:
    FileDescriptor m_inotify;
    std::vector<std::string> m_readyLines;

    std::string LinkPath(const Port& p) const { return linkDir + "/" + p.Name(); }
    bool Plug(Port& p);
    void Unplug(Port& p);
    bool UpdateLink(const Port& p);
    void WriteReady();
    bool ReadCommands(std::string& pending);
    void Command(const std::string& line);
    Port* PortOfWatch(int watch);
    void ReadOpenEvents();
    void Tick(Port& p);
    void Hangup(Port& p);
};

}  // namespace lesamo::sim
