// Following a path as the program may follow it even when it runs for someone else (root in
// another user's Wine prefix): one chase for the configuration files and the serial ports.
#pragma once

#include <string>

#include "common/FileDescriptor_posix.h"

namespace lesamo {

/// What becomes of a symbolic link that the path ends in.
enum class LastLink {
    Follow,  // the place is where the link leads (also when that does not exist yet)
    Keep,    // the place is the link itself
};

/// Where a path leads: the directory holding the last entry, and the entry's name there.
struct PathPlace {
    FileDescriptor directory;  // an O_PATH descriptor
    std::string name;
};

/// Finds the place of `path` component by component. A symbolic link on the way is followed
/// only when it and the directory that holds it belong to the user running the program or to
/// root: then nobody else can have chosen where it leads. A last entry that does not exist is a
/// place too (where a new file would go). Returns 0, or the errno that stopped the chase: EPERM
/// for a link that is not safe to follow, EISDIR for a path that names a directory, ENOENT or
/// ENOTDIR for a missing directory on the way, ELOOP, ENAMETOOLONG, EACCES.
int FindSafePlace(const std::string& path, PathPlace& place, LastLink last = LastLink::Follow);

}  // namespace lesamo
