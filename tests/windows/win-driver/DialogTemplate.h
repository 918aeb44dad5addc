// Reading extended dialog templates (DLGTEMPLATEEX) as the resource compiler wrote them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lesamo::driver {

struct TemplateItem {
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::int32_t id = 0;
    std::uint16_t classAtom = 0;  // 0x80 button, 0x81 edit, 0x82 static; 0 when named
    std::u16string className;
    std::u16string title;
    std::uint16_t titleOrdinal = 0;  // a resource id as the text (pictures)
};

struct DialogTemplate {
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string title;
    int pointSize = 0;
    std::u16string typeface;
    std::vector<TemplateItem> items;
};

/// Parses an extended template; false when `data` is not one or is cut short.
bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate& out);

}  // namespace lesamo::driver
