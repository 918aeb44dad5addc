// What the system's message boxes look like on this screen: the pictures of their icons and
// the caption a box gets without one, taken from boxes of the driver's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lesamo::driver {

extern std::vector<std::uint8_t> g_exclamationIcon;
extern std::vector<std::uint8_t> g_errorIcon;
extern std::string g_defaultCaption;  // of a message box given no caption ("Error" on Windows)

/// Shows the reference boxes once, before the program's own boxes are compared with them.
void LoadReferenceIcons();

/// The icon of message box `box`, or null when it shows none.
HWND IconOf(HWND box);

}  // namespace lesamo::driver
