// The steps in the main dialog and the About box: the template at run time and the tab
// order, the search with its warning, the About box, minimising, F1.
#include <windows.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "AppWindows.h"
#include "DialogTemplate.h"
#include "Driver.h"
#include "ExpectedDialogs.h"
#include "ProgramTexts.h"
#include "ReferenceBoxes.h"
#include "Screen.h"
#include "Steps.h"
#include "TemplateChecks.h"

namespace lesamo::driver {
namespace {

/// The expected result text for "none" or a list like "krm@1+kavirex3@3".
std::string ExpectedResult(const std::string& argument)
{
    if (argument == "none")
        return kNothingFound;
    std::string text;
    std::stringstream parts(argument);
    std::string part;
    while (std::getline(parts, part, '+')) {
        const std::string kind = part.substr(0, part.find('@'));
        const std::string port = part.substr(part.find('@') + 1);
        if (kind == "krm")
            text += std::string(kKrmLine) + port + "\r\n";
        else if (kind == "kavirex3")
            text += std::string(kKavirex3Line) + port + "\r\n";
        else
            Abort("unknown result " + part);
    }
    return text;
}

}  // namespace

void StepTemplate()
{
    const DialogTemplate tmpl = LoadTemplate(kMainDialog);
    if (tmpl.items.size() != kMainDialog.controls.size())
        return;
    CheckWindowAgainstTemplate(g_main, tmpl, kMainDialog);
    CheckText(TextOf(Control(g_main, kIdResult)), "", "result box at start");
    Check(Focus() == GetDlgItem(g_main, IDOK), "the focus starts on OK");

    const int order[] = {IDCANCEL, kIdSearch, kIdResult, IDOK};
    for (int id : order) {
        PressKey(g_main, VK_TAB);
        // Posted keys come after sent messages: wait for the focus to move (up to 10 s, for a
        // loaded machine; it moves at once on a quiet one).
        const HWND wanted = GetDlgItem(g_main, id);
        for (int i = 0; i < 500 && Focus() != wanted; ++i)
            Sleep(20);
        Check(Focus() == wanted, "Tab moves the focus to control " + std::to_string(id) + " (it is on " +
                                     std::to_string(GetDlgCtrlID(Focus())) + ")");
    }
}

void StepSearch(const std::string& argument)
{
    const HWND result = Control(g_main, kIdResult);
    // A text the program never writes: the first different text read is the scan's result.
    const char sentinel[] = "-- searching --";
    SendMessageTimeoutA(result, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sentinel), SMTO_NORMAL, 5000, nullptr);

    const DWORD start = GetTickCount();
    Click(Control(g_main, kIdSearch));
    const HWND box = OwnedDialog(g_main, "warning box");
    WaitIdle(box);

    CheckText(TextOf(box), AppName(), "warning caption");
    HWND text = nullptr;
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != "Static")
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = child;
        else if (!TextOf(child).empty())
            text = child;
    }
    if (Check(text != nullptr, "warning text"))
        CheckText(TextOf(text), kWarning, "warning text");
    if (Check(icon != nullptr, "warning icon")) {
        // The icon is painted after the box answers: on a loaded machine, seconds later.
        std::vector<std::uint8_t> shown = CaptureWindow(icon);
        for (int i = 0; i < 250 && shown != g_exclamationIcon; ++i) {
            Sleep(20);
            shown = CaptureWindow(icon);
        }
        Check(shown == g_exclamationIcon && shown != g_errorIcon, "warning shows the exclamation icon");
    }
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        buttons += ClassOf(child) == "Button" && IsWindowVisible(child);
    Check(buttons == 1, "warning has one button (OK)");
    CheckText(TextOf(Control(box, IDOK)), "OK", "warning button");

    Click(Control(box, IDOK));
    WaitGone(box, "warning box");
    std::string shown = sentinel;
    while (shown == sentinel) {
        if (GetTickCount() - start > 40000)
            Abort("the search did not finish");
        Sleep(50);
        shown = TextOf(result);
    }
    CheckText(shown, ExpectedResult(argument), "result box after search");
    Log("search %s: %lu ms", argument.c_str(), GetTickCount() - start);
}

void StepOpenAbout(bool byMenu)
{
    if (byMenu) {
        PostMessageA(g_main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        WaitForWindow(
            "#32768", [](HWND) { return true; }, "system menu");
        PostMessageA(g_main, WM_CHAR, 'o', 1);
    } else {
        PostMessageA(g_main, WM_SYSCOMMAND, kAboutCommand, 0);
    }
    g_about = OwnedDialog(g_main, "About box");
    WaitIdle(g_about);
    const DialogTemplate tmpl = LoadTemplate(kAboutDialog);
    if (tmpl.items.size() == kAboutDialog.controls.size())
        CheckWindowAgainstTemplate(g_about, tmpl, kAboutDialog);
    Check(Focus() == GetDlgItem(g_about, IDOK), "the About box's focus is on OK");
}

void StepCloseAbout(const std::string& how)
{
    if (!g_about)
        Abort("the About box is not open");
    if (how == "ok")
        Click(Control(g_about, IDOK));
    else if (how == "enter")
        PressKey(g_about, VK_RETURN);
    else if (how == "escape")
        PressKey(g_about, VK_ESCAPE);
    else
        Abort("unknown way to close: " + how);
    WaitGone(g_about, "About box (" + how + ")");
    g_about = nullptr;
    WaitIdle(g_main);
    Check(IsWindowVisible(g_main) && IsWindowEnabled(g_main), "main dialog usable after the About box");
}

void StepMinimize()
{
    // Up to 20 s: Wine on a loaded machine may take seconds to act on an asynchronous show.
    ShowWindowAsync(g_main, SW_MINIMIZE);
    for (int i = 0; i < 1000 && !IsIconic(g_main); ++i)
        Sleep(20);
    Check(IsIconic(g_main) != FALSE, "the main dialog is minimised");
    WaitIdle(g_main);
    Sleep(200);
    WaitIdle(g_main);
}

void StepRestore()
{
    ShowWindowAsync(g_main, SW_RESTORE);
    for (int i = 0; i < 1000 && IsIconic(g_main); ++i)
        Sleep(20);
    Check(!IsIconic(g_main), "the main dialog is restored");
    WaitIdle(g_main);
}

void StepHelp()
{
    PressKey(g_main, VK_F1);
    WaitIdle(g_main);
    Sleep(300);
    WaitIdle(g_main);
    Check(AppWindows("#32770").size() == 1, "no window after F1");
}

}  // namespace lesamo::driver
