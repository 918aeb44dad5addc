// The program's life: started or taken over by its main dialog, and ended the way a user
// ends it, with the message boxes on the way and the exit status.
#include <windows.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "AppWindows.h"
#include "Driver.h"
#include "ProgramTexts.h"
#include "ReferenceBoxes.h"
#include "Screen.h"
#include "Steps.h"

namespace lesamo::driver {
namespace {

BOOL CALLBACK FindMainDialog(HWND hWnd, LPARAM)
{
    if (IsWindowVisible(hWnd) && ClassOf(hWnd) == "#32770" && !GetWindow(hWnd, GW_OWNER) &&
        TextOf(hWnd) == kMainCaption) {
        g_main = hWnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WaitExit()
{
    if (WaitForSingleObject(g_app.hProcess, 20000) != WAIT_OBJECT_0)
        Abort("the program did not end");
    DWORD code = 0;
    GetExitCodeProcess(g_app.hProcess, &code);
    return code;
}

/// A message box as the user sees it.
struct SeenBox {
    std::string caption;
    std::string text;
    bool owned = false;
    bool errorIcon = false;
    bool exclamationIcon = false;
};

}  // namespace

void StartProgram()
{
    LoadReferenceIcons();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + g_options.program + "\"";
    if (!CreateProcessA(g_options.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &g_app))
        Abort("cannot start " + g_options.program + " (error " + std::to_string(GetLastError()) + ")");
    g_main = WaitForWindow(
        "#32770", [](HWND h) { return GetWindow(h, GW_OWNER) == nullptr && TextOf(h) == kMainCaption; },
        "main dialog \"Lesamo\"");
    WaitIdle(g_main);
    Log("main dialog up");
}

void AttachProgram()
{
    const DWORD start = GetTickCount();
    while (!g_main) {
        EnumWindows(&FindMainDialog, 0);
        if (!g_main && GetTickCount() - start > 10000)
            Abort("no main dialog \"Lesamo\" to attach to");
        if (!g_main)
            Sleep(20);
    }
    g_app.dwThreadId = GetWindowThreadProcessId(g_main, &g_app.dwProcessId);
    g_app.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                 g_app.dwProcessId);
    if (!g_app.hProcess)
        Abort("cannot open the program's process");
    WaitIdle(g_main);
    // Once the program's dialog is up: one that appears meanwhile would cover the references.
    LoadReferenceIcons();
    Log("attached to the main dialog");
}

void StepEnd(const std::string& how, const std::string& boxes)
{
    if (how == "ok")
        Click(Control(g_main, IDOK));
    else if (how == "cancel")
        Click(Control(g_main, IDCANCEL));
    else if (how == "escape")
        PressKey(g_main, VK_ESCAPE);
    else if (how == "close")
        PostMessageA(g_main, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        Abort("unknown way to end: " + how);

    std::vector<SeenBox> seen;
    const DWORD start = GetTickCount();
    while (AppRunning()) {
        if (GetTickCount() - start > 20000)
            Abort("the program did not end after " + how);
        for (HWND box : AppWindows("#32770")) {
            if (box == g_main)
                continue;
            WaitIdle(box);
            SeenBox shown;
            shown.caption = TextOf(box);
            shown.owned = GetWindow(box, GW_OWNER) != nullptr;
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                    shown.text += TextOf(child);
            if (const HWND icon = IconOf(box)) {
                const std::vector<std::uint8_t> pixels = CaptureWindow(icon);
                shown.errorIcon = pixels == g_errorIcon;
                shown.exclamationIcon = pixels == g_exclamationIcon;
            }
            Log("message box \"%s\": \"%s\"", Escaped(shown.caption).c_str(), Escaped(shown.text).c_str());
            seen.push_back(shown);
            Click(Control(box, IDOK));
            WaitGone(box, "message box");
        }
        Sleep(20);
    }
    const DWORD code = WaitExit();
    g_main = nullptr;
    Check(code == (how == "ok" ? 1u : 0u), how + " ends the program with status " + std::to_string(code));
    // "hbcikrnl,icchscr": the failure boxes of these files' writers, in this order.
    std::vector<std::string> expected;
    std::stringstream parts(boxes);
    for (std::string part; std::getline(parts, part, ',');)
        if (!part.empty()) {
            CharUpperA(part.data());
            expected.push_back("Error: Create File: " + part + ".INI ");
        }
    if (!Check(seen.size() == expected.size(), how + ": " + std::to_string(seen.size()) + " message boxes"))
        return;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const std::string what = "message box " + std::to_string(i + 1);
        CheckText(seen[i].text, expected[i], what + " text");
        CheckText(seen[i].caption, g_defaultCaption, what + " caption (the system's default)");
        Check(seen[i].caption != AppName(), what + " caption is not the application's name");
        Check(!seen[i].owned, what + " has no owner window");
        Check(seen[i].errorIcon && !seen[i].exclamationIcon, what + " shows the error icon");
    }
}

}  // namespace lesamo::driver
