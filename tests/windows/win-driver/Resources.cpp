// The resource helpers: German resources found and locked, texts converted with code page 1252.
#include "Resources.h"

#include "Driver.h"

namespace lesamo::driver {
namespace {

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

}  // namespace

std::u16string Utf16(const std::string& cp1252)
{
    std::wstring wide(cp1252.size() + 1, L'\0');
    const int n = MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    return std::u16string(wide.begin(), wide.begin() + n);
}

std::string Ansi(const std::u16string& text)
{
    std::string out(text.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(1252, 0, reinterpret_cast<const wchar_t*>(text.data()),
                                      static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()), nullptr,
                                      nullptr);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

Resource FindGerman(HMODULE module, LPCSTR type, int id, const std::string& what)
{
    const HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kGerman);
    if (!Check(found != nullptr, what + " in German (1031)"))
        return {};
    return {LockResource(LoadResource(module, found)), SizeofResource(module, found)};
}

}  // namespace lesamo::driver
