// The start-up code of the terminal program: the framework's main routine. The application
// object is constructed by the static initialisers; this answers --help and --version, then
// names it and runs it.
#include <cstdio>
#include <string>
#include <string_view>

#include <unistd.h>

#include "common/StandardOptions.h"
#include "common/Texts.h"
#include "ui/Framework.h"
#include "ui/curses/Terminal.h"

int main(int argc, char** argv)
{
    using namespace lesamo;
    const std::string appName = AppNameFromPath(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    // No arguments but the two every Linux program answers: anything else is a mistake that
    // ends the program, rather than being passed over on the way to a dialog that writes files.
    if (argc > 1) {
        if (const auto status = AnswerStandardOption(argv[1], "lesamo", TXT_TERM_USAGE))
            return *status;
        std::fprintf(stderr, TXT_TERM_NOT_UNDERSTOOD, appName.c_str(), argv[1]);
        return 2;
    }
    // Exit status 1 means "files written", so the failures to start use 2.
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::fprintf(stderr, TXT_TERM_NEEDS_TERMINAL, appName.c_str());
        return 2;
    }
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        std::fprintf(stderr, TXT_TERM_NO_APPLICATION, appName.c_str());
        return 2;
    }
    if (app->m_strAppName.empty())
        app->m_strAppName = appName;
    std::string error;
    if (!term::Terminal::Start(error)) {
        std::fprintf(stderr, "%s: %s\n", appName.c_str(), error.c_str());
        return 2;
    }
    // A dialog application: InitInstance runs the dialog and returns false, so there is no
    // message loop of the framework's own and the program ends here (or in std::exit).
    app->InitInstance();
    term::Terminal::Stop();
    return 0;
}
