// What a replaced file keeps of the file it replaces, besides the bytes: owner, group, mode,
// access ACL and extended attributes (among them Wine's DOS attributes, user.DOSATTRIB).
#pragma once

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

namespace lesamo {

class KeptMetadata {
public:
    /// Takes note of the regular file `name` in `directory`, which must still be the file that
    /// `status` describes. False when it is not, or when an attribute of it that must be kept
    /// cannot be read (a user.* attribute of a file this user may not read).
    bool Read(int directory, const std::string& name, const struct stat& status);

    /// Gives `fd`, the new file (this user's, mode 0600), what the old file had. Where its owner
    /// or group cannot be kept (another user's file, a group this user is not in), the new file
    /// may still take the old one's place when everyone who could read or write the old file can
    /// read or write the new one, as far as its mode tells (not with an ACL). False when that
    /// does not hold or anything that must be kept cannot be set: the new file must then not
    /// replace the old one.
    bool ApplyTo(int fd) const;

private:
    bool KeepOwner(int fd) const;
    bool SetAttributes(int fd, bool accessControl) const;

    struct stat m_status {};
    std::vector<std::pair<std::string, std::string>> m_attributes;  // name, value
    bool m_hasAccessControlList = false;                            // more than the mode says
};

}  // namespace lesamo
