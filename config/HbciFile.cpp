// CReaderDetector::WriteHbciFile: hbcikrnl.ini, read, merged (HbciMerge) and written back.
#include <cstdlib>
#include <optional>
#include <string>

#include "config/ConfigFile.h"
#include "config/HbciMerge.h"
#include "config/TextFile.h"
#include "config/WindowsDir.h"
#include "detect/ReaderDetector.h"

namespace lesamo {

int CReaderDetector::WriteHbciFile()
{
    // Set, even to an empty value, means the driver lives in that directory.
    const char* driverDir = std::getenv("veskrexdir");
    const std::string path = WindowsFilePath("hbcikrnl.ini");
    std::string oldText;
    // No file yet is the normal first run. A file that is there but cannot be read would be
    // lost if it were replaced, so it is left alone as one that cannot be created.
    if (ReadTextFile(path, oldText) == ReadOutcome::Failed)
        return ReportCreateFailed(m_notice, "HBCIKRNL.INI");
    const std::string text = MergeHbciText(
        oldText, m_nPortKind, driverDir ? std::optional<std::string_view>(driverDir) : std::nullopt);
    return WriteConfigFile(m_notice, path, text, "HBCIKRNL.INI");
}

}  // namespace lesamo
