// The layout step: the dialog in front measured as drawn at the screen's scale: its size
// against the dialog units at 96 DPI, every control inside it and apart, every text fitting
// its control in the control's font, and the reader picture whole and centred in its frame.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "AppWindows.h"
#include "DialogTemplate.h"
#include "Driver.h"
#include "ExpectedDialogs.h"
#include "Resources.h"
#include "Screen.h"
#include "Steps.h"
#include "TemplateChecks.h"

namespace lesamo::driver {
namespace {

constexpr int kBaseDpi = 96;
constexpr int kPictureId = 131;
/// Darker than this (0..255) is part of the drawing; its background is a light gradient.
constexpr int kInk = 130;
/// Darker than this is the reader's body, a solid shape that keeps its outline when smoothed.
constexpr int kBody = 50;

std::string Size(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string Box(const RECT& r)
{
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + Size(r.right - r.left, r.bottom - r.top) +
           "]";
}

class Font {
public:
    explicit Font(const LOGFONTA& font) : m_hFont(CreateFontIndirectA(&font)) {}
    ~Font() { DeleteObject(m_hFont); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT Handle() const { return m_hFont; }

private:
    HFONT m_hFont;
};

/// The template's font at `dpi`, made as the dialog manager makes it.
LOGFONTA TemplateFont(const DialogTemplate& tmpl, int dpi)
{
    LOGFONTA font{};
    font.lfHeight = -MulDiv(tmpl.pointSize, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, Ansi(tmpl.typeface).c_str(), LF_FACESIZE);
    return font;
}

/// The font a control draws with: its own, by its description, when the program's font can
/// be read from here, else the template's font at `dpi`.
LOGFONTA ControlFont(HWND control, const DialogTemplate& tmpl, int dpi)
{
    DWORD_PTR hFont = 0;
    SendMessageTimeoutA(control, WM_GETFONT, 0, 0, SMTO_NORMAL, 5000, &hFont);
    LOGFONTA font{};
    if (hFont && GetObjectA(reinterpret_cast<HFONT>(hFont), sizeof font, &font) == sizeof font)
        return font;
    return TemplateFont(tmpl, dpi);
}

/// What `measure` finds out on a screen DC with `font` selected.
template <typename Measure>
auto Measured(const LOGFONTA& font, Measure measure)
{
    const Font made(font);
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, made.Handle());
    const auto result = measure(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return result;
}

/// The extent of `text` in `font`: DrawText's rectangle for `flags`, `width` wide to start.
SIZE TextExtent(const LOGFONTA& font, const std::string& text, UINT flags, int width)
{
    return Measured(font, [&](HDC dc) {
        RECT r{0, 0, width, 0};
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
        return SIZE{r.right - r.left, r.bottom - r.top};
    });
}

/// The em height of `font`: its cell without the internal leading.
int EmHeight(const LOGFONTA& font)
{
    return Measured(font, [](HDC dc) {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        return metrics.tmHeight - metrics.tmInternalLeading;
    });
}

/// The dialog manager's base units of `font`: the alphabet's average width, the cell height.
SIZE BaseUnits(const LOGFONTA& font)
{
    return Measured(font, [](HDC dc) {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SIZE alphabet{};
        GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
        return SIZE{(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
    });
}

int Luminance(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return (r * 30 + g * 59 + b * 11) / 100;
}

/// The box around the pixels of a BGRX picture darker than `ink`; empty when there are none.
RECT InkBox(const std::vector<std::uint8_t>& bgrx, int width, int height, int ink)
{
    RECT box{width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &bgrx[(static_cast<std::size_t>(y) * width + x) * 4];
            if (Luminance(p[2], p[1], p[0]) < ink) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
    }
    return box;
}

/// The reader picture as the executable holds it (an 8-bit bitmap, rows bottom up): its size
/// and the box around the reader's body.
bool ResourcePicture(SIZE& size, RECT& body)
{
    const HMODULE module = LoadLibraryExA(g_options.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        Abort("cannot load the resources of " + g_options.program);
    const Resource res = FindGerman(module, MAKEINTRESOURCEA(2), kPictureId, "bitmap 131");
    bool ok = false;
    if (res.data) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(res.data);
        const int width = header->biWidth;
        const int height = header->biHeight;
        if (Check(header->biBitCount == 8 && header->biCompression == BI_RGB && height > 0, "bitmap 131 is 8-bit")) {
            const auto* palette = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const std::uint8_t*>(header) +
                                                                   header->biSize);
            const auto* rows = reinterpret_cast<const std::uint8_t*>(palette +
                                                                     (header->biClrUsed ? header->biClrUsed : 256));
            const int stride = (width + 3) / 4 * 4;
            std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width) * height * 4);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const RGBQUAD& c = palette[rows[static_cast<std::size_t>(height - 1 - y) * stride + x]];
                    std::uint8_t* p = &bgrx[(static_cast<std::size_t>(y) * width + x) * 4];
                    p[0] = c.rgbBlue;
                    p[1] = c.rgbGreen;
                    p[2] = c.rgbRed;
                }
            }
            size = {width, height};
            body = InkBox(bgrx, width, height, kBody);
            ok = true;
        }
    }
    FreeLibrary(module);
    return ok;
}

/// The picture shows the bitmap grown by `grown`, centred in its frame, and the frame cuts off
/// nothing of the drawing, only plain background.
void CheckPicture(HWND picture, double grown)
{
    SIZE bitmap{};
    RECT body{};
    if (!ResourcePicture(bitmap, body))
        return;
    RECT frame{};
    GetClientRect(picture, &frame);
    const std::vector<std::uint8_t> shown = CaptureWindow(picture);
    const auto scaled = [grown](LONG n) { return static_cast<LONG>(n * grown + 0.5); };
    // Where the body must be: in the grown bitmap, centred in the frame.
    const LONG left = (frame.right - scaled(bitmap.cx)) / 2;
    const LONG top = (frame.bottom - scaled(bitmap.cy)) / 2;
    const RECT expected{left + scaled(body.left), top + scaled(body.top), left + scaled(body.right),
                        top + scaled(body.bottom)};
    const RECT found = InkBox(shown, frame.right, frame.bottom, kBody);
    const RECT drawing = InkBox(shown, frame.right, frame.bottom, kInk);
    Log("picture: frame %s, bitmap grown %.3f to %s, reader body %s (expected %s), drawing %s",
        Size(frame.right, frame.bottom).c_str(), grown, Size(scaled(bitmap.cx), scaled(bitmap.cy)).c_str(),
        Box(found).c_str(), Box(expected).c_str(), Box(drawing).c_str());
    const LONG slack = 2 + (expected.right - expected.left) / 30;
    Check(std::abs(found.left - expected.left) <= slack && std::abs(found.right - expected.right) <= slack &&
              std::abs(found.top - expected.top) <= slack && std::abs(found.bottom - expected.bottom) <= slack,
          "the picture grew with the dialog and is centred in its frame: reader body " + Box(found) + ", expected " +
              Box(expected));
    Check(drawing.left > 0 && drawing.top > 0 && drawing.right < frame.right && drawing.bottom < frame.bottom,
          "the picture's drawing " + Box(drawing) + " lies wholly inside its frame " + Size(frame.right, frame.bottom));
}

/// Every text fits its control: labels wrapped at the control's width, buttons on one line,
/// the result box line by line within its margins.
void CheckTextFits(HWND control, const DialogTemplate& tmpl, int dpi, const std::string& what)
{
    const std::string text = TextOf(control);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    const std::string cls = ClassOf(control);
    if (text.empty() || (cls == "Static" && (style & SS_TYPEMASK) != SS_LEFT))
        return;
    RECT client{};
    GetClientRect(control, &client);
    const LOGFONTA font = ControlFont(control, tmpl, dpi);
    if (cls == "Button") {
        const SIZE need = TextExtent(font, text, DT_SINGLELINE, 0);
        const int edge = GetSystemMetrics(SM_CXEDGE);  // the button's raised frame
        Check(need.cx + 2 * edge <= client.right && need.cy <= client.bottom,
              what + " \"" + Escaped(text) + "\" needs " + Size(need.cx, need.cy) + " in " +
                  Size(client.right, client.bottom));
    } else if (cls == "Static") {
        const UINT flags = DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        const SIZE need = TextExtent(font, text, flags, client.right);
        Check(need.cx <= client.right && need.cy <= client.bottom,
              what + " needs " + Size(need.cx, need.cy) + " in " + Size(client.right, client.bottom));
    } else if (cls == "Edit") {
        DWORD_PTR margins = 0;
        SendMessageTimeoutA(control, EM_GETMARGINS, 0, 0, SMTO_NORMAL, 5000, &margins);
        const int room = client.right - LOWORD(margins) - HIWORD(margins);
        std::size_t start = 0;
        int lines = 0;
        int lineHeight = 0;
        while (start < text.size()) {
            const std::size_t end = std::min(text.find("\r\n", start), text.size());
            const SIZE need = TextExtent(font, text.substr(start, end - start), DT_SINGLELINE | DT_NOPREFIX, 0);
            Check(need.cx <= room, what + " line " + std::to_string(lines + 1) + " needs " + std::to_string(need.cx) +
                                       " of " + std::to_string(room) + " pixels");
            lineHeight = need.cy;
            ++lines;
            start = end + 2;
        }
        Check(lines * lineHeight <= client.bottom,
              what + ": " + std::to_string(lines) + " lines in " + std::to_string(client.bottom) + " pixels");
    }
}

}  // namespace

void StepLayout(const std::string& argument)
{
    const int dpi = std::atoi(argument.c_str());
    if (dpi < kBaseDpi)
        Abort("layout wants the screen's DPI, e.g. layout:144");
    const HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    Check(screenDpi == dpi, "the screen has " + std::to_string(screenDpi) + " dpi");
    const HWND dialog = g_about ? g_about : g_main;
    const ExpectedDialog& expected = g_about ? kAboutDialog : kMainDialog;
    const std::string name = g_about ? "About box" : "main dialog";
    Check(static_cast<int>(GetDpiForWindow(dialog)) == dpi,
          "the " + name + " is drawn at " + std::to_string(GetDpiForWindow(dialog)) + " dpi");
    const DialogTemplate tmpl = LoadTemplate(expected);
    if (tmpl.items.size() != expected.controls.size())
        return;

    // The size: the template's dialog units in its font at this scale. How much that font
    // grew against 96 DPI (its point size in pixels there) is the scale of the whole dialog,
    // the picture's included: the screen's, or less where the font does not grow so far (a
    // raster font comes in a few sizes only).
    RECT client{};
    GetClientRect(dialog, &client);
    RECT window{};
    GetWindowRect(dialog, &window);
    const LOGFONTA font = TemplateFont(tmpl, dpi);
    const SIZE units = BaseUnits(font);
    const int width = MulDiv(tmpl.cx, units.cx, 4);
    const int height = MulDiv(tmpl.cy, units.cy, 8);
    const double grown = std::min(static_cast<double>(dpi) / kBaseDpi,
                                  EmHeight(font) * 72.0 / tmpl.pointSize / kBaseDpi);
    Log("%s at %d dpi: window %s, client %s, base units %s; the font grew %.3f, the screen's scale %.3f", name.c_str(),
        dpi, Size(window.right - window.left, window.bottom - window.top).c_str(),
        Size(client.right, client.bottom).c_str(), Size(units.cx, units.cy).c_str(), grown,
        static_cast<double>(dpi) / kBaseDpi);
    Check(std::abs(client.right - width) <= 2 && std::abs(client.bottom - height) <= 2,
          "the " + name + " is " + Size(client.right, client.bottom) + ", its template in its font at " +
              std::to_string(dpi) + " dpi " + Size(width, height));
    Check(dpi == kBaseDpi || grown > 1.2, "the " + name + "'s font grew with the scale");

    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    std::vector<RECT> rects;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        RECT r{};
        GetWindowRect(controls[i], &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
        const std::string what = name + " control " + std::to_string(i + 1) + " (" + ClassOf(controls[i]) + ")";
        Check(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom,
              what + " " + Box(r) + " lies inside the client area " + Size(client.right, client.bottom));
        for (std::size_t j = 0; j < i; ++j) {
            RECT both{};
            Check(!IntersectRect(&both, &r, &rects[j]),
                  what + " " + Box(r) + " is clear of control " + std::to_string(j + 1) + " " + Box(rects[j]));
        }
        CheckTextFits(controls[i], tmpl, dpi, what);
        if (ClassOf(controls[i]) == "Static" && (GetWindowLongA(controls[i], GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            CheckPicture(controls[i], grown);
    }
}

}  // namespace lesamo::driver
