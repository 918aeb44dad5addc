// Reference message boxes: one with the exclamation icon and one with the error icon, shown
// by the driver itself, photographed and closed again.
#include "ReferenceBoxes.h"

#include "AppWindows.h"
#include "Driver.h"
#include "Screen.h"

namespace lesamo::driver {

std::vector<std::uint8_t> g_exclamationIcon;
std::vector<std::uint8_t> g_errorIcon;
std::string g_defaultCaption;

namespace {

/// What the icon of a message box of `type` looks like on this screen, and the caption it
/// gets without one: a box of the driver's own, drawn by the same system code. Icon handles
/// cannot be compared across processes under Wine, pictures can.
DWORD WINAPI ReferenceBoxThread(LPVOID parameter)
{
    MessageBoxA(nullptr, "Referenz", nullptr, MB_OK | static_cast<UINT>(reinterpret_cast<UINT_PTR>(parameter)));
    return 0;
}

struct ReferenceBox {
    std::vector<std::uint8_t> icon;
    std::string caption;
};

ReferenceBox ShowReferenceBox(UINT type)
{
    const HANDLE thread = CreateThread(nullptr, 0, &ReferenceBoxThread,
                                       reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(type)), 0, nullptr);
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
        for (HWND h : ProcessWindows(GetCurrentProcessId(), "#32770"))
            box = h;
        Sleep(10);
    }
    ReferenceBox reference;
    if (box && IconOf(box)) {
        // Painted now, rather than whenever its thread gets round to it on a loaded machine.
        UpdateWindow(IconOf(box));
        Sleep(100);
        reference.icon = CaptureWindow(IconOf(box));
        reference.caption = TextOf(box);
    }
    if (box)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    if (reference.icon.empty())
        Abort("no reference message box");
    return reference;
}

}  // namespace

HWND IconOf(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    return nullptr;
}

void LoadReferenceIcons()
{
    if (g_exclamationIcon.empty()) {
        g_exclamationIcon = ShowReferenceBox(MB_ICONEXCLAMATION).icon;
        const ReferenceBox error = ShowReferenceBox(MB_ICONERROR);
        g_errorIcon = error.icon;
        g_defaultCaption = error.caption;
        Check(g_exclamationIcon != g_errorIcon, "the exclamation and the error icon differ");
        Check(!g_defaultCaption.empty(), "a message box without caption gets a default one");
    }
}

}  // namespace lesamo::driver
