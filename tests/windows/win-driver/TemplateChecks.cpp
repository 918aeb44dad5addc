// The template checks: fields of the parsed template, then the window's controls, styles and
// the base units that map every control.
#include "TemplateChecks.h"

#include "AppWindows.h"
#include "Driver.h"
#include "Resources.h"

namespace lesamo::driver {

void CheckTemplate(HMODULE module, const ExpectedDialog& expected, DialogTemplate& parsed)
{
    const std::string name = "dialog " + std::to_string(expected.id);
    parsed = DialogTemplate{};
    const Resource res = FindGerman(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, expected.id, name);
    if (!res.data)
        return;
    if (!Check(ParseDialogTemplate(res.data, res.size, parsed), name + " is an extended template"))
        return;
    Check(parsed.title == Utf16(expected.caption),
          name + " caption in UTF-16: \"" + Escaped(Ansi(parsed.title)) + "\"");
    Check(parsed.style == expected.style, name + " style " + Hex(parsed.style) + ", expected " + Hex(expected.style));
    Check(parsed.exStyle == expected.exStyle, name + " extended style " + Hex(parsed.exStyle));
    Check(parsed.cx == expected.cx && parsed.cy == expected.cy,
          name + " size " + std::to_string(parsed.cx) + "x" + std::to_string(parsed.cy));
    Check(parsed.pointSize == 8 && parsed.typeface == u"MS Sans Serif", name + " font");
    if (!Check(parsed.items.size() == expected.controls.size(), name + " control count"))
        return;
    for (std::size_t i = 0; i < parsed.items.size(); ++i) {
        const TemplateItem& item = parsed.items[i];
        const ExpectedControl& want = expected.controls[i];
        const std::string what = name + " control " + std::to_string(i + 1) + " (" + want.className + ")";
        Check(item.id == want.id, what + " id " + std::to_string(item.id));
        Check(item.classAtom == want.classAtom, what + " class");
        Check(item.style == want.style, what + " style " + Hex(item.style) + ", expected " + Hex(want.style));
        Check(item.exStyle == want.exStyle, what + " extended style " + Hex(item.exStyle));
        Check(item.x == want.x && item.y == want.y && item.cx == want.cx && item.cy == want.cy,
              what + " position " + std::to_string(item.x) + "," + std::to_string(item.y) + "," +
                  std::to_string(item.cx) + "," + std::to_string(item.cy));
        if (want.picture)
            Check(item.titleOrdinal == want.picture, what + " picture " + std::to_string(item.titleOrdinal));
        else if (want.text)
            Check(item.title == Utf16(want.text), what + " text \"" + Escaped(Ansi(item.title)) + "\"");
        else
            Check(!item.title.empty(), what + " has a text");
    }
}

void CheckWindowAgainstTemplate(HWND dialog, const DialogTemplate& tmpl, const ExpectedDialog& expected)
{
    const std::string name = "window of dialog " + std::to_string(expected.id);
    CheckText(TextOf(dialog), expected.caption, name + " caption");
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    const LONG frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    Check((style & frame) == frame, name + " style " + Hex(static_cast<unsigned long>(style)));
    Check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0, name + " has no minimise/maximise box");
    Check((exStyle & WS_EX_DLGMODALFRAME) != 0, name + " has a modal frame");
    Check(((exStyle & WS_EX_APPWINDOW) != 0) == ((expected.exStyle & WS_EX_APPWINDOW) != 0),
          name + " application-window style");

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    if (!Check(children.size() == tmpl.items.size(), name + " has " + std::to_string(children.size()) + " controls"))
        return;

    std::vector<RECT> rects;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND child = children[i];
        const TemplateItem& item = tmpl.items[i];
        const ExpectedControl& want = expected.controls[i];
        const std::string what = name + " control " + std::to_string(i + 1) + " (" + want.className + ")";
        Check(GetDlgCtrlID(child) == item.id, what + " id " + std::to_string(GetDlgCtrlID(child)));
        Check(ClassOf(child) == want.className, what + " class " + ClassOf(child));
        if (!item.titleOrdinal)
            CheckText(TextOf(child), Ansi(item.title), what + " text");
        const DWORD actual = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        const DWORD actualEx = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
        // An edit control turns its border into a sunken client edge (the three-dimensional look).
        const DWORD border = (item.classAtom == 0x81) ? static_cast<DWORD>(WS_BORDER) : 0;
        Check((actual & ~border) == (item.style & ~border),
              what + " style " + Hex(actual) + ", template " + Hex(item.style));
        Check((actualEx & item.exStyle) == item.exStyle, what + " extended style " + Hex(actualEx));
        if (border)
            Check((actual & WS_BORDER) || (actualEx & WS_EX_CLIENTEDGE), what + " has a border");
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }

    // The base units that map every control (and the client area) exactly.
    RECT client{};
    GetClientRect(dialog, &client);
    int found = 0;
    for (int bx = 4; bx <= 40 && !found; ++bx) {
        for (int by = 8; by <= 80 && !found; ++by) {
            if (MulDiv(tmpl.cx, bx, 4) != client.right || MulDiv(tmpl.cy, by, 8) != client.bottom)
                continue;
            bool all = true;
            for (std::size_t i = 0; i < rects.size() && all; ++i) {
                const TemplateItem& item = tmpl.items[i];
                // An icon static takes the size of its icon.
                const bool icon = item.classAtom == 0x82 && (item.style & SS_TYPEMASK) == SS_ICON;
                const int cx = icon ? GetSystemMetrics(SM_CXICON) : MulDiv(item.cx, bx, 4);
                const int cy = icon ? GetSystemMetrics(SM_CYICON) : MulDiv(item.cy, by, 8);
                all = rects[i].left == MulDiv(item.x, bx, 4) && rects[i].top == MulDiv(item.y, by, 8) &&
                      rects[i].right - rects[i].left == cx && rects[i].bottom - rects[i].top == cy;
            }
            if (all) {
                found = 1;
                Log("%s: base units %d x %d map all %zu controls", name.c_str(), bx, by, rects.size());
            }
        }
    }
    if (!found) {
        std::string positions;
        for (const RECT& r : rects)
            positions += " [" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                         std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "]";
        Check(false, name + ": no base units map the template; client " + std::to_string(client.right) + "x" +
                         std::to_string(client.bottom) + ", controls" + positions);
    }
}

DialogTemplate LoadTemplate(const ExpectedDialog& expected)
{
    const HMODULE module = LoadLibraryExA(g_options.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        Abort("cannot load the resources of " + g_options.program);
    DialogTemplate parsed;
    CheckTemplate(module, expected, parsed);
    FreeLibrary(module);
    return parsed;
}

}  // namespace lesamo::driver
