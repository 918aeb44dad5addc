// win-driver: starts lesamo.exe, finds its dialogs by caption and their controls by id, and
// drives them the way a user would (clicks, keys, the system menu), checking what appears:
// texts byte for byte in the ANSI code page, styles, tab order, positions, resources, files,
// the exit status. Writes PNG screenshots. Exit status 0 when every step passed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Driver.h"
#include "Screen.h"
#include "Steps.h"

namespace lesamo::driver {
namespace {

// ---- Command line --------------------------------------------------------------------------

constexpr char kUsage[] =
    "Usage: win-driver [OPTIONS] PROGRAM STEP...\n"
    "  --env NAME=VALUE    environment of the program (repeatable)\n"
    "  --shots DIR         where screenshots go (default: current directory)\n"
    "  --timeout SECONDS   the whole run (default 60)\n"
    "Steps, in order:\n"
    "  resources           the executable's resources (needs no running program)\n"
    "  put:NAME=FILE       copy FILE to %windir%\\NAME before the start\n"
    "  start               start the program and wait for the main dialog\n"
    "  detach              leave the program running (for a later run's attach)\n"
    "  attach              take over the running program by its main dialog\n"
    "  template            controls, texts, styles, positions and tab order of the main dialog\n"
    "  search:RESULT       Leser suchen; RESULT is none or e.g. krm@1+kavirex3@3\n"
    "  about-menu          open the About box by keyboard through the system menu\n"
    "  about-command       open it with the system command alone\n"
    "  close-about:HOW     ok, enter or escape\n"
    "  help                press F1\n"
    "  minimize, restore   minimise the main dialog, restore it\n"
    "  shot:NAME.png       screenshot of the program's windows\n"
    "  end:HOW[:BOXES]     ok, cancel, escape or close; BOXES: the files whose failure boxes\n"
    "                      (\"Error: Create File: NAME.INI \") appear on the way, in order,\n"
    "                      comma-separated, e.g. hbcikrnl,icchscr\n"
    "  file:NAME=FILE      %windir%\\NAME equals FILE byte for byte\n"
    "  nofile:NAME         %windir%\\NAME does not exist\n";

/// One step of the command line: its verb (the text before the first colon), whether it
/// needs the program's main dialog (after "start" or "attach"), and what it does with the
/// text after the colon.
struct Verb {
    const char* name;
    bool needsProgram;
    void (*run)(const std::string& argument);
};

/// "end:HOW[:BOXES]": the way to end, then the files whose failure boxes appear.
void RunEnd(const std::string& argument)
{
    const std::size_t colon = argument.find(':');
    StepEnd(argument.substr(0, colon), colon == std::string::npos ? std::string() : argument.substr(colon + 1));
}

const Verb kVerbs[] = {
    {"resources", false, [](const std::string&) { StepResources(); }},
    {"put", false, &StepPut},
    {"start", false, [](const std::string&) { StartProgram(); }},
    {"attach", false, [](const std::string&) { AttachProgram(); }},
    // The program keeps running for a later "attach".
    {"detach", true, [](const std::string&) { g_main = nullptr; }},
    {"template", true, [](const std::string&) { StepTemplate(); }},
    {"search", true, &StepSearch},
    {"about-menu", true, [](const std::string&) { StepOpenAbout(true); }},
    {"about-command", true, [](const std::string&) { StepOpenAbout(false); }},
    {"close-about", true, &StepCloseAbout},
    {"help", true, [](const std::string&) { StepHelp(); }},
    {"minimize", true, [](const std::string&) { StepMinimize(); }},
    {"restore", true, [](const std::string&) { StepRestore(); }},
    {"shot", true, &Screenshot},
    {"end", true, &RunEnd},
    {"file", false, [](const std::string& argument) { StepFile(argument, true); }},
    {"nofile", false, [](const std::string& argument) { StepFile(argument, false); }},
};

const Verb* FindVerb(const std::string& name)
{
    for (const Verb& verb : kVerbs)
        if (name == verb.name)
            return &verb;
    return nullptr;
}

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
