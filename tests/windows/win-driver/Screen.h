// Pictures of the screen: pixels for comparing icons, PNG screenshots of the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lesamo::driver {

/// The screen's pixels in `area`, rows top to bottom, 4 bytes (BGRX) per pixel.
std::vector<std::uint8_t> CaptureScreen(const RECT& area);

/// The pixels of `hWnd`, freshly painted.
std::vector<std::uint8_t> CaptureWindow(HWND hWnd);

/// Captures the screen under every visible window of the program (a dialog with its boxes and
/// menus) as the user sees it, into NAME in the screenshot folder.
void Screenshot(const std::string& name);

}  // namespace lesamo::driver
