// The two dialog templates of lesamo.exe as the driver expects them: every control with its
// id, class, text or picture, styles and position in dialog units, in tab order.
#pragma once

#include <cstdint>
#include <vector>

namespace lesamo::driver {

struct ExpectedControl {
    int id;
    std::uint16_t classAtom;
    const char* className;
    const char* text;
    std::uint16_t picture;  // resource id shown instead of a text
    std::uint32_t style;
    std::uint32_t exStyle;
    int x, y, cx, cy;
};

struct ExpectedDialog {
    int id;
    const char* caption;
    std::uint32_t style;
    std::uint32_t exStyle;
    int cx, cy;
    std::vector<ExpectedControl> controls;
};

extern const ExpectedDialog kMainDialog;
extern const ExpectedDialog kAboutDialog;

}  // namespace lesamo::driver
