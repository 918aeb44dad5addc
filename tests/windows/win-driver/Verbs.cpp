// The table of verbs: which steps need the program's main dialog and how each verb's
// argument reaches its step; the usage text beside it, so that the two change together.
#include "Verbs.h"

#include "Driver.h"
#include "Screen.h"
#include "Steps.h"

namespace lesamo::driver {
namespace {

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
    {"layout", true, &StepLayout},
    {"shot", true, &Screenshot},
    {"end", true, &RunEnd},
    {"file", false, [](const std::string& argument) { StepFile(argument, true); }},
    {"nofile", false, [](const std::string& argument) { StepFile(argument, false); }},
};

}  // namespace

const Verb* FindVerb(const std::string& name)
{
    for (const Verb& verb : kVerbs)
        if (name == verb.name)
            return &verb;
    return nullptr;
}

const char kUsage[] = "Usage: win-driver [OPTIONS] PROGRAM STEP...\n"
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
                      "  layout:DPI          the dialog in front at DPI: size, controls, texts, picture\n"
                      "  shot:NAME.png       screenshot of the program's windows\n"
                      "  end:HOW[:BOXES]     ok, cancel, escape or close; BOXES: the files whose failure boxes\n"
                      "                      (\"Error: Create File: NAME.INI \") appear on the way, in order,\n"
                      "                      comma-separated, e.g. hbcikrnl,icchscr\n"
                      "  file:NAME=FILE      %windir%\\NAME equals FILE byte for byte\n"
                      "  nofile:NAME         %windir%\\NAME does not exist\n";

}  // namespace lesamo::driver
