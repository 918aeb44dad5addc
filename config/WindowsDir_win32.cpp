// The Windows directory on Windows: the "windir" variable, as the programs reading the files
// find it.
#include "config/WindowsDir.h"

#include <cstdlib>

namespace lesamo {

std::string WindowsFilePath(std::string_view name)
{
    const char* windir = std::getenv("windir");
    std::string path = windir ? windir : "";
    path += '\\';
    path += name;
    return path;
}

}  // namespace lesamo
