// The start-up code of the terminal program: the framework's main routine. The application
// object is constructed by the static initialisers; this only names it and runs it.
#include <cstdio>
#include <string>
#include <string_view>

#include <unistd.h>

#include "ui/Framework.h"
#include "ui/curses/Terminal.h"

int main(int argc, char** argv)
{
    using namespace lesamo;
    const std::string appName = AppNameFromPath(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    // Exit status 1 means "files written", so the failures to start use 2.
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::fprintf(stderr, "%s: needs a terminal: standard input and output must both be a terminal\n",
                     appName.c_str());
        return 2;
    }
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        std::fprintf(stderr, "%s: no application object\n", appName.c_str());
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
