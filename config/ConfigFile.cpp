// The failure messages that both writers share.
#include "config/ConfigFile.h"

#include "config/TextFile.h"
#include "common/ReaderTypes.h"
#include "common/Texts.h"

namespace lesamo {
namespace {

int Report(Notice& notice, std::string_view what, std::string_view shownName)
{
    std::string text(what);
    text += shownName;
    text += ' ';
    notice.Show(text, MessageIcon::Error);
    return resultFailed;
}

}  // namespace

int ReportCreateFailed(Notice& notice, std::string_view shownName)
{
    return Report(notice, TXT_ERROR_CREATE_FILE, shownName);
}

int WriteConfigFile(Notice& notice, TextFile& file, std::string_view text, std::string_view shownName)
{
    switch (file.Write(text)) {
    case WriteOutcome::Written: return resultOk;
    case WriteOutcome::CreateFailed: return ReportCreateFailed(notice, shownName);
    case WriteOutcome::WriteFailed: break;
    }
    return Report(notice, TXT_ERROR_WRITE_FILE, shownName);
}

}  // namespace lesamo
