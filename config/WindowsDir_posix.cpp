// The Windows directory on POSIX: "windir" when set, else C:\windows of the Wine prefix in
// which the chip-card layer and the banking kernel run.
#include "config/WindowsDir.h"

#include <cstdlib>

#include "detect/WinePrefix_posix.h"

namespace lesamo {

std::string WindowsFilePath(std::string_view name)
{
    std::string path;
    if (const char* windir = std::getenv("windir")) {
        path = windir;
        path += '/';
    } else {
        path = WinePrefix() + "/drive_c/windows/";
    }
    path += name;
    return path;
}

}  // namespace lesamo
