// Whole text files on POSIX: read with read(2); written to a mkstemp file beside the target,
// fsync'ed, given the old file's mode (and owner), renamed over the target, and the directory
// fsync'ed so that the rename itself survives a crash.
#include "config/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

namespace lesamo {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    /// Closes now; false when close reports an error (NFS reports late write errors there).
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return close(fd) == 0;
    }

private:
    int m_fd;
};

/// Removes the temporary file unless it has been put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.empty())
            unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return m_path; }
    void Keep() { m_path.clear(); }

private:
    std::string m_path;
};

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

/// The file that `path` finally names: symbolic links are followed, also a dangling one, so
/// that the new file replaces the link's target and the link stays.
std::string FollowLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return path;
        const std::string link(target, static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : DirectoryOf(path) + "/" + link;
    }
    return path;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t NewFileMode()
{
    // What open(O_CREAT, 0666) would have given; umask can only be read by setting it.
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void SyncDirectory(const std::string& directory)
{
    // Makes the rename durable; file systems that cannot sync a directory need not.
    FileDescriptor fd(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        fsync(fd.Get());
}

}  // namespace

ReadOutcome ReadTextFile(const std::string& path, std::string& text)
{
    text.clear();
    // O_NONBLOCK: a FIFO put in the file's place must not hang the program.
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid())
        return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Failed;
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return ReadOutcome::Failed;

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size) + 1);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = read(fd.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return ReadOutcome::Failed;
        }
        if (count == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    text = TextFromDisk(bytes);
    return ReadOutcome::Read;
}

WriteOutcome WriteTextFile(const std::string& path, std::string_view text)
{
    const std::string target = FollowLinks(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    // A file this user may not write stays as it is, as it would if it were written in place;
    // faccessat with the effective ids lets root write anything, as root can.
    if (exists && (!S_ISREG(old.st_mode) || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return WriteOutcome::CreateFailed;

    std::string name = target + ".XXXXXX";
    FileDescriptor fd(mkostemp(name.data(), O_CLOEXEC));
    if (!fd.Valid())
        return WriteOutcome::CreateFailed;
    TemporaryFile temporary(name);

    if (!WriteAll(fd.Get(), TextToDisk(text)))
        return WriteOutcome::WriteFailed;
    // mkstemp made the file 0600; the programs that read it need the old file's access. The
    // owner is set first because changing it clears set-id bits.
    if (exists && geteuid() == 0 && fchown(fd.Get(), old.st_uid, old.st_gid) != 0)
        return WriteOutcome::WriteFailed;
    if (fchmod(fd.Get(), exists ? old.st_mode & 07777 : NewFileMode()) != 0)
        return WriteOutcome::WriteFailed;
    if (fsync(fd.Get()) != 0 || !fd.Close())
        return WriteOutcome::WriteFailed;

    if (rename(temporary.Path().c_str(), target.c_str()) != 0)
        return WriteOutcome::CreateFailed;
    temporary.Keep();
    SyncDirectory(DirectoryOf(target));
    return WriteOutcome::Written;
}

}  // namespace lesamo
