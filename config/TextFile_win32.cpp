// Whole text files on Windows: read with ReadFile; written to a GetTempFileNameA file beside
// the target, flushed with FlushFileBuffers, then ReplaceFileA over an existing target (which
// keeps its attributes and ACL) or MoveFileExA with write-through onto a new one. ReplaceFileA
// always gets a backup name beside the target, so that a replace failing halfway leaves the
// old file under a name of ours rather than nowhere (see PutInPlace).
#include "config/TextFile.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace lesamo {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (Valid())
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE m_handle;
};

/// A file of ours beside the target (the new text, the backup of the old one): deleted when the
/// object goes unless it has been put in place or must stay as the only copy of the old text.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : m_path(std::move(path)) {}
    ~ScratchFile()
    {
        if (!m_path.empty())
            DeleteFileA(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }
    void Keep() { m_path.clear(); }

private:
    std::string m_path;
};

std::string DirectoryOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return ".";
    if (separator == 0 || path[separator - 1] == ':')
        return path.substr(0, separator + 1);  // "\" or "C:\": the root keeps its separator
    return path.substr(0, separator);
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool Missing(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool MoveInPlace(const std::string& from, const std::string& to, DWORD flags)
{
    return MoveFileExA(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != FALSE;
}

/// Puts `replacement` in the place of the existing file `path`. ReplaceFileA moves the old file
/// to the backup name first and the new one onto `path` second; when the second step fails
/// (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) the old text exists only under the backup name. Then
/// the new file is moved in after all, or else the old one back; should even that fail, the
/// backup stays on disk rather than being deleted with the last copy of the old text. When
/// ReplaceFileA fails before its first step, `path` is untouched and both scratch files go.
bool PutInPlace(const std::string& path, ScratchFile& replacement, ScratchFile& backup)
{
    if (ReplaceFileA(path.c_str(), replacement.Path().c_str(), backup.Path().c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        replacement.Keep();
        return true;  // the backup goes with its object
    }
    // The old file gone from its name, whatever the error code says, counts as the same state.
    if (GetLastError() != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !Missing(path))
        return false;
    if (MoveInPlace(replacement.Path(), path, MOVEFILE_REPLACE_EXISTING)) {
        replacement.Keep();
        return true;
    }
    // Not over a file that has appeared there meanwhile. Moved back, the backup name is free;
    // not moved back, it holds the only copy of the old text: either way it is not deleted.
    MoveInPlace(backup.Path(), path, 0);
    backup.Keep();
    return false;
}

}  // namespace

// Windows needs no chase of links here: only administrators can put a link into the Windows
// directory. The place is the path as given.
struct TextFile::Place {
    std::string path;
};

TextFile::TextFile(const std::string& path) : m_place(std::make_unique<Place>(Place{path}))
{
}

TextFile::~TextFile() = default;

ReadOutcome TextFile::Read(std::string& text)
{
    const std::string& path = m_place->path;
    text.clear();
    // Others may read the file meanwhile but not change it under us.
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadOutcome::Missing
                                                                              : ReadOutcome::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > kMaxTextFileBytes)
        return ReadOutcome::Failed;
    // Up to the first zero byte: nothing after it belongs to the text.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr))
            return ReadOutcome::Failed;
        if (count == 0)
            break;
        const void* zero = std::memchr(buffer, '\0', count);
        bytes.append(buffer, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer) : count);
        if (zero)
            break;
        if (bytes.size() > kMaxTextFileBytes)  // it grew since GetFileSizeEx
            return ReadOutcome::Failed;
    }
    text = TextFromDisk(bytes);
    return ReadOutcome::Read;
}

WriteOutcome TextFile::Write(std::string_view text)
{
    const std::string& path = m_place->path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return WriteOutcome::CreateFailed;

    const std::string directory = DirectoryOf(path);
    char name[MAX_PATH];
    if (GetTempFileNameA(directory.c_str(), "lsm", 0, name) == 0)
        return WriteOutcome::CreateFailed;
    ScratchFile temporary(name);  // GetTempFileNameA has created it, empty
    Handle file(CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return WriteOutcome::CreateFailed;
    if (!WriteAll(file.Get(), TextToDisk(text)) || !FlushFileBuffers(file.Get()) || !file.Close())
        return WriteOutcome::WriteFailed;

    if (exists) {
        // ReplaceFileA keeps them on Windows, but not every implementation does (Wine).
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (kept != 0)
            SetFileAttributesA(name, kept);
        // Reserved (created empty) by GetTempFileNameA; ReplaceFileA replaces it.
        char backupName[MAX_PATH];
        if (GetTempFileNameA(directory.c_str(), "lsb", 0, backupName) == 0)
            return WriteOutcome::CreateFailed;
        ScratchFile backup(backupName);
        return PutInPlace(path, temporary, backup) ? WriteOutcome::Written : WriteOutcome::CreateFailed;
    }
    if (!MoveFileExA(name, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return WriteOutcome::CreateFailed;
    }
    temporary.Keep();
    return WriteOutcome::Written;
}

}  // namespace lesamo
