// reader-sim: pseudo-terminals that answer the identifying and the wake probe as the two reader
// kinds do, for the tests, the demo and users without hardware. This file reads the command
// line and the signals; Simulator_posix.cpp runs the ports.
#include <fcntl.h>
#include <signal.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "common/FileDescriptor_posix.h"
#include "common/StandardOptions.h"
#include "tools/reader-sim/EventLog_posix.h"
#include "tools/reader-sim/SimBehaviour.h"
#include "tools/reader-sim/Simulator_posix.h"

namespace {

constexpr char kUsage[] =
    "Usage: lesamo-reader-sim [--link-dir DIR] [--ready FILE] [--log FILE] PORT=BEHAVIOUR ...\n"
    "       lesamo-reader-sim --help | --version\n"
    "\n"
    "Simulates chip-card readers on pseudo-terminals, one per port.\n"
    "\n"
    "  PORT       com1 .. com4\n"
    "  BEHAVIOUR  kavirex3[@MS][:TEXT]  answers the identifying probe (1200 baud, 2 stop bits)\n"
    "                                   with TEXT (default \"Kavirex3 V1.0\\r\\n\") MS ms after the\n"
    "                                   probe set its line (default 500)\n"
    "             krm[@MS][:TEXT]       answers the wake probe (9600 baud) with TEXT (default \"?0\")\n"
    "                                   MS ms after the probe set its line (default 40)\n"
    "             silent                a line that never answers\n"
    "             flood                 sends bytes without pause while a probe holds the line\n"
    "             hangup                hangs up 50 ms after a probe set its line, then comes back\n"
    "                                   as a new pseudo-terminal\n"
    "             none                  no device: the link points to a path that does not exist\n"
    "  TEXT may hold the escapes \\r \\n \\xHH \\\\.\n"
    "\n"
    "  --link-dir DIR  makes DIR/comN a symbolic link to the port's device (for Wine:\n"
    "                  $WINEPREFIX/dosdevices); the links are removed on exit\n"
    "  --ready FILE    once all ports are up, writes one line \"comN PATH\" per port to FILE\n"
    "                  (replaced atomically); every later change of a port adds a line;\n"
    "                  when it cannot be written, the simulator ends with status 1\n"
    "  --log FILE      event log (default: standard error), one line per event, time in ms\n"
    "  --help, -h      prints this help and ends\n"
    "  --version       prints the version and ends\n"
    "\n"
    "Lines \"PORT=BEHAVIOUR\" on standard input change a port while running: the old device is\n"
    "unplugged and a new one plugged in (\"com2=none\" just unplugs). End of input does not end\n"
    "the simulator; SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1 or SIGUSR2 removes the links\n"
    "and ends it.\n";

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

}  // namespace

int main(int argc, char** argv)
{
    lesamo::sim::Simulator sim;
    std::string logFile;
    for (int i = 0; i < 4; ++i)
        sim.ports[i].index = i;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (const auto status = lesamo::AnswerStandardOption(arg, "lesamo-reader-sim", kUsage))
            return *status;
        if ((arg == "--link-dir" || arg == "--ready" || arg == "--log") && i + 1 < argc) {
            (arg == "--link-dir" ? sim.linkDir : arg == "--ready" ? sim.readyFile : logFile) = argv[++i];
            continue;
        }
        const auto assignment = lesamo::sim::ParseAssignment(arg);
        if (!assignment || sim.ports[assignment->port].active) {
            std::fprintf(stderr, "lesamo-reader-sim: %s: %s (see lesamo-reader-sim --help)\n", argv[i],
                         assignment ? "port named twice" : "not understood");
            return 2;
        }
        lesamo::sim::Port& p = sim.ports[assignment->port];
        p.behaviour = assignment->behaviour;
        p.active = true;
        sim.order.push_back(p.index);
    }
    if (sim.order.empty()) {
        std::fprintf(stderr, "lesamo-reader-sim: no port given (see lesamo-reader-sim --help)\n");
        return 2;
    }
    if (!logFile.empty()) {
        lesamo::FileDescriptor fd(
            ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!fd.Valid()) {
            std::fprintf(stderr, "lesamo-reader-sim: cannot open %s: %s\n", logFile.c_str(), std::strerror(errno));
            return 2;
        }
        lesamo::sim::g_log.Open(std::move(fd));
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Every signal that would end it from outside: the links it made must not outlive it.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    if (!sim.Start()) {
        sim.Stop();
        return 1;
    }
    return sim.Run(g_stop) ? 0 : 1;
}
