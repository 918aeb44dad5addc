// The dialogs at the screen's scale: the DPI a window is drawn at, and the templates'
// pictures drawn anew at the scale of the dialog units, which Windows does not do for them.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace lesamo {

/// The scale the window is drawn at, in dots per inch: its monitor's where Windows knows one
/// (Windows 10 1607 on; looked up at run time, so the program still starts on older Windows),
/// else the system's, which older Windows scale every dialog by.
UINT WindowDpi(HWND hWnd);

struct BitmapDeleter {
    void operator()(HBITMAP hBitmap) const { DeleteObject(hBitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

/// A picture of a template (a static control showing a bitmap resource, pixel for pixel and
/// centred in its frame) drawn at the scale of the dialog units. The resource is drawn for
/// 96 DPI; the frame is in dialog units and grows with the dialog font, so the picture must
/// grow with it, no more (it would be cut off) and no less.
class ScaledPicture {
public:
    explicit ScaledPicture(HWND hControl)
        : m_hControl(hControl),
          m_hOriginal(reinterpret_cast<HBITMAP>(SendMessageA(hControl, STM_GETIMAGE, IMAGE_BITMAP, 0)))
    {
    }

    /// Shows the picture drawn `dpi` / 96 times as large (its own bitmap at 96 DPI).
    void Scale(UINT dpi);

    /// Gives the control its own bitmap back before it is destroyed: whatever it does with
    /// its picture then, it does with the one it loaded.
    void Restore()
    {
        Show(m_hOriginal);
        m_scaled.reset();
    }

private:
    void Show(HBITMAP hBitmap)
    {
        SendMessageA(m_hControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap));
    }

    HWND m_hControl;
    HBITMAP m_hOriginal;  // the control's, loaded from the template
    OwnedBitmap m_scaled;
};

/// The pictures of one dialog window, kept at the scale of its dialog units.
class DialogPictures {
public:
    /// The template's pictures at the scale of the dialog units at `dpi`, the window's new
    /// DPI; the first call finds them, and its `dpi` is the one the dialog font was made for.
    void Scale(HWND hDialog, UINT dpi);
    /// Gives every picture its own bitmap back (before the window is destroyed).
    void Restore();

private:
    std::vector<ScaledPicture> m_pictures;
    UINT m_nDpi = 0;  // the window's, which its font was made for; 0 before the first call
};

}  // namespace lesamo
