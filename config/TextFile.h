// Whole text files as the configuration files need them: a line feed in memory is CR LF on
// disk, and a new version takes the place of the old one only once it is completely on disk,
// so a crash or a full disk never leaves a half-written file. TextFile_posix.cpp and
// TextFile_win32.cpp implement the file operations; the line-end conversions are shared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lesamo {

enum class ReadOutcome { Read, Missing, Failed };
enum class WriteOutcome { Written, CreateFailed, WriteFailed };

/// A file larger than this is no configuration file of ours (the real ones hold a few
/// kilobytes): it is neither read nor replaced (ReadOutcome::Failed). The bound keeps what a
/// merge holds in memory (the text, its merge, the bytes on disk: three times as much) small
/// for any machine, and still leaves a thousandfold margin.
inline constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{64} << 20;

/// A text file named once. Its place is found when the object is made and reading and
/// replacing it go to that one place, whatever is renamed or relinked meanwhile. On POSIX a
/// symbolic link on the way is followed only when it and the directory holding it belong to
/// the user running the program or to root; otherwise the file counts as one that cannot be
/// read (Failed) or created (CreateFailed), and nothing is touched.
class TextFile {
public:
    explicit TextFile(const std::string& path);
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    /// Reads the file whole and in binary, up to its first zero byte (where the text ends):
    /// every CR LF becomes LF, a Ctrl-Z is ordinary data. Returns Missing when there is no such
    /// file (or no such directory) and Failed when something is there that cannot be read (a
    /// directory, no permission, a read error, more than kMaxTextFileBytes); `text` is empty then.
    ReadOutcome Read(std::string& text);
    /// Writes `text`, every LF as CR LF, to a new file in the file's directory (of the file a
    /// symbolic link there names), flushes it to the disk and then puts it in the file's place,
    /// keeping the old file's permissions. Returns CreateFailed when the target is there but may
    /// not be written by this user (read-only) or cannot be replaced (a directory), or when no
    /// file can be created beside it; WriteFailed when writing or flushing fails (a full disk).
    /// On failure the old file is as it was and no temporary file is left; on POSIX no signal
    /// that ends the program can leave one either (they wait until the new file is in place or
    /// gone).
    WriteOutcome Write(std::string_view text);

private:
    struct Place;
    std::unique_ptr<Place> m_place;
};

/// The text of file bytes: CR LF turned into LF, cut at the first zero byte.
std::string TextFromDisk(std::string_view bytes);

/// The file bytes of a text: LF turned into CR LF.
std::string TextToDisk(std::string_view text);

}  // namespace lesamo
