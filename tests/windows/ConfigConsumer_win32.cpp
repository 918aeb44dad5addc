// The two files as their readers see them: after the writers have run in the prefix's
// C:\windows, the entries are looked up with the profile API, by file name alone (so in the
// Windows directory), as the chip-card layer and the banking kernel do; and hbcikrnl.ini files
// as other programs and editors write them, read before and after the merge. Exit status 0
// when every reader and key is where they expect it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "detect/ReaderDetector.h"
#include "tests/support/HbciReaderCases.h"

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

struct RecordedNotice : lesamo::Notice {
    std::vector<std::string> texts;
    void Show(const std::string& text, lesamo::MessageIcon) override
    {
        std::printf("notice: %s\n", text.c_str());
        texts.push_back(text);
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

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, count);
        std::fclose(file);
    }
    return bytes;
}

/// What the reader finds in a file: every section that GetPrivateProfileSectionNamesA names,
/// with each key that GetPrivateProfileSectionA lists and its value through
/// GetPrivateProfileStringA (the first section and key of a name win, quotes are dropped).
struct FoundSection {
    using Entries = std::vector<std::pair<std::string, std::string>>;
    std::string name;
    Entries entries;
    bool operator==(const FoundSection&) const = default;
};
using ReaderView = std::vector<FoundSection>;

ReaderView ReadBack(const char* file)
{
    std::vector<char> names(32768);
    const DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), file);
    ReaderView view;
    for (DWORD at = 0; at < length && names[at] != '\0'; at += static_cast<DWORD>(view.back().name.size()) + 1) {
        view.push_back({&names[at], {}});
        for (const std::string& entry : Section(file, view.back().name.c_str())) {
            const std::string key = entry.substr(0, entry.find('='));
            view.back().entries.emplace_back(key, Value(file, view.back().name.c_str(), key.c_str()));
        }
    }
    return view;
}

std::string Shown(const ReaderView& view)
{
    std::string text;
    for (const FoundSection& section : view) {
        text += "[" + section.name + "]";
        for (const auto& [key, value] : section.entries)
            text += " " + key + "=" + value;
        text += " ";
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool IsOwnName(std::string_view name)
{
    return SameName(name, "VeskKavirex3") || SameName(name, "VeskKavirex");
}

/// The program's own material: sections named with its marker "Vesk" or its names, keys with
/// the marker, and its names as keys in [CardReader].
bool IsOwnSection(const FoundSection& section)
{
    return section.name.starts_with("Vesk") || IsOwnName(section.name);
}

bool IsOwnKey(const FoundSection& section, std::string_view key)
{
    return key.starts_with("Vesk") || (SameName(section.name, "CardReader") && IsOwnName(key));
}

/// The readers and entries of other programs; with `demote`, as they must read after a reader
/// was registered.
ReaderView Foreign(const ReaderView& view, bool demote)
{
    ReaderView foreign;
    for (const FoundSection& section : view) {
        if (IsOwnSection(section))
            continue;
        foreign.push_back({section.name, {}});
        for (const auto& [key, value] : section.entries) {
            if (!IsOwnKey(section, key))
                foreign.back().entries.emplace_back(key, demote && value == "Active" ? "Installed" : value);
        }
    }
    return foreign;
}

/// Reads a merged file as the banking kernel does: the Kavirex3 reader registered, its
/// section the one the kernel finds, nothing of an earlier run still seen (no second section
/// or key of the program's, one reader active), nothing of another program lost.
void CheckReadBack(const std::string& name, const ReaderView& before)
{
    const ReaderView after = ReadBack("hbcikrnl.ini");
    Check(Value("hbcikrnl.ini", "CardReader", "VeskKavirex3") == "Active", name + ": registered: " + Shown(after));
    ExpectSection("hbcikrnl.ini", "VeskKavirex3",
                  {"Standard=CTAPI16", "CompanyName=Vesk", "ReaderName=Kavirex3", "Port=2", "B1-Reader=0",
                   "CtDllName=ctvskdrv.dll", "PIN-Entry=1"});
    const auto readers = std::find_if(after.begin(), after.end(),
                                      [](const FoundSection& section) { return SameName(section.name, "CardReader"); });
    FoundSection::Entries ownKeys;
    int active = 0;
    for (const auto& entry : readers != after.end() ? readers->entries : FoundSection::Entries()) {
        if (IsOwnKey(*readers, entry.first))
            ownKeys.push_back(entry);
        active += entry.second == "Active" ? 1 : 0;
    }
    Check(std::count_if(after.begin(), after.end(), IsOwnSection) == 1 && active == 1 &&
              ownKeys == FoundSection::Entries{{"VeskKavirex3", "Active"}},
          name + ": nothing stale");
    const ReaderView expected = Foreign(before, true);
    const ReaderView foreign = Foreign(after, false);
    Check(foreign == expected,
          name + ": nothing lost: " + Shown(expected) + (foreign == expected ? "" : "but read " + Shown(foreign)));
}

/// The old files of other programs and editors, merged with a Kavirex3 reader on com2 and read
/// back; a file that cannot be merged must be refused with the create-file message and stay.
void MergeAndReadBack(const std::string& path)
{
    for (const lesamo::test::HbciReaderCase& c : lesamo::test::kHbciReaderCases) {
        WriteOldFile(path, c.oldFile);
        const ReaderView before = ReadBack("hbcikrnl.ini");
        NoPorts ports;
        RecordedNotice notice;
        lesamo::CReaderDetector detector(ports, notice);
        std::copy(std::begin(lesamo::test::kHbciReaderCasePorts), std::end(lesamo::test::kHbciReaderCasePorts),
                  detector.m_nPortKind);
        const int result = detector.WriteHbciFile();
        if (c.newFile.empty()) {
            Check(result == lesamo::resultFailed &&
                      notice.texts == std::vector<std::string>{"Error: Create File: HBCIKRNL.INI "} &&
                      ReadFileBytes(path) == c.oldFile,
                  std::string(c.name) + ": refused and left as it was");
            continue;
        }
        Check(result == lesamo::resultOk && notice.texts.empty(), std::string(c.name) + ": WriteHbciFile");
        CheckReadBack(c.name, before);
    }
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
    RecordedNotice notice;
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

    Check(notice.texts.empty(), "no message box");

    _putenv_s("veskrexdir", "");  // an empty value removes the variable
    MergeAndReadBack(hbciPath);

    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
