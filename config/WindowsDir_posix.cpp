// The Windows directory on POSIX: "windir" when set, else C:\windows of the Wine prefix in
// which the chip-card layer and the banking kernel run.
#include "config/WindowsDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace lesamo {
namespace {

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = getpwuid(getuid()))
        return user->pw_dir;
    return {};
}

}  // namespace

std::string WindowsFilePath(std::string_view name)
{
    std::string path;
    if (const char* windir = std::getenv("windir")) {
        path = windir;
        path += '/';
    } else {
        // Wine's own rule: WINEPREFIX when set and not empty, else ~/.wine.
        const char* prefix = std::getenv("WINEPREFIX");
        path = prefix && *prefix ? std::string(prefix) : HomeDirectory() + "/.wine";
        path += "/drive_c/windows/";
    }
    path += name;
    return path;
}

}  // namespace lesamo
