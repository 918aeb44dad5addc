// The program's start on Windows: the application object exists already (static
// initialisation); name it after the executable and let it run.
#include <windows.h>

#include <string>

#include "ui/Framework.h"

namespace {

/// The path the program was started from, however long: GetModuleFileNameA cuts a path that
/// does not fit (a folder deeper than MAX_PATH characters) and says so only by filling the
/// buffer, so the buffer grows until the path fits.
std::string ModulePath()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() > (1u << 17))  // longer than any path Windows allows, even in DBCS
            return path;
        path.resize(path.size() * 2);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    lesamo::CWinApp* pApp = lesamo::AfxGetApp();
    // Exit status 1 means "files written", so a failure to start uses 2, as the terminal
    // program does.
    if (!pApp)
        return 2;
    if (pApp->m_strAppName.empty())
        pApp->m_strAppName = lesamo::AppNameFromPath(ModulePath());
    // No message loop of the program's own: InitInstance runs the main dialog and returns
    // false, and the program ends with the runtime's normal exit.
    if (!pApp->InitInstance())
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
