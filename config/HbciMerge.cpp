// The merge of hbcikrnl.ini. One pass over the old lines, so the time grows with the file's
// length only, however many of the program's own lines it holds.
#include "config/HbciMerge.h"

#include <algorithm>

namespace lesamo {
namespace {

constexpr std::string_view kHeader = "[CardReader]\n";
// Right behind "[CardReader]" and one line feed: the header's own, or the first line feed of
// the appended section when nothing but the header was left.
constexpr std::size_t kKeyLinePosition = kHeader.size();
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
constexpr std::string_view kBlanks = " \t\v\f\r";  // white space within a line
constexpr std::string_view kIndent = " \t";        // what an ini reader skips ahead of a line

constexpr std::string_view kSectionMarker = "[Vesk";
constexpr std::string_view kEntryMarker = "Vesk";

constexpr std::string_view kKavirex3SectionHead =
    "\n\n[VeskKavirex3]\nStandard=CTAPI16\nCompanyName=Vesk\nReaderName=Kavirex3\nPort=";
constexpr std::string_view kKrmSectionHead =
    "\n\n[VeskKavirex]\nStandard=CTAPI16\nCompanyName=Vesk\nReaderName=Kavirex\nPort=";
constexpr std::string_view kSectionMiddle = "\nB1-Reader=0\nCtDllName=";
constexpr std::string_view kSectionTail = "\nPIN-Entry=1\n\n";
constexpr std::string_view kDriverDll = "ctvskdrv.dll";

constexpr std::string_view kKavirex3Active = "VeskKavirex3=Active\n";
constexpr std::string_view kKrmActive = "VeskKavirex=Active\n";
constexpr std::string_view kKrmInstalled = "VeskKavirex=Installed\n";

constexpr std::string_view kActive = "Active";
constexpr std::string_view kInstalled = "Installed";

bool IsWhiteSpace(char c)
{
    return kWhiteSpace.find(c) != std::string_view::npos;
}

bool IsControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

/// The line as an ini reader looks at it: from its first character that is not a blank or tab.
std::string_view Unindented(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(kIndent);
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

/// Where the value "Active" of a line key=Active starts in `line`, or npos. White space around
/// the value is allowed, as readers of ini files drop it; so trimming the end of the file
/// never turns a value into "Active".
std::size_t ActiveValue(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::string_view::npos;
    const std::size_t value = line.find_first_not_of(kBlanks, equals + 1);
    if (value == std::string_view::npos || line.compare(value, kActive.size(), kActive) != 0)
        return std::string_view::npos;
    const std::size_t rest = line.find_first_not_of(kBlanks, value + kActive.size());
    return rest == std::string_view::npos || line[rest] == '\n' ? value : std::string_view::npos;
}

void AppendSection(std::string& text, std::string_view head, char digit, std::string_view driverPath)
{
    text += head;
    text += digit;
    text += kSectionMiddle;
    text += driverPath;
    text += kSectionTail;
}

}  // namespace

std::string DriverPath(std::optional<std::string_view> driverDir)
{
    if (!driverDir || std::any_of(driverDir->begin(), driverDir->end(), IsControl))
        return std::string(kDriverDll);
    std::string path(*driverDir);
    path += '\\';
    path += kDriverDll;
    return path;
}

std::string MergeHbciText(std::string_view oldText, const int (&portKinds)[kPortCount],
                          std::optional<std::string_view> driverDir)
{
    // What a text-mode reader of the file sees ends at the first zero byte.
    oldText = Trimmed(oldText.substr(0, oldText.find('\0')));
    if (!oldText.starts_with(kHeader))
        oldText = kHeader;  // the kernel's file must begin with its reader list

    int krmPort = 0;
    int kavirex3Port = 0;
    for (int port = kPortCount; port >= 1; --port) {
        if (portKinds[port - 1] == readerKrm)
            krmPort = port;
        else if (portKinds[port - 1] == readerKavirex3)
            kavirex3Port = port;
    }
    const bool addsSection = krmPort != 0 || kavirex3Port != 0;

    // Keep every line that is not the program's own, line feed included, so no other
    // program's line is ever cut or joined; demote the other readers when one of ours is added.
    std::string text;
    text.reserve(oldText.size() + 2 * kKavirex3SectionHead.size() + 2 * driverDir.value_or("").size() + 256);
    bool inOwnSection = false;
    std::size_t kept = 0;  // start of the kept lines not yet copied
    for (std::size_t start = 0; start < oldText.size();) {
        const std::size_t lineFeed = oldText.find('\n', start);
        const std::size_t next = lineFeed == std::string_view::npos ? oldText.size() : lineFeed + 1;
        const std::string_view line = oldText.substr(start, next - start);
        // Indented headers and key lines count as the reader sees them: "  [Other]" ends our
        // section, "\t[VeskKavirex3]" starts one.
        const std::string_view content = Unindented(line);
        if (content.starts_with('['))
            inOwnSection = content.starts_with(kSectionMarker);
        if (inOwnSection || content.starts_with(kEntryMarker)) {
            text.append(oldText, kept, start - kept);
            kept = next;
        } else if (const std::size_t value = addsSection ? ActiveValue(line) : std::string_view::npos;
                   value != std::string_view::npos) {
            text.append(oldText, kept, start + value - kept);
            text += kInstalled;
            kept = start + value + kActive.size();
        }
        start = next;
    }
    text.append(oldText, kept);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.pop_back();

    if (!addsSection) {
        text += '\n';  // the file ends with a line end like every other line
        return text;
    }

    // The port is filled in before the directory goes in, so the directory stays verbatim.
    const std::string driverPath = DriverPath(driverDir);
    for (int port = 1; port <= kPortCount; ++port) {
        const char digit = static_cast<char>('0' + port);
        if (port == krmPort)
            AppendSection(text, kKrmSectionHead, digit, driverPath);
        if (port == kavirex3Port)
            AppendSection(text, kKavirex3SectionHead, digit, driverPath);
    }

    // The Kavirex3 reader wins over the Kavirex(KRM) reader whatever their ports.
    std::string keyLines;
    if (kavirex3Port != 0) {
        if (krmPort != 0)
            keyLines = kKrmInstalled;
        keyLines += kKavirex3Active;
    } else {
        keyLines = kKrmActive;
    }
    text.insert(kKeyLinePosition, keyLines);

    text.pop_back();  // of the last section's two line feeds, one ends the file
    return text;
}

}  // namespace lesamo
