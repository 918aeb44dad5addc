// Owner, group, mode, ACL and extended attributes carried over from the replaced file to its
// replacement, before the rename.
#include "config/KeptMetadata_posix.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "common/FileDescriptor_posix.h"

namespace lesamo {
namespace {

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

/// Attributes that say who may do what (ACLs) or that another program reads (user.*): the file
/// is not replaced without them. Others (security.*, trusted.*) are kept where permitted.
bool MustKeep(std::string_view name)
{
    return StartsWith(name, "user.") || StartsWith(name, "system.");
}

/// The old file, opened to read its attributes: for reading where this user may, else only as
/// a place (O_PATH, for a file she may write but not read), whose attributes are then reached
/// through its name in /proc, since the f*xattr calls refuse such a descriptor.
class AttributeSource {
public:
    AttributeSource(int directory, const std::string& name)
        : m_file(openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC))
    {
        if (!m_file.Valid() && errno == EACCES) {
            m_file = FileDescriptor(openat(directory, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            m_path = "/proc/self/fd/" + std::to_string(m_file.Get());
        }
    }
    int Fd() const { return m_file.Get(); }

    /// The names of all its attributes, each ended by a zero byte; false when they cannot be listed.
    bool Names(std::string& names) const
    {
        return Fetch(names, [this](char* buffer, std::size_t size) {
            return m_path.empty() ? flistxattr(m_file.Get(), buffer, size) : listxattr(m_path.c_str(), buffer, size);
        });
    }
    bool Value(const std::string& name, std::string& value) const
    {
        return Fetch(value, [this, &name](char* buffer, std::size_t size) {
            return m_path.empty() ? fgetxattr(m_file.Get(), name.c_str(), buffer, size)
                                  : getxattr(m_path.c_str(), name.c_str(), buffer, size);
        });
    }

private:
    /// Asks for the size, then for the bytes, again when they grew meanwhile (ERANGE).
    template <typename Call>
    static bool Fetch(std::string& bytes, Call call)
    {
        for (;;) {
            const ssize_t size = call(nullptr, 0);
            if (size < 0)
                return false;
            bytes.resize(static_cast<std::size_t>(size));
            const ssize_t got = call(bytes.data(), bytes.size());
            if (got >= 0) {
                bytes.resize(static_cast<std::size_t>(got));
                return true;
            }
            if (errno != ERANGE)
                return false;
        }
    }

    FileDescriptor m_file;
    std::string m_path;  // empty when the descriptor is readable
};

/// Whether `user` is a member of `group` by the user database (the kernel's view of another
/// user's groups is not at hand; the database is what it is made from at login).
bool InGroup(uid_t user, gid_t group)
{
    const passwd* entry = getpwuid(user);
    if (entry == nullptr)
        return false;
    if (entry->pw_gid == group)
        return true;
    const std::string name = entry->pw_name;
    const gid_t primary = entry->pw_gid;
    int count = 0;
    getgrouplist(name.c_str(), primary, nullptr, &count);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0)
        return false;
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

bool Covers(mode_t after, mode_t before)
{
    return (before & ~after & 06) == 0;  // read and write; nobody runs these files
}

/// Whether everyone who could read or write a file of `mode` owned by `oldOwner`:`oldGroup`
/// still can when it belongs to `newOwner`:`newGroup` (mode and the rest unchanged).
bool NobodyLosesAccess(mode_t mode, uid_t oldOwner, gid_t oldGroup, uid_t newOwner, gid_t newGroup)
{
    const mode_t owner = (mode >> 6) & 07;
    const mode_t group = (mode >> 3) & 07;
    const mode_t other = mode & 07;
    // The old owner becomes a member of the group or one of the others (root may do anything).
    if (oldOwner != newOwner && oldOwner != 0 && !Covers(InGroup(oldOwner, newGroup) ? group : other, owner))
        return false;
    // With another group, the members of the old one become others, and the new one's members
    // are no longer others.
    if (oldGroup != newGroup && (!Covers(other, group) || !Covers(group, other)))
        return false;
    // The new owner, who can write the old file, gets the owner's bits.
    const mode_t before = newOwner == oldOwner ? owner : InGroup(newOwner, oldGroup) ? group : other;
    return Covers(owner, before);
}

}  // namespace

bool KeptMetadata::Read(int directory, const std::string& name, const struct stat& status)
{
    m_status = status;
    m_attributes.clear();
    m_hasAccessControlList = false;
    const AttributeSource file(directory, name);
    struct stat opened {};
    if (file.Fd() < 0 || fstat(file.Fd(), &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != status.st_dev ||
        opened.st_ino != status.st_ino)
        return false;
    std::string names;
    if (!file.Names(names))
        return errno == ENOTSUP;  // a file system without attributes has none to keep
    for (std::size_t at = 0; at < names.size();) {
        std::string attribute = names.c_str() + at;
        at += attribute.size() + 1;
        std::string value;
        if (!file.Value(attribute, value)) {
            // Gone meanwhile, or one of those kept only where permitted.
            if (errno != ENODATA && MustKeep(attribute))
                return false;
            continue;
        }
        // The access ACL is an attribute of the kernel's own (system.posix_acl_access).
        m_hasAccessControlList = m_hasAccessControlList || StartsWith(attribute, "system.");
        m_attributes.emplace_back(std::move(attribute), std::move(value));
    }
    return true;
}

bool KeptMetadata::ApplyTo(int fd) const
{
    // In this order: a change of owner clears set-id bits and file capabilities; user.*
    // attributes need write permission, which a read-only mode would take away; the ACL last,
    // since setting it sets the mode's group bits to its mask (as they are on the old file).
    return KeepOwner(fd) && SetAttributes(fd, false) && fchmod(fd, m_status.st_mode & 07777) == 0 &&
           SetAttributes(fd, true);
}

bool KeptMetadata::KeepOwner(int fd) const
{
    if (geteuid() == 0)
        return fchown(fd, m_status.st_uid, m_status.st_gid) == 0;
    // A user may give her file any group she is a member of.
    struct stat now {};
    if (fstat(fd, &now) != 0)
        return false;
    if (now.st_gid != m_status.st_gid && fchown(fd, static_cast<uid_t>(-1), m_status.st_gid) == 0)
        now.st_gid = m_status.st_gid;
    if (now.st_uid == m_status.st_uid && now.st_gid == m_status.st_gid)
        return true;
    return !m_hasAccessControlList &&
           NobodyLosesAccess(m_status.st_mode, m_status.st_uid, m_status.st_gid, now.st_uid, now.st_gid);
}

bool KeptMetadata::SetAttributes(int fd, bool accessControl) const
{
    for (const auto& [name, value] : m_attributes) {
        if (StartsWith(name, "system.") != accessControl)
            continue;
        if (fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0 && MustKeep(name))
            return false;
    }
    return true;
}

}  // namespace lesamo
