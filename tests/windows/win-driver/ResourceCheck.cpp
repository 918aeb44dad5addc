// The resources step: lesamo.exe's resources as data, without running it: both dialog
// templates, the About string, the icon's images, the bitmap, the manifest, the version block.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "Driver.h"
#include "ExpectedDialogs.h"
#include "ProgramTexts.h"
#include "Resources.h"
#include "Steps.h"
#include "TemplateChecks.h"

namespace lesamo::driver {

void StepResources()
{
    const HMODULE module = LoadLibraryExA(g_options.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        Abort("cannot load the resources of " + g_options.program);
    DialogTemplate parsed;
    CheckTemplate(module, kMainDialog, parsed);
    CheckTemplate(module, kAboutDialog, parsed);

    // String 101 lives in block 101 / 16 + 1 at index 101 % 16, each string counted in UTF-16.
    const Resource strings = FindGerman(module, MAKEINTRESOURCEA(6), 101 / 16 + 1, "string table");
    if (strings.data) {
        const auto* p = static_cast<const char16_t*>(strings.data);
        for (int i = 0; i < 101 % 16; ++i)
            p += 1 + *p;
        const std::u16string entry(p + 1, p + 1 + *p);
        Check(entry == u"Inf&o \u00FCber Lesamo...", "string 101 \"" + Escaped(Ansi(entry)) + "\"");
    }

    const Resource group = FindGerman(module, MAKEINTRESOURCEA(14), 128, "icon 128");
    if (group.data) {
        const auto* bytes = static_cast<const std::uint8_t*>(group.data);
        const int count = bytes[4] | bytes[5] << 8;
        std::vector<std::string> images;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* e = bytes + 6 + 14 * i;
            const int bitCount = e[6] | e[7] << 8;
            const int id = e[12] | e[13] << 8;
            std::string image = std::to_string(e[0]) + "x" + std::to_string(e[1]) + "/" + std::to_string(e[2]) + "c/" +
                                std::to_string(bitCount) + "b";
            const Resource icon = FindGerman(module, MAKEINTRESOURCEA(3), id, "icon image " + std::to_string(id));
            if (icon.data) {
                const auto* header = static_cast<const BITMAPINFOHEADER*>(icon.data);
                image += "/dib" + std::to_string(header->biWidth) + "x" + std::to_string(header->biHeight / 2) + "x" +
                         std::to_string(header->biBitCount);
            }
            images.push_back(image);
        }
        std::string all;
        for (const std::string& image : images)
            all += image + " ";
        Check(images == std::vector<std::string>{"32x32/16c/4b/dib32x32x4", "16x16/16c/4b/dib16x16x4"},
              "icon 128 images: " + all);
    }

    const Resource bitmap = FindGerman(module, MAKEINTRESOURCEA(2), 131, "bitmap 131");
    if (bitmap.data) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(bitmap.data);
        Check(header->biWidth == 184 && header->biHeight == 256 && header->biBitCount == 8,
              "bitmap 131 is " + std::to_string(header->biWidth) + "x" + std::to_string(header->biHeight) + "x" +
                  std::to_string(header->biBitCount));
    }

    const Resource manifest = FindGerman(module, MAKEINTRESOURCEA(24), 1, "manifest 1");
    if (manifest.data) {
        const std::string text(static_cast<const char*>(manifest.data), manifest.size);
        Check(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") != std::string::npos ||
                  (text.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                   text.find("version=\"6.0.0.0\"") != std::string::npos),
              "manifest asks for common controls 6");
        Check(text.find("level=\"requireAdministrator\"") != std::string::npos,
              "manifest asks for administrator rights");
    }
    FreeLibrary(module);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(g_options.program.c_str(), &handle);
    std::vector<char> info(size);
    if (Check(size && GetFileVersionInfoA(g_options.program.c_str(), 0, size, info.data()), "version block")) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
            Check(fixed->dwFileVersionMS == kVersionHigh && fixed->dwFileVersionLS == kVersionLow &&
                      fixed->dwProductVersionMS == kVersionHigh && fixed->dwProductVersionLS == kVersionLow,
                  "version " + std::string(kVersionText));
        WORD* translation = nullptr;
        if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length))
            Check(length >= 4 && translation[0] == 0x0407 && translation[1] == 1200, "translation German, 1200");
        auto value = [&](const char* key) {
            char* text = nullptr;
            const std::string path = std::string("\\StringFileInfo\\040704b0\\") + key;
            return VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text
                       ? std::string(text)
                       : std::string("(none)");
        };
        CheckText(value("InternalName"), "Lesamo", "InternalName");
        CheckText(value("FileVersion"), kVersionText, "FileVersion");
        CheckText(value("ProductVersion"), kVersionText, "ProductVersion");
    }
}

}  // namespace lesamo::driver
