// CReaderDetector::WriteHbciFile: hbcikrnl.ini, read, merged (HbciMerge) and written back.
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "config/ConfigFile.h"
#include "config/HbciMerge.h"
#include "config/TextFile.h"
#include "config/WindowsDir.h"
#include "detect/ReaderDetector.h"

namespace lesamo {
namespace {

/// The banking kernel reads a file that begins with a UTF-16 byte-order mark as UTF-16 text.
/// This program reads and writes single bytes: it could neither merge such a file nor replace
/// it without losing everything that the other programs keep in it.
bool IsUtf16Text(std::string_view text)
{
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

}  // namespace

int CReaderDetector::WriteHbciFile()
{
    // Set, even to an empty value, means the driver lives in that directory.
    const char* driverDir = std::getenv("veskrexdir");
    // Found once: the old text is read from the file that the new one then replaces.
    TextFile file(WindowsFilePath("hbcikrnl.ini"));
    try {
        std::string oldText;
        // No file yet is the normal first run. A file that is there but cannot be read (far
        // too large to be ours, or in UTF-16) would be lost if it were replaced, so it is left
        // alone as one that cannot be created.
        if (file.Read(oldText) == ReadOutcome::Failed || IsUtf16Text(oldText))
            return ReportCreateFailed(m_notice, "HBCIKRNL.INI");
        const std::string text = MergeHbciText(oldText, m_nPortKind,
                                               driverDir ? std::optional<std::string_view>(driverDir) : std::nullopt);
        return WriteConfigFile(m_notice, file, text, "HBCIKRNL.INI");
    } catch (const std::bad_alloc&) {
        // Out of memory for the merge: the file is as it was (a new version is never half
        // in place), so say it could not be made rather than end the program. The house
        // rule's one catch (CONTRIBUTING.md): only here does an old file decide the memory.
        return ReportCreateFailed(m_notice, "HBCIKRNL.INI");
    }
}

}  // namespace lesamo
