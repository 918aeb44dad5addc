// The merge of hbcikrnl.ini. One pass over the old lines, so the time grows with the file's
// length only, however many of the program's own lines it holds. Lines, headers, names and
// values are taken as the banking kernel's reader of the file, the profile API, takes them.
#include "config/HbciMerge.h"

#include <algorithm>

namespace lesamo {
namespace {

constexpr std::string_view kHeader = "[CardReader]\n";
constexpr std::string_view kCardReader = "CardReader";
// The reader decodes a file that begins with this mark as UTF-8; kept, the mark keeps the other
// programs' text readable as they wrote it (the program's own lines are ASCII).
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";  // trimmed at the start and end of the text
// What the profile API skips around a line, a name and a value: white space and the old DOS
// end-of-file mark Ctrl-Z. A CR or LF ends the line.
constexpr std::string_view kReaderBlanks = " \t\v\f\r\x1a";

constexpr std::string_view kOwnMarker = "Vesk";
constexpr std::string_view kKavirex3Name = "VeskKavirex3";
constexpr std::string_view kKrmName = "VeskKavirex";

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

std::string_view Trimmed(std::string_view text, std::string_view blanks)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Names match as the profile API matches them: ASCII letters in any case.
bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

/// The names under which the kernel finds the program's sections and key lines.
bool IsOwnName(std::string_view name)
{
    return SameName(name, kKavirex3Name) || SameName(name, kKrmName);
}

/// One line of the text: the reader ends a line at LF, at CR LF and at a CR alone.
struct Line {
    std::size_t contentStart;  // where `content` starts in the text
    std::string_view content;  // the line as the reader takes it: without its line end and the blanks around it
    std::size_t next;          // where the next line starts
};

Line LineAt(std::string_view text, std::size_t start)
{
    // Two searches as fast as memchr: the next LF, then a CR ahead of it (one alone, or that of
    // a CR LF).
    std::size_t end = std::min(text.find('\n', start), text.size());
    end = std::min(text.substr(0, end).find('\r', start), end);
    std::size_t next = end;
    if (next < text.size())
        next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    const std::string_view content = Trimmed(text.substr(start, end - start), kReaderBlanks);
    return {content.empty() ? start : static_cast<std::size_t>(content.data() - text.data()), content, next};
}

/// A header is a line that starts with "[" and holds a later "]"; its name stands between the
/// "[" and the last "]", without the white space around it. A "[" without "]" is an ordinary
/// line of the section above.
std::optional<std::string_view> SectionName(std::string_view content)
{
    if (!content.starts_with('['))
        return std::nullopt;
    const std::size_t close = content.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trimmed(content.substr(1, close - 1), kReaderBlanks);
}

/// Where, in `content`, the value that the reader reads as exactly "Active" starts (inside one
/// pair of enclosing quotes, which the reader drops), or npos. The value is what follows the
/// first "=", without the white space around it.
std::size_t ActiveValue(std::string_view content)
{
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return std::string_view::npos;
    const std::size_t first = content.find_first_not_of(kReaderBlanks, equals + 1);
    if (first == std::string_view::npos)
        return std::string_view::npos;
    std::string_view value = content.substr(first);  // the line's own end is trimmed already
    std::size_t at = first;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
        ++at;
    }
    return value == kActive ? at : std::string_view::npos;
}

/// Where the line of the header [CardReader] ends in `text`, when that is the reader's first
/// section: the first line that is neither blank nor a ";" comment. npos otherwise.
std::size_t CardReaderHeaderEnd(std::string_view text)
{
    for (std::size_t start = 0; start < text.size();) {
        const Line line = LineAt(text, start);
        if (!line.content.empty() && !line.content.starts_with(';')) {
            const std::optional<std::string_view> name = SectionName(line.content);
            return name && SameName(*name, kCardReader) ? line.next : std::string_view::npos;
        }
        start = line.next;
    }
    return std::string_view::npos;
}

/// The old text as the merge takes it: up to the first zero byte, trimmed, behind a UTF-8 mark
/// that it may carry, and with [CardReader] as its first section, else that header alone.
struct OldText {
    std::string_view mark;
    std::string_view body;
    std::size_t headerEnd;  // in body
};

OldText TextToMerge(std::string_view oldText)
{
    // What a text-mode reader of the file sees ends at the first zero byte.
    oldText = oldText.substr(0, oldText.find('\0'));
    OldText old{};
    if (oldText.starts_with(kUtf8Mark)) {
        old.mark = kUtf8Mark;
        oldText.remove_prefix(kUtf8Mark.size());
    }
    old.body = Trimmed(oldText, kWhiteSpace);
    old.headerEnd = CardReaderHeaderEnd(old.body);
    if (old.headerEnd == std::string_view::npos)
        return {{}, kHeader, kHeader.size()};  // the kernel's file must begin with its reader list
    return old;
}

enum class SectionKind { Other, CardReader, Own };

SectionKind KindOfSection(std::string_view name)
{
    if (name.starts_with(kOwnMarker) || IsOwnName(name))
        return SectionKind::Own;
    return SameName(name, kCardReader) ? SectionKind::CardReader : SectionKind::Other;
}

/// Whether the line is the program's own: in one of its sections, one that starts with the
/// marker, or in [CardReader] a key that the kernel takes for one of the program's.
bool IsOwnLine(SectionKind section, std::string_view content)
{
    if (section == SectionKind::Own || content.starts_with(kOwnMarker))
        return true;
    return section == SectionKind::CardReader &&
           IsOwnName(Trimmed(content.substr(0, content.find('=')), kReaderBlanks));
}

/// Appends every line of `old` that is not the program's own to `text`, each with its own
/// line end, so no other program's line is ever cut or joined; with `demote`, a value read as
/// "Active" becomes "Installed". Returns where the line of the header at `headerEnd` ends in
/// `text`.
std::size_t AppendForeignLines(std::string& text, std::string_view old, std::size_t headerEnd, bool demote)
{
    SectionKind section = SectionKind::Other;
    std::size_t kept = 0;  // start of the kept lines not yet copied
    std::size_t keyLinePosition = 0;
    for (std::size_t start = 0; start < old.size();) {
        const Line line = LineAt(old, start);
        const std::optional<std::string_view> name = SectionName(line.content);
        if (name)
            section = KindOfSection(*name);
        if (IsOwnLine(section, line.content)) {
            text.append(old, kept, start - kept);
            kept = line.next;
        } else if (const std::size_t value = demote && !name ? ActiveValue(line.content) : std::string_view::npos;
                   value != std::string_view::npos) {
            text.append(old, kept, line.contentStart + value - kept);
            text += kInstalled;
            kept = line.contentStart + value + kActive.size();
        }
        if (line.next == headerEnd)
            keyLinePosition = text.size() + (line.next - kept);
        start = line.next;
    }
    text.append(old, kept);
    return keyLinePosition;
}

void AppendSection(std::string& text, std::string_view head, char digit, std::string_view driverPath)
{
    text += head;
    text += digit;
    text += kSectionMiddle;
    text += driverPath;
    text += kSectionTail;
}

/// The lowest port of each reader kind, 0 for none.
struct ReaderPorts {
    int krm = 0;
    int kavirex3 = 0;
};

ReaderPorts LowestPorts(const int (&portKinds)[kPortCount])
{
    ReaderPorts ports;
    for (int port = kPortCount; port >= 1; --port) {
        if (portKinds[port - 1] == readerKrm)
            ports.krm = port;
        else if (portKinds[port - 1] == readerKavirex3)
            ports.kavirex3 = port;
    }
    return ports;
}

void AppendSections(std::string& text, const ReaderPorts& ports, std::optional<std::string_view> driverDir)
{
    // The port is filled in before the directory goes in, so the directory stays verbatim.
    const std::string driverPath = DriverPath(driverDir);
    for (int port = 1; port <= kPortCount; ++port) {
        const char digit = static_cast<char>('0' + port);
        if (port == ports.krm)
            AppendSection(text, kKrmSectionHead, digit, driverPath);
        if (port == ports.kavirex3)
            AppendSection(text, kKavirex3SectionHead, digit, driverPath);
    }
}

std::string KeyLines(const ReaderPorts& ports)
{
    // The Kavirex3 reader wins over the Kavirex(KRM) reader whatever their ports.
    if (ports.kavirex3 == 0)
        return std::string(kKrmActive);
    std::string keyLines(ports.krm != 0 ? kKrmInstalled : "");
    keyLines += kKavirex3Active;
    return keyLines;
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
    const OldText old = TextToMerge(oldText);
    const ReaderPorts ports = LowestPorts(portKinds);
    const bool addsSection = ports.krm != 0 || ports.kavirex3 != 0;

    std::string text;
    text.reserve(old.mark.size() + old.body.size() + 2 * kKavirex3SectionHead.size() +
                 2 * driverDir.value_or("").size() + 256);
    text += old.mark;
    std::size_t keyLinePosition = AppendForeignLines(text, old.body, old.headerEnd, addsSection);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.pop_back();
    if (!addsSection) {
        text += '\n';  // the file ends with a line end like every other line
        return text;
    }
    // A header that ends the text gets the first line feed of the appended section as its own.
    if (keyLinePosition >= text.size())
        keyLinePosition = text.size() + 1;
    AppendSections(text, ports, driverDir);
    text.insert(keyLinePosition, KeyLines(ports));
    text.pop_back();  // of the last section's two line feeds, one ends the file
    return text;
}

}  // namespace lesamo
