// The Wine prefix and the devices behind com1..com4 in it.
#include "detect/WinePrefix_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/SafePath_posix.h"
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
    // Examined as it will be opened: through safe links only. An entry behind a link of
    // somebody else's is not "absent", or that user could send the search to /dev/ttyS*.
    PathPlace place;
    int error = FindSafePlace(entry, place, LastLink::Keep);
    struct stat info {};
    if (error == 0 && ::fstatat(place.directory.Get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        error = errno;
    if (error == 0)
        return entry;
    if (error != ENOENT)
        return {};
    return std::string("/dev/ttyS") + static_cast<char>(name[3] - 1);
}

}  // namespace lesamo
