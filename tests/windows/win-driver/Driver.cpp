// The driver's shared state and its reporting: the log, checks that count failures, and an
// abort that takes the program down with the run.
#include "Driver.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace lesamo::driver {

Options g_options;
PROCESS_INFORMATION g_app{};
HWND g_main = nullptr;
HWND g_about = nullptr;
int g_failures = 0;

void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

void KillApp()
{
    if (g_app.hProcess && WaitForSingleObject(g_app.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(g_app.hProcess, 99);
}

[[noreturn]] void Abort(const std::string& message)
{
    Log("FAIL: %s", message.c_str());
    KillApp();
    std::fflush(stdout);
    ExitProcess(1);
}

bool Check(bool condition, const std::string& what)
{
    if (!condition) {
        Log("FAIL: %s", what.c_str());
        ++g_failures;
    }
    return condition;
}

bool CheckText(const std::string& actual, const std::string& expected, const std::string& what)
{
    return Check(actual == expected, what + ": \"" + Escaped(actual) + "\", expected \"" + Escaped(expected) + "\"");
}

std::string Hex(unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

std::string AppName()
{
    std::string name = g_options.program;
    name.erase(0, name.find_last_of("\\/") + 1);
    name.erase(name.rfind('.'));
    return name;
}

}  // namespace lesamo::driver
