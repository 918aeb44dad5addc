// One simulated port of reader-sim and where a probe stands on it: which probe holds the line
// (seen from the line settings and the opens of the device), and what the port's behaviour
// makes it answer.
#pragma once

#include <termios.h>

#include <chrono>
#include <string>

#include "common/FileDescriptor_posix.h"
#include "tools/reader-sim/SimBehaviour.h"

namespace lesamo::sim {

using Clock = std::chrono::steady_clock;

enum class Probe { None, Identify, Wake };

/// What the port keeps of the settings a probe makes: speed and framing.
struct LineState {
    speed_t speed = 0;
    tcflag_t cflag = 0;
    bool operator==(const LineState&) const = default;
};

struct Port {
    int index = 0;  // 0 for com1
    Behaviour behaviour;
    bool active = false;  // named on the command line or by a command
    FileDescriptor master;
    FileDescriptor slave;  // our own: keeps the pty alive and shows its settings
    int watch = -1;
    std::string path;  // slave path, or the missing path for "none"
    LineState seen;
    Probe lastClass = Probe::None;
    Probe holding = Probe::None;  // the probe that holds the line right now
    Clock::time_point holdStart;
    bool answered = false;
    long long flooded = 0;
    int openers = 0;          // opens of the slave by others, from inotify
    bool masterIdle = false;  // read gave EIO: no poll on it until a tick reads again

    std::string Name() const { return "com" + std::to_string(index + 1); }

    /// Another program opened or closed the device.
    void Opened();
    void Closed();

    /// One step of the simulation: takes in what was sent, follows the line settings and
    /// answers as the behaviour says. True when the port is to hang up now, which the
    /// simulator does by plugging in a new device.
    [[nodiscard]] bool Tick();

private:
    void StartHold(Probe probe);
    void EndHold();
    void Drain();
    void WatchLine();
};

}  // namespace lesamo::sim
