// Whole text files as the configuration files need them: a line feed in memory is CR LF on
// disk, and a new version takes the place of the old one only once it is completely on disk,
// so a crash or a full disk never leaves a half-written file. TextFile_posix.cpp and
// TextFile_win32.cpp implement the file operations; the line-end conversions are shared.
#pragma once

#include <string>
#include <string_view>

namespace lesamo {

enum class ReadOutcome { Read, Missing, Failed };
enum class WriteOutcome { Written, CreateFailed, WriteFailed };

/// Reads the file at `path` whole and in binary: every CR LF becomes LF, a Ctrl-Z is ordinary
/// data, and the text ends at the first zero byte. Returns Missing when there is no such
/// file (or no such directory) and Failed when something is there that cannot be read (a
/// directory, no permission, a read error); `text` is empty then.
ReadOutcome ReadTextFile(const std::string& path, std::string& text);

/// Writes `text`, every LF as CR LF, to a new file in the directory of `path` (of the file a
/// symbolic link there names), flushes it to the disk and then puts it in place of `path`,
/// keeping the old file's permissions. Returns CreateFailed when the target is there but may
/// not be written by this user (read-only) or cannot be replaced (a directory), or when no
/// file can be created beside it; WriteFailed when writing or flushing fails (a full disk).
/// On failure the old file is as it was and no temporary file is left.
WriteOutcome WriteTextFile(const std::string& path, std::string_view text);

/// The text of file bytes: CR LF turned into LF, cut at the first zero byte.
std::string TextFromDisk(std::string_view bytes);

/// The file bytes of a text: LF turned into CR LF.
std::string TextToDisk(std::string_view text);

}  // namespace lesamo
