// reader-sim's event log: one line per event, written whole.
#include "tools/reader-sim/EventLog_posix.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

namespace lesamo::sim {

EventLog g_log;

void EventLog::Write(const char* format, ...)
{
    char line[1024];
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
    int n = std::snprintf(line, sizeof line, "%7lld ", ms);
    va_list args;
    va_start(args, format);
    n += std::vsnprintf(line + n, sizeof line - n - 1, format, args);
    va_end(args);
    if (n > static_cast<int>(sizeof line) - 2)
        n = sizeof line - 2;
    line[n++] = '\n';
    // One write per line, so a reader of the log never sees half a line.
    [[maybe_unused]] const ssize_t written = ::write(m_fd.Valid() ? m_fd.Get() : 2, line, n);
}

}  // namespace lesamo::sim
