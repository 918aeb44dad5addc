// What both writers do with their finished text: put it in the Windows directory or say why not.
#pragma once

#include <string>
#include <string_view>

#include "config/TextFile.h"
#include "common/Notice.h"

namespace lesamo {

/// Writes `text` to `file` (see TextFile::Write). When that fails, shows "Error: Create File: "
/// or, after the new file was begun, "Error: Write File: ", then `shownName` and a blank, with
/// the error icon. Returns resultOk or resultFailed.
int WriteConfigFile(Notice& notice, TextFile& file, std::string_view text, std::string_view shownName);

/// Shows "Error: Create File: ", `shownName` and a blank with the error icon; returns resultFailed.
int ReportCreateFailed(Notice& notice, std::string_view shownName);

}  // namespace lesamo
