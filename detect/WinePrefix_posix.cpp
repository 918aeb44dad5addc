// The Wine prefix and the devices behind com1..com4 in it.
#include "detect/WinePrefix_posix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "detect/PortName.h"

namespace lesamo {

std::string WinePrefix()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.wine";
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && *user->pw_dir)
        return std::string(user->pw_dir) + "/.wine";
    return {};
}

std::string PortDevicePath(const std::string& name)
{
    if (!IsScannedPortName(name))
        return {};
    const std::string prefix = WinePrefix();
    if (prefix.empty())
        return {};
    std::string entry = prefix + "/dosdevices/" + name;
    struct stat info {};
    if (::lstat(entry.c_str(), &info) == 0)
        return entry;
    if (errno != ENOENT)
        return {};
    return std::string("/dev/ttyS") + static_cast<char>(name[3] - 1);
}

}  // namespace lesamo
