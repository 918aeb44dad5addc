// win-driver: starts lesamo.exe, finds its dialogs by caption and their controls by id, and
// drives them the way a user would (clicks, keys, the system menu), checking what appears:
// texts byte for byte in the ANSI code page, styles, tab order, positions, resources, files,
// the exit status. Writes PNG screenshots. Exit status 0 when every step passed.
// This file is the entry: the options, the watchdog, and the steps in order, each run through
// the table of verbs.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Driver.h"
#include "Verbs.h"

namespace lesamo::driver {
namespace {

DWORD WINAPI Watchdog(LPVOID)
{
    Sleep(g_options.timeoutMs);
    Log("FAIL: the run took longer than %lu s", g_options.timeoutMs / 1000);
    KillApp();
    ExitProcess(2);
}

int Run(int argc, char** argv)
{
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            Abort(option + " needs a value\n" + kUsage);
        const std::string value = argv[i + 1];
        if (option == "--env")
            g_options.env.push_back(value);
        else if (option == "--shots")
            g_options.shotDir = WindowsPath(value);
        else if (option == "--timeout")
            g_options.timeoutMs = static_cast<DWORD>(std::stoul(value)) * 1000;
        else
            Abort("unknown option " + option + "\n" + kUsage);
    }
    if (i >= argc) {
        std::fputs(kUsage, stdout);
        return 2;
    }
    g_options.program = WindowsPath(argv[i++]);
    // The program inherits the driver's environment; the file steps read %windir% here too.
    for (const std::string& assignment : g_options.env) {
        const std::size_t eq = assignment.find('=');
        SetEnvironmentVariableA(assignment.substr(0, eq).c_str(),
                                eq == std::string::npos ? nullptr : assignment.substr(eq + 1).c_str());
    }
    CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr);

    for (; i < argc; ++i) {
        const std::string step = argv[i];
        const std::size_t colon = step.find(':');
        const std::string name = step.substr(0, colon);
        const std::string arg = colon == std::string::npos ? std::string() : step.substr(colon + 1);
        Log("-- %s", step.c_str());
        const Verb* verb = FindVerb(name);
        // An unknown step is refused like one that needs the program: before "start" it reads
        // "not running", as it always has.
        if ((!verb || verb->needsProgram) && !g_main)
            Abort("the program is not running");
        if (!verb)
            Abort("unknown step " + step + "\n" + kUsage);
        verb->run(arg);
    }
    if (g_main) {
        Log("closing the program");
        KillApp();
    }
    Log(g_failures ? "%d check(s) failed" : "all checks passed", g_failures);
    return g_failures ? 1 : 0;
}

}  // namespace
}  // namespace lesamo::driver

int main(int argc, char** argv)
{
    return lesamo::driver::Run(argc, argv);
}
