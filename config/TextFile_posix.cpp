// Whole text files on POSIX. The file's place (a descriptor of its directory and its name there)
// is found once by the safe chase (common/SafePath_posix.h); reading and writing then use that
// descriptor alone (openat, renameat). A new version goes to a temporary file beside the target
// (TemporaryFile, with the ending signals held), fsync'ed, given what the old file had besides
// its bytes (KeptMetadata), renamed over the target, and the directory fsync'ed so that the
// rename itself survives a crash.
#include "config/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "common/FileDescriptor_posix.h"
#include "common/SafePath_posix.h"
#include "config/KeptMetadata_posix.h"
#include "config/TemporaryFile_posix.h"

namespace lesamo {
namespace {

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

}  // namespace

struct TextFile::Place : PathPlace {
    int error = 0;  // why the place could not be found, 0 when it was
};

TextFile::TextFile(const std::string& path) : m_place(std::make_unique<Place>())
{
    m_place->error = FindSafePlace(path, *m_place);
    if (m_place->error == 0) {
        // Readable, the directory can also be fsync'ed after the rename.
        FileDescriptor readable(openat(m_place->directory.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (readable.Valid())
            m_place->directory = std::move(readable);
    }
}

TextFile::~TextFile() = default;

ReadOutcome TextFile::Read(std::string& text)
{
    text.clear();
    if (m_place->error != 0)
        return m_place->error == ENOENT || m_place->error == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Failed;
    // O_NONBLOCK: a FIFO put in the file's place must not hang the program. O_NOFOLLOW: a link
    // put there since the place was found is not followed.
    FileDescriptor fd(openat(m_place->directory.Get(), m_place->name.c_str(),
                             O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid())
        return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Failed;
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) > kMaxTextFileBytes)
        return ReadOutcome::Failed;

    // Up to the first zero byte: nothing after it belongs to the text.
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
        const void* zero = std::memchr(buffer, '\0', static_cast<std::size_t>(count));
        bytes.append(buffer, zero ? static_cast<const char*>(zero) - buffer : count);
        if (zero)
            break;
        if (bytes.size() > kMaxTextFileBytes)  // it grew since fstat
            return ReadOutcome::Failed;
    }
    text = TextFromDisk(bytes);
    return ReadOutcome::Read;
}

WriteOutcome TextFile::Write(std::string_view text)
{
    if (m_place->error != 0)
        return WriteOutcome::CreateFailed;
    const int directory = m_place->directory.Get();
    const char* name = m_place->name.c_str();
    struct stat old {};
    const bool exists = fstatat(directory, name, &old, AT_SYMLINK_NOFOLLOW) == 0;
    // A file this user may not write stays as it is, as it would if it were written in place;
    // faccessat with the effective ids lets root write anything, as root can.
    if (exists && (!S_ISREG(old.st_mode) || faccessat(directory, name, W_OK, AT_EACCESS) != 0))
        return WriteOutcome::CreateFailed;
    KeptMetadata kept;
    if (exists && !kept.Read(directory, m_place->name, old))
        return WriteOutcome::CreateFailed;

    const SignalsHeld held;
    TemporaryFile temporary(directory, m_place->name);
    FileDescriptor& fd = temporary.File();
    if (!fd.Valid())
        return WriteOutcome::CreateFailed;
    if (!WriteAll(fd.Get(), TextToDisk(text)))
        return WriteOutcome::WriteFailed;
    // The new file is 0600 and this user's; the programs that read it need the old file's
    // access. A file that cannot have it is not put in the old one's place.
    if (exists ? !kept.ApplyTo(fd.Get()) : fchmod(fd.Get(), NewFileMode()) != 0)
        return WriteOutcome::CreateFailed;
    if (fsync(fd.Get()) != 0 || !fd.Close())
        return WriteOutcome::WriteFailed;

    if (renameat(directory, temporary.Name().c_str(), directory, name) != 0)
        return WriteOutcome::CreateFailed;
    temporary.Keep();
    fsync(directory);  // makes the rename durable; where a directory cannot be synced, it need not
    return WriteOutcome::Written;
}

}  // namespace lesamo
