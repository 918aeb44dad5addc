// What every part of win-driver shares: the options, the program under test and its two
// dialogs, and how a step reports (the log, failed checks, the end of the run).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lesamo::driver {

struct Options {
    std::string program;
    std::vector<std::string> env;
    std::string shotDir = ".";
    DWORD timeoutMs = 60000;
};

extern Options g_options;
extern PROCESS_INFORMATION g_app;
extern HWND g_main;   // the main dialog, once "start" or "attach" found it
extern HWND g_about;  // the About box while it is open
extern int g_failures;

void Log(const char* format, ...);

/// `text` with line breaks, control and non-ASCII bytes spelt out, for the log.
std::string Escaped(const std::string& text);

/// A Unix path (from the scripts under Wine) as the Windows path of Wine's drive Z:.
std::string WindowsPath(const std::string& path);

void KillApp();

/// Ends the run at once with exit status 1: a step that cannot go on.
[[noreturn]] void Abort(const std::string& message);

/// Counts a failed check and logs it; the run goes on.
bool Check(bool condition, const std::string& what);
bool CheckText(const std::string& actual, const std::string& expected, const std::string& what);

std::string Hex(unsigned long value);

/// The application's name: the executable's file name without its extension.
std::string AppName();

}  // namespace lesamo::driver
