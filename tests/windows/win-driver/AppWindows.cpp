// Finding the program's windows and acting on them: enumeration by process and class,
// messages sent with a time-out (the program may be busy scanning), posted clicks and keys.
#include "AppWindows.h"

#include "Driver.h"

namespace lesamo::driver {
namespace {

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == search.pid && IsWindowVisible(hWnd) && ClassOf(hWnd) == search.className)
        search.found.push_back(hWnd);
    return TRUE;
}

}  // namespace

bool AppRunning()
{
    return WaitForSingleObject(g_app.hProcess, 0) == WAIT_TIMEOUT;
}

std::string ClassOf(HWND hWnd)
{
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hWnd)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 30000, &length))
        Abort("no answer to WM_GETTEXTLENGTH");
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 30000,
                             &copied))
        Abort("no answer to WM_GETTEXT");
    text.resize(copied);
    return text;
}

void WaitIdle(HWND hWnd, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result))
        Abort("the program does not react");
}

std::vector<HWND> ProcessWindows(DWORD pid, const char* className)
{
    WindowSearch search{pid, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> AppWindows(const char* className)
{
    return ProcessWindows(g_app.dwProcessId, className);
}

HWND WaitForWindow(const char* className, const std::function<bool(HWND)>& wanted, const std::string& what,
                   DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND hWnd : AppWindows(className))
            if (wanted(hWnd))
                return hWnd;
        if (!AppRunning())
            Abort("the program ended while waiting for " + what);
        if (GetTickCount() - start > timeoutMs)
            Abort("no " + what + " within " + std::to_string(timeoutMs) + " ms");
        Sleep(20);
    }
}

void WaitGone(HWND hWnd, const std::string& what)
{
    const DWORD start = GetTickCount();
    while (IsWindow(hWnd) && IsWindowVisible(hWnd)) {
        if (GetTickCount() - start > 20000)
            Abort(what + " did not close");
        Sleep(20);
    }
}

HWND OwnedDialog(HWND owner, const std::string& what)
{
    return WaitForWindow(
        "#32770", [owner](HWND h) { return h != owner && GetWindow(h, GW_OWNER) == owner; }, what);
}

HWND Control(HWND dialog, int id)
{
    const HWND hControl = GetDlgItem(dialog, id);
    if (!hControl)
        Abort("control " + std::to_string(id) + " missing");
    return hControl;
}

HWND Focus()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(g_app.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

void PressKey(HWND dialog, UINT vk)
{
    HWND target = Focus();
    if (!target || (target != dialog && !IsChild(dialog, target)))
        target = dialog;
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

}  // namespace lesamo::driver
