// The safe chase of a path: every component looked at with lstat semantics, every symbolic
// link read and spliced into the rest of the path by hand, so that nothing is followed that
// the rule does not allow.
#include "common/SafePath_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace lesamo {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a path's symbolic links

bool SafeToFollow(const struct stat& link, const struct stat& directory)
{
    const uid_t self = geteuid();
    return (link.st_uid == self || link.st_uid == 0) && (directory.st_uid == self || directory.st_uid == 0);
}

FileDescriptor OpenDirectory(int at, const char* name)
{
    return FileDescriptor(openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

/// Reads the link `name` in `directory` into `target` when it is safe to follow.
int ReadSafeLink(int directory, const std::string& name, const struct stat& link, std::string& target)
{
    struct stat holder {};
    if (fstat(directory, &holder) != 0)
        return errno;
    if (!SafeToFollow(link, holder))
        return EPERM;
    char buffer[PATH_MAX];
    const ssize_t length = readlinkat(directory, name.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        return length < 0 ? errno : ENAMETOOLONG;
    target.assign(buffer, static_cast<std::size_t>(length));
    return 0;
}

/// The next component of the path still to go, taken off its front; `isLast` when nothing but
/// slashes follows it. False when only slashes are left (the path names a directory).
bool TakeComponent(std::string& rest, std::string& component, bool& isLast)
{
    const std::size_t start = rest.find_first_not_of('/');
    if (start == std::string::npos)
        return false;
    const std::size_t end = std::min(rest.find('/', start), rest.size());
    component = rest.substr(start, end - start);
    isLast = rest.find_first_not_of('/', end) == std::string::npos;
    rest.erase(0, end);
    return true;
}

/// Follows the link `name` in the place's directory, which `link` describes: the rest of the
/// path now goes on from where the link leads (its own directory for a relative one); at the
/// end of the path, the target is the entry itself. Returns 0 or the errno that stopped it.
int FollowLink(PathPlace& place, const std::string& name, const struct stat& link, std::string& rest)
{
    std::string target;
    if (const int error = ReadSafeLink(place.directory.Get(), name, link, target); error != 0)
        return error;
    if (target.front() == '/') {
        place.directory = OpenDirectory(AT_FDCWD, "/");
        if (!place.directory.Valid())
            return errno;
    }
    rest.insert(0, target + "/");
    return 0;
}

}  // namespace

int FindSafePlace(const std::string& path, PathPlace& place, LastLink last)
{
    if (path.empty())
        return ENOENT;
    std::string rest = path;
    place.directory = OpenDirectory(AT_FDCWD, rest.front() == '/' ? "/" : ".");
    if (!place.directory.Valid())
        return errno;
    int links = 0;
    std::string component;
    bool isLast = false;
    while (TakeComponent(rest, component, isLast)) {
        if (component == "." || component == "..") {
            if (isLast)
                return EISDIR;
            if (component == "..")
                place.directory = OpenDirectory(place.directory.Get(), "..");
            if (!place.directory.Valid())
                return errno;
            continue;
        }
        if (component.size() > NAME_MAX)
            return ENAMETOOLONG;
        struct stat entry {};
        if (fstatat(place.directory.Get(), component.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !isLast)
                return errno;
            place.name = std::move(component);  // a new entry
            return 0;
        }
        if (S_ISLNK(entry.st_mode) && !(isLast && last == LastLink::Keep)) {
            if (++links > kMaxLinks)
                return ELOOP;
            if (const int error = FollowLink(place, component, entry, rest); error != 0)
                return error;
            continue;
        }
        if (isLast) {
            place.name = std::move(component);
            return 0;
        }
        place.directory = OpenDirectory(place.directory.Get(), component.c_str());
        if (!place.directory.Valid())
            return errno;
    }
    return EISDIR;
}

}  // namespace lesamo
