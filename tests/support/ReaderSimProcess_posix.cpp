// reader-sim as a child process of a test.
#include "tests/support/ReaderSimProcess_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace lesamo::test {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(5);

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ReaderSimProcess::ReaderSimProcess(const std::vector<std::string>& ports, const std::vector<std::string>& extraArgs)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lesamo-sim-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    m_prefix = pattern;
    std::filesystem::create_directory(m_prefix + "/dosdevices");

    if (const char* old = std::getenv("WINEPREFIX")) {
        m_hadWinePrefix = true;
        m_oldWinePrefix = old;
    }
    ::setenv("WINEPREFIX", m_prefix.c_str(), 1);

    std::vector<std::string> args = {LESAMO_READER_SIM,   "--link-dir", m_prefix + "/dosdevices", "--ready",
                                     m_prefix + "/ready", "--log",      m_prefix + "/log"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    for (char digit = '1'; digit <= '4'; ++digit) {
        const std::string name = std::string("com") + digit;
        std::string assignment = name + "=none";
        for (const std::string& port : ports)
            if (port.compare(0, 5, name + "=") == 0)
                assignment = port;
        args.push_back(assignment);
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on. The simulator must not outlive a test
        // that crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::dup2(pipeFds[0], 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[0]);
    m_commands = pipeFds[1];
    if (pid < 0)
        return;
    m_pid = pid;
    m_ready = WaitForReadyLines(4);
}

ReaderSimProcess::~ReaderSimProcess()
{
    Stop();
    if (m_hadWinePrefix)
        ::setenv("WINEPREFIX", m_oldWinePrefix.c_str(), 1);
    else
        ::unsetenv("WINEPREFIX");
    if (!m_prefix.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_prefix, ignored);
    }
}

std::string ReaderSimProcess::Link(const std::string& port) const
{
    return m_prefix + "/dosdevices/" + port;
}

std::vector<std::string> ReaderSimProcess::ReadyLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(ReadWhole(m_prefix + "/ready"));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool ReaderSimProcess::WaitForReadyLines(std::size_t count)
{
    const auto end = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < end) {
        if (ReadyLines().size() >= count)
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;  // it gave up (bad arguments, no ptys)
            m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

std::string ReaderSimProcess::Device(const std::string& port) const
{
    std::string device;
    for (const std::string& line : ReadyLines())
        if (line.compare(0, port.size() + 1, port + " ") == 0)
            device = line.substr(port.size() + 1);
    return device;
}

bool ReaderSimProcess::Change(const std::string& assignment)
{
    if (m_pid < 0)
        return false;
    const std::size_t before = ReadyLines().size();
    const std::string line = assignment + "\n";
    if (::write(m_commands, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return false;
    return WaitForReadyLines(before + 1);
}

std::string ReaderSimProcess::Log() const
{
    return ReadWhole(m_prefix + "/log");
}

std::vector<std::string> ReaderSimProcess::PortLog(const std::string& port) const
{
    std::vector<std::string> lines;
    std::istringstream in(Log());
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string stamp, name;
        fields >> stamp >> name;
        if (name == port) {
            std::string rest;
            std::getline(fields >> std::ws, rest);
            lines.push_back(rest);
        }
    }
    return lines;
}

int ReaderSimProcess::Stop(int signal)
{
    if (m_commands >= 0) {
        ::close(m_commands);
        m_commands = -1;
    }
    if (m_pid < 0)
        return m_exitStatus;
    ::kill(m_pid, signal);
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    pid_t done = 0;
    while ((done = ::waitpid(m_pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (done == 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
    m_exitStatus = done == 0 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
    return m_exitStatus;
}

}  // namespace lesamo::test
