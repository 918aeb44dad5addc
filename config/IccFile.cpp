// CReaderDetector::WriteIccFile: icchscr.ini, written anew with one entry per reader found.
#include <algorithm>
#include <string>
#include <string_view>

#include "config/ConfigFile.h"
#include "config/WindowsDir.h"
#include "detect/ReaderDetector.h"

namespace lesamo {
namespace {

constexpr std::string_view kIccHead = "[ICCMisc]\nTimer=1\nTElapse=1000\nPCElapse=1000\n";
constexpr std::string_view kIccItemHeader = "\n[ICCItemName]\n";
constexpr std::string_view kIccEntryTemplate = "ICCX=1,u,DLLName.dll,4,,comX,9600\nICCPX=2,s,ICCX\n\n";
constexpr std::string_view kDllPlaceholder = "DLLName.dll";
constexpr std::string_view kKrmDriverDll = "qz4hkrm.dll";
constexpr std::string_view kKavirex3DriverDll = "qz4rex3.dll";

}  // namespace

int CReaderDetector::WriteIccFile()
{
    std::string text(kIccHead);
    text += kIccItemHeader;
    for (char digit = '1'; digit <= '4'; ++digit) {
        const int kind = m_nPortKind[digit - '1'];
        if (kind != readerKrm && kind != readerKavirex3)
            continue;
        std::string entry(kIccEntryTemplate);
        std::replace(entry.begin(), entry.end(), 'X', digit);
        entry.replace(entry.find(kDllPlaceholder), kDllPlaceholder.size(),
                      kind == readerKrm ? kKrmDriverDll : kKavirex3DriverDll);
        text += entry;
    }
    TextFile file(WindowsFilePath("icchscr.ini"));
    return WriteConfigFile(m_notice, file, text, "ICCHSCR.INI");
}

}  // namespace lesamo
