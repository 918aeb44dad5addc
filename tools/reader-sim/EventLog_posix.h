// reader-sim's event log: one line per event, stamped with the milliseconds since the start,
// which the tests and a user read to see what a probe did on a port.
#pragma once

#include <chrono>
#include <utility>

#include "common/FileDescriptor_posix.h"

namespace lesamo::sim {

class EventLog {
public:
    /// Writes to `fd` from now on; standard error until then.
    void Open(FileDescriptor fd) { m_fd = std::move(fd); }
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    FileDescriptor m_fd;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

/// The simulator's one log.
extern EventLog g_log;

}  // namespace lesamo::sim
