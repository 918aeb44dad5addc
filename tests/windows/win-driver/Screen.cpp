// Screen captures through GDI, and the screenshot step that writes them as PNG.
#include "Screen.h"

#include "AppWindows.h"
#include "Driver.h"
#include "Png.h"

namespace lesamo::driver {

std::vector<std::uint8_t> CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * height * 4);
    if (width <= 0 || height <= 0)
        return bgra;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(memory, bitmap, 0, height, bgra.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (std::size_t i = 3; i < bgra.size(); i += 4)
        bgra[i] = 0;
    return bgra;
}

std::vector<std::uint8_t> CaptureWindow(HWND hWnd)
{
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT r{};
    GetWindowRect(hWnd, &r);
    return CaptureScreen(r);
}

void Screenshot(const std::string& name)
{
    RECT area{};
    bool any = false;
    for (const char* cls : {"#32770", "#32768"}) {
        for (HWND hWnd : AppWindows(cls)) {
            RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            RECT r{};
            GetWindowRect(hWnd, &r);
            if (any) {
                UnionRect(&area, &area, &r);
            } else {
                area = r;
                any = true;
            }
        }
    }
    if (!any)
        Abort("nothing to photograph");
    WaitIdle(g_main);
    Sleep(300);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const std::vector<std::uint8_t> bgra = CaptureScreen(area);
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        rgb.push_back(bgra[i + 2]);
        rgb.push_back(bgra[i + 1]);
        rgb.push_back(bgra[i]);
    }
    const std::string path = g_options.shotDir + "\\" + name;
    if (!WritePng(path, width, height, rgb))
        Abort("cannot write " + path);
    Log("screenshot %s (%dx%d)", path.c_str(), width, height);
}

}  // namespace lesamo::driver
