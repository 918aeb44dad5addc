// The two files as their readers see them: after the writers have run in the prefix's
// C:\windows, the entries are looked up with the profile API, by file name alone (so in the
// Windows directory), as the chip-card layer and the banking kernel do. Exit status 0 when
// every reader and key is where they expect it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "detect/ReaderDetector.h"

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok)
        ++g_failures;
}

struct NoPorts : lesamo::PortOpener {
    std::unique_ptr<lesamo::SerialPort> Open(const std::string&) override { return nullptr; }
};

struct PrintedNotice : lesamo::Notice {
    void Show(const std::string& text, lesamo::MessageIcon) override
    {
        std::printf("notice: %s\n", text.c_str());
        ++g_failures;
    }
};

std::string Value(const char* file, const char* section, const char* key)
{
    char buffer[1024];
    GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, file);
    return buffer;
}

/// The entries of a section, "key=value" each, as GetPrivateProfileSectionA lists them.
std::vector<std::string> Section(const char* file, const char* section)
{
    std::vector<char> buffer(32768);
    const DWORD length = GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), file);
    std::vector<std::string> entries;
    for (DWORD at = 0; at < length && buffer[at] != '\0';) {
        entries.emplace_back(&buffer[at]);
        at += static_cast<DWORD>(entries.back().size()) + 1;
    }
    return entries;
}

std::string Joined(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : " | ") + entry;
    return text;
}

void ExpectSection(const char* file, const char* section, const std::vector<std::string>& expected)
{
    const std::vector<std::string> actual = Section(file, section);
    Check(actual == expected, std::string(file) + " [" + section + "]: " + Joined(actual));
}

void ExpectValue(const char* file, const char* section, const char* key, const std::string& expected)
{
    const std::string actual = Value(file, section, key);
    Check(actual == expected, std::string(file) + " [" + section + "] " + key + " = " + actual);
}

std::string WindowsDirectory()
{
    char buffer[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

void WriteOldFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
        Check(false, "cannot prepare " + path);
}

}  // namespace

int main()
{
    const char* windir = std::getenv("windir");
    Check(windir && WindowsDirectory() == windir, "%windir% is the Windows directory: " + WindowsDirectory());
    const std::string hbciPath = WindowsDirectory() + "\\hbcikrnl.ini";
    // Another reader was installed and active before.
    WriteOldFile(hbciPath, "[CardReader]\r\nOtherReader=Active\r\nVeskKavirex3=Installed\r\n\r\n"
                           "[OtherReader]\r\nPort=1\r\nCtDllName=other.dll\r\n\r\n"
                           "[VeskKavirex3]\r\nPort=4\r\nCtDllName=ctvskdrv.dll\r\n");

    NoPorts ports;
    PrintedNotice notice;
    {
        lesamo::CReaderDetector detector(ports, notice);
        detector.m_nPortKind[1] = lesamo::readerKavirex3;
        detector.m_nPortKind[2] = lesamo::readerKrm;
        detector.m_nPortKind[3] = lesamo::readerKrm;
        Check(detector.WriteHbciFile() == lesamo::resultOk, "WriteHbciFile");
        Check(detector.WriteIccFile() == lesamo::resultOk, "WriteIccFile");
    }

    // The chip-card layer: its timing values and one driver entry pair per reader.
    ExpectValue("icchscr.ini", "ICCMisc", "Timer", "1");
    ExpectValue("icchscr.ini", "ICCMisc", "TElapse", "1000");
    ExpectValue("icchscr.ini", "ICCMisc", "PCElapse", "1000");
    ExpectSection("icchscr.ini", "ICCItemName",
                  {"ICC2=1,u,qz4rex3.dll,4,,com2,9600", "ICCP2=2,s,ICC2", "ICC3=1,u,qz4hkrm.dll,4,,com3,9600",
                   "ICCP3=2,s,ICC3", "ICC4=1,u,qz4hkrm.dll,4,,com4,9600", "ICCP4=2,s,ICC4"});

    // The banking kernel: the Kavirex3 reader active, every other reader installed.
    ExpectSection("hbcikrnl.ini", "CardReader",
                  {"VeskKavirex=Installed", "VeskKavirex3=Active", "OtherReader=Installed"});
    ExpectSection("hbcikrnl.ini", "OtherReader", {"Port=1", "CtDllName=other.dll"});
    const std::vector<std::string> kavirex3 = {"Standard=CTAPI16", "CompanyName=Vesk", "ReaderName=Kavirex3",
                                               "Port=2",           "B1-Reader=0",      "CtDllName=ctvskdrv.dll",
                                               "PIN-Entry=1"};
    ExpectSection("hbcikrnl.ini", "VeskKavirex3", kavirex3);
    ExpectValue("hbcikrnl.ini", "VeskKavirex", "ReaderName", "Kavirex");
    ExpectValue("hbcikrnl.ini", "VeskKavirex", "Port", "3");
    ExpectValue("hbcikrnl.ini", "VeskKavirex", "CtDllName", "ctvskdrv.dll");

    // A second run with only a Kavirex(KRM) reader and the driver in its own directory.
    const char* driverDir = "C:\\Program Files\\Vesk X [Active]";
    _putenv_s("veskrexdir", driverDir);
    {
        lesamo::CReaderDetector detector(ports, notice);
        detector.m_nPortKind[3] = lesamo::readerKrm;
        Check(detector.WriteHbciFile() == lesamo::resultOk, "WriteHbciFile, second run");
        Check(detector.WriteIccFile() == lesamo::resultOk, "WriteIccFile, second run");
    }
    ExpectSection("hbcikrnl.ini", "CardReader", {"VeskKavirex=Active", "OtherReader=Installed"});
    ExpectSection("hbcikrnl.ini", "VeskKavirex3", {});
    ExpectSection("hbcikrnl.ini", "VeskKavirex",
                  {"Standard=CTAPI16", "CompanyName=Vesk", "ReaderName=Kavirex", "Port=4", "B1-Reader=0",
                   "CtDllName=" + std::string(driverDir) + "\\ctvskdrv.dll", "PIN-Entry=1"});
    ExpectSection("icchscr.ini", "ICCItemName", {"ICC4=1,u,qz4hkrm.dll,4,,com4,9600", "ICCP4=2,s,ICC4"});

    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
