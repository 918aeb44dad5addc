// The program's start on Windows: the application object exists already (static
// initialisation); name it after the executable and let it run.
#include <windows.h>

#include <string>

#include "ui/Framework.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    lesamo::CWinApp* pApp = lesamo::AfxGetApp();
    if (!pApp)
        return 1;
    if (pApp->m_strAppName.empty()) {
        char path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        pApp->m_strAppName = lesamo::AppNameFromPath(std::string_view(path, length));
    }
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
