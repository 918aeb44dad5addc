// The dialogs at the screen's scale: the window's DPI, the dialog font's real size at it and
// the templates' pictures stretched to match.
#include "ui/win32/DpiScaling.h"

#include <algorithm>
#include <utility>

namespace lesamo {

namespace {

/// The em height of `font` (its cell without the internal leading), in pixels; 0 when GDI fails.
int EmHeight(const LOGFONTA& font)
{
    const HFONT hFont = CreateFontIndirectA(&font);
    const HDC hScreen = GetDC(nullptr);
    TEXTMETRICA metrics{};
    if (hFont && hScreen) {
        const HGDIOBJ hOld = SelectObject(hScreen, hFont);
        GetTextMetricsA(hScreen, &metrics);
        SelectObject(hScreen, hOld);
    }
    if (hScreen)
        ReleaseDC(nullptr, hScreen);
    if (hFont)
        DeleteObject(hFont);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

/// The scale of the dialog's units at `dpi`, as dots per inch: `dpi`, or less where the
/// dialog's font (made for `fontDpi`) does not grow that far. A raster font ("MS Sans Serif")
/// comes in a few sizes only: under Wine its text at 192 DPI is no larger than at 144.
UINT DialogUnitDpi(HWND hDialog, UINT fontDpi, UINT dpi)
{
    const auto hFont = reinterpret_cast<HFONT>(SendMessageA(hDialog, WM_GETFONT, 0, 0));
    LOGFONTA font{};
    if (!hFont || !GetObjectA(hFont, sizeof font, &font) || !fontDpi || font.lfHeight >= 0)
        return dpi;
    const int points = MulDiv(-font.lfHeight, 72, static_cast<int>(fontDpi));
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(fontDpi));
    const int em = EmHeight(font);
    if (points <= 0 || em <= 0)
        return dpi;
    return std::min(dpi, static_cast<UINT>(MulDiv(em, 72, points)));
}

/// `hSource` drawn `dpi` / 96 times as large, smoothed; nullptr when GDI fails.
OwnedBitmap ScaledBitmap(HBITMAP hSource, UINT dpi)
{
    BITMAP source{};
    if (!GetObjectA(hSource, sizeof source, &source))
        return nullptr;
    const int width = MulDiv(source.bmWidth, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    const int height = MulDiv(source.bmHeight, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    const HDC hScreen = GetDC(nullptr);
    OwnedBitmap scaled(CreateCompatibleBitmap(hScreen, width, height));
    const HDC hFrom = CreateCompatibleDC(hScreen);
    const HDC hTo = CreateCompatibleDC(hScreen);
    if (scaled && hFrom && hTo) {
        const HGDIOBJ hOldFrom = SelectObject(hFrom, hSource);
        const HGDIOBJ hOldTo = SelectObject(hTo, scaled.get());
        SetStretchBltMode(hTo, HALFTONE);
        SetBrushOrgEx(hTo, 0, 0, nullptr);
        if (!StretchBlt(hTo, 0, 0, width, height, hFrom, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY))
            scaled.reset();
        SelectObject(hTo, hOldTo);
        SelectObject(hFrom, hOldFrom);
    } else {
        scaled.reset();
    }
    if (hTo)
        DeleteDC(hTo);
    if (hFrom)
        DeleteDC(hFrom);
    ReleaseDC(nullptr, hScreen);
    return scaled;
}

}  // namespace

UINT WindowDpi(HWND hWnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hWnd))
            return dpi;
    }
    const HDC hScreen = GetDC(nullptr);
    const int dpi = hScreen ? GetDeviceCaps(hScreen, LOGPIXELSY) : 0;
    if (hScreen)
        ReleaseDC(nullptr, hScreen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void ScaledPicture::Scale(UINT dpi)
{
    if (!m_hOriginal)
        return;
    OwnedBitmap scaled = dpi == USER_DEFAULT_SCREEN_DPI ? nullptr : ScaledBitmap(m_hOriginal, dpi);
    Show(scaled ? scaled.get() : m_hOriginal);
    m_scaled = std::move(scaled);  // the control has let go of the one before
}

void DialogPictures::Scale(HWND hDialog, UINT dpi)
{
    const UINT fontDpi = m_nDpi != 0 ? m_nDpi : dpi;
    m_nDpi = dpi;
    if (m_pictures.empty()) {
        for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
            char className[16] = {};
            GetClassNameA(hChild, className, sizeof className);
            if (lstrcmpiA(className, "Static") == 0 && (GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                m_pictures.emplace_back(hChild);
        }
    }
    if (m_pictures.empty())
        return;
    const UINT unitDpi = DialogUnitDpi(hDialog, fontDpi, dpi);
    for (ScaledPicture& picture : m_pictures)
        picture.Scale(unitDpi);
}

void DialogPictures::Restore()
{
    for (ScaledPicture& picture : m_pictures)
        picture.Restore();
}

}  // namespace lesamo
