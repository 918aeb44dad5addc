// The program's windows as a user meets them: found by class, caption and owner, read
// through the ANSI API, and given clicks and key presses.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace lesamo::driver {

bool AppRunning();

std::string ClassOf(HWND hWnd);

/// The window's text through the ANSI API; the message is answered by the program's thread,
/// so this waits while the program is busy.
std::string TextOf(HWND hWnd);

/// Returns once the program's thread has processed everything sent before; fails when it
/// does not within the time-out.
void WaitIdle(HWND hWnd, DWORD timeoutMs = 30000);

/// The visible top-level windows of class `className` that belong to process `pid`.
std::vector<HWND> ProcessWindows(DWORD pid, const char* className);
std::vector<HWND> AppWindows(const char* className);

HWND WaitForWindow(const char* className, const std::function<bool(HWND)>& wanted, const std::string& what,
                   DWORD timeoutMs = 20000);
void WaitGone(HWND hWnd, const std::string& what);

/// The dialog (a message box, the About box) that `owner` opened.
HWND OwnedDialog(HWND owner, const std::string& what);
HWND Control(HWND dialog, int id);
HWND Focus();

/// A key press as the dialog's message loop sees it: posted to the control with the focus.
void PressKey(HWND dialog, UINT vk);
void Click(HWND button);

}  // namespace lesamo::driver
