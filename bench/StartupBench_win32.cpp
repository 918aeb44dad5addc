// Start-up time of Windows dialog programs under Wine: from CreateProcess to the program's
// first dialog being visible and ready for input (the process waits for input, as
// WaitForInputIdle tells, and a visible dialog window of it exists). The programs take turns,
// run after run, so drifts of a noisy machine fall on all of them alike; the first FLOORS
// programs (default 1) are the floors, and every program's median is given as a ratio to each
// of them. Each dialog is closed with WM_CLOSE afterwards.
//
// usage: startup-bench [--runs N] [--floors K] FLOOR.EXE... PROGRAM.EXE...   (Windows paths)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) && std::strcmp(className, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

/// One start of `program`; the time to its visible, idle dialog in ms, or a negative value.
double StartOnce(const std::string& program)
{
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, ready;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "startup-bench: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return -1;
    }
    Search search = {process.dwProcessId, nullptr};
    const DWORD idle = WaitForInputIdle(process.hProcess, 30000);
    for (int i = 0; idle == 0 && !search.found && i < 30000; ++i) {
        EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    QueryPerformanceCounter(&ready);
    if (search.found)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "startup-bench: %s did not end after WM_CLOSE\n", program.c_str());
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!search.found) {
        std::fprintf(stderr, "startup-bench: %s showed no dialog ready for input\n", program.c_str());
        return -1;
    }
    return Milliseconds(start, ready);
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    std::size_t floors = 1;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--floors") == 0 && i + 1 < argc)
            floors = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else
            programs.push_back(argv[i]);
    }
    if (programs.size() <= floors) {
        std::fprintf(stderr, "usage: startup-bench [--runs N] [--floors K] FLOOR.EXE... PROGRAM.EXE...\n");
        return 2;
    }
    // One start each first, unmeasured: the first start of a program fills Wine's caches.
    for (const std::string& program : programs)
        if (StartOnce(program) < 0)
            return 1;
    std::vector<std::vector<double>> times(programs.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const double ms = StartOnce(programs[p]);
            if (ms < 0)
                return 1;
            times[p].push_back(ms);
        }
    std::vector<double> floorMedians;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double>& t = times[p];
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        if (p < floors)
            floorMedians.push_back(median);
        const std::size_t slash = programs[p].find_last_of("\\/");
        std::printf("%-24s min %7.1f  median %7.1f  max %7.1f ms  ratio",
                    programs[p].substr(slash == std::string::npos ? 0 : slash + 1).c_str(), t.front(), median,
                    t.back());
        for (const double floorMedian : floorMedians)
            std::printf(" %.3f", median / floorMedian);
        std::printf("  (%d runs)\n", runs);
    }
    return 0;
}
