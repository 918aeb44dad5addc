// Reading the German (1031) resources of an executable loaded as data, and turning their
// UTF-16 texts into the program's code page and back.
#pragma once

#include <windows.h>

#include <string>

namespace lesamo::driver {

/// `cp1252` (a text as the program shows it) in UTF-16, as the resource compiler stores it.
std::u16string Utf16(const std::string& cp1252);

/// A resource's UTF-16 text in Windows-1252, for comparing and logging.
std::string Ansi(const std::u16string& text);

struct Resource {
    const void* data = nullptr;
    DWORD size = 0;
};

/// Resource `id` of `type` in German; a failed check, and no data, when it is missing.
Resource FindGerman(HMODULE module, LPCSTR type, int id, const std::string& what);

}  // namespace lesamo::driver
