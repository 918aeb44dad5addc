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
    /// Runs until `stop` is set (by a signal), then stops. False when it stopped because a
    /// change could not be announced in the ready file (the reason on standard error): a
    /// script waiting for that line would wait for ever.
    bool Run(const volatile std::sig_atomic_t& stop);
    /// Closes every pseudo-terminal and removes the links made.
    void Stop();

private:
    FileDescriptor m_inotify;
    FileDescriptor m_ready;  // the ready file, kept open to add a line per change
    bool m_readyFailed = false;

    std::string LinkPath(const Port& p) const { return linkDir + "/" + p.Name(); }
    bool Plug(Port& p);
    void Unplug(Port& p);
    bool UpdateLink(const Port& p);
    bool WriteReady(const std::string& text);
    void AnnounceChange(const Port& p);
    bool ReadCommands(std::string& pending);
    void Command(const std::string& line);
    Port* PortOfWatch(int watch);
    void ReadOpenEvents();
    void Tick(Port& p);
    void Hangup(Port& p);
};

}  // namespace lesamo::sim
