// The merge's promises, checked line by line against the old text, each line read as the
// banking kernel's reader, the profile API, reads it; and the old files that test them.
#include "tests/support/HbciMergeProperties.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/HbciMerge.h"

namespace lesamo::test {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
constexpr std::string_view kReaderBlanks = " \t\v\f\r\x1a";  // skipped around lines, names, values
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Line {
    std::string_view text;     // with its line end
    std::string_view content;  // without the line end and the reader's blanks around it
};

std::string_view Stripped(std::string_view text, std::string_view blanks = kReaderBlanks)
{
    const std::size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

/// The lines as the reader splits them: at LF, CR LF and a CR alone.
std::vector<Line> Lines(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view content = Stripped(text.substr(0, end));
        if (end < text.size())
            end += text.substr(end, 2) == "\r\n" ? 2 : 1;
        lines.push_back({text.substr(0, end), content});
        text.remove_prefix(end);
    }
    return lines;
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsOwnName(std::string_view name)
{
    return SameName(name, "VeskKavirex3") || SameName(name, "VeskKavirex");
}

/// The section name of a header line ("[" ... last "]", trimmed), or none for other lines.
std::optional<std::string_view> HeaderName(const Line& line)
{
    const std::size_t close = line.content.rfind(']');
    if (!line.content.starts_with('[') || close == std::string_view::npos)
        return std::nullopt;
    return Stripped(line.content.substr(1, close - 1));
}

bool IsOwnSection(std::string_view name)
{
    return name.starts_with("Vesk") || IsOwnName(name);
}

bool IsOwnEntry(std::string_view section, const Line& line)
{
    return line.content.starts_with("Vesk") ||
           (SameName(section, "CardReader") && IsOwnName(Stripped(line.content.substr(0, line.content.find('=')))));
}

/// Where the value that the reader reads as "Active" starts in the line's text, or npos.
std::size_t ActiveAt(const Line& line)
{
    if (HeaderName(line))
        return std::string_view::npos;
    const std::size_t equals = line.content.find('=');
    if (equals == std::string_view::npos)
        return std::string_view::npos;
    std::string_view value = Stripped(line.content.substr(equals + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value == "Active" ? static_cast<std::size_t>(value.data() - line.text.data()) : std::string_view::npos;
}

/// The lines of other programs, in order and with their line ends, with the program's own
/// sections and entries left out.
std::string ForeignText(std::string_view text, bool demote)
{
    std::string foreign;
    std::string_view section;
    bool inOwnSection = false;
    for (const Line& line : Lines(text)) {
        if (const auto name = HeaderName(line)) {
            section = *name;
            inOwnSection = IsOwnSection(section);
        }
        if (inOwnSection || IsOwnEntry(section, line))
            continue;
        std::string kept(line.text);
        if (const std::size_t at = demote ? ActiveAt(line) : std::string_view::npos; at != std::string_view::npos)
            kept.replace(at, 6, "Installed");
        foreign += kept;
    }
    return std::string(Stripped(foreign, kWhiteSpace));
}

/// The index of the line of the reader's first section when that is [CardReader] (the lines
/// ahead are blank or ";" comments), or npos.
std::size_t CardReaderLine(const std::vector<Line>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].content.empty() || lines[i].content.starts_with(';'))
            continue;
        const auto name = HeaderName(lines[i]);
        return name && SameName(*name, "CardReader") ? i : std::string_view::npos;
    }
    return std::string_view::npos;
}

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text.substr(0, 200)) {
        if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += "\\x" + std::string(1, "0123456789ABCDEF"[(c >> 4) & 15]) + "0123456789ABCDEF"[c & 15];
        else
            out += c;
    }
    return out + (text.size() > 200 ? "...\"" : "\"");
}

struct Expected {
    std::vector<std::string> keys;      // the key lines behind the header
    std::vector<std::string> sections;  // header and port line of each own section
};

Expected ExpectedOwnMaterial(const int (&portKinds)[kPortCount])
{
    int krmPort = 0;
    int kavirex3Port = 0;
    for (int port = kPortCount; port >= 1; --port) {
        if (portKinds[port - 1] == readerKrm)
            krmPort = port;
        if (portKinds[port - 1] == readerKavirex3)
            kavirex3Port = port;
    }
    Expected expected;
    if (kavirex3Port != 0 && krmPort != 0)
        expected.keys = {"VeskKavirex=Installed", "VeskKavirex3=Active"};
    else if (kavirex3Port != 0)
        expected.keys = {"VeskKavirex3=Active"};
    else if (krmPort != 0)
        expected.keys = {"VeskKavirex=Active"};
    for (int port = 1; port <= kPortCount; ++port) {
        if (port == krmPort)
            expected.sections.push_back("[VeskKavirex]Port=" + std::to_string(port));
        if (port == kavirex3Port)
            expected.sections.push_back("[VeskKavirex3]Port=" + std::to_string(port));
    }
    return expected;
}

/// The old text as the merge takes it: up to the first zero byte, behind a UTF-8 mark,
/// trimmed, and only when its first section is [CardReader]; `mark` tells whether it keeps one.
std::string_view OldTextKept(std::string_view oldText, bool& mark)
{
    std::string_view old = oldText.substr(0, oldText.find('\0'));
    mark = old.starts_with(kUtf8Mark);
    if (mark)
        old.remove_prefix(kUtf8Mark.size());
    old = Stripped(old, kWhiteSpace);
    if (CardReaderLine(Lines(old)) == std::string_view::npos) {
        mark = false;
        return {};
    }
    return old;
}

/// The program's own material of the merged text: right behind the header, the key lines;
/// at the end, one section per kind with its port; the driver; exactly one reader Active.
std::string CheckOwnMaterial(std::string_view merged, const int (&portKinds)[kPortCount],
                             std::optional<std::string_view> driverDir)
{
    const Expected expected = ExpectedOwnMaterial(portKinds);
    const std::vector<Line> lines = Lines(merged);
    const std::size_t header = CardReaderLine(lines);
    std::vector<std::string> keys;
    std::vector<std::string> sections;
    std::vector<std::string> drivers;
    std::string_view section;
    bool inOwnSection = false;
    int activeCount = 0;
    for (const Line& line : lines) {
        if (const auto name = HeaderName(line)) {
            section = *name;
            inOwnSection = IsOwnSection(section);
            if (inOwnSection)
                sections.emplace_back(line.content);
        }
        activeCount += ActiveAt(line) != std::string_view::npos ? 1 : 0;
        if (!inOwnSection && IsOwnEntry(section, line))
            keys.emplace_back(line.text);
        if (inOwnSection && line.content.starts_with("Port="))
            sections.back() += std::string(line.content);
        if (inOwnSection && line.content.starts_with("CtDllName="))
            drivers.emplace_back(line.content.substr(10));
    }
    for (std::size_t i = 0; i < expected.keys.size(); ++i) {
        if (header + 1 + i >= lines.size() || lines[header + 1 + i].text != expected.keys[i] + "\n")
            return "key lines not right behind the header: " + Quoted(merged);
    }
    if (keys.size() != expected.keys.size())
        return "wrong key lines in " + Quoted(merged);
    if (sections != expected.sections)
        return "wrong sections in " + Quoted(merged);
    if (drivers != std::vector<std::string>(expected.sections.size(), DriverPath(driverDir)))
        return "wrong CtDllName in " + Quoted(merged);
    if (!expected.sections.empty() && activeCount != 1)
        return "not exactly one reader is Active: " + Quoted(merged);
    return {};
}

}  // namespace

std::string CheckMergeProperties(std::string_view oldText, const int (&portKinds)[kPortCount],
                                 std::optional<std::string_view> driverDir)
{
    const std::string merged = MergeHbciText(oldText, portKinds, driverDir);
    bool mark = false;
    const std::string_view old = OldTextKept(oldText, mark);
    if (merged.starts_with(kUtf8Mark) != mark)
        return "the UTF-8 mark is not kept exactly when the text is: " + Quoted(merged);
    const std::string_view text = std::string_view(merged).substr(mark ? kUtf8Mark.size() : 0);
    if (CardReaderLine(Lines(text)) == std::string_view::npos)
        return "the first section is not [CardReader]: " + Quoted(merged);
    if (merged.size() < 2 || merged.back() != '\n' ||
        kWhiteSpace.find(merged[merged.size() - 2]) != std::string_view::npos)
        return "does not end with exactly one line end: " +
               Quoted(merged.substr(merged.size() - std::min<std::size_t>(merged.size(), 40)));
    if (MergeHbciText(merged, portKinds, driverDir) != merged)
        return "a second merge changes the text: " + Quoted(merged);

    const bool addsSection = !ExpectedOwnMaterial(portKinds).sections.empty();
    const std::string expected = old.empty() ? "[CardReader]" : ForeignText(old, addsSection);
    const std::string actual = ForeignText(text, false);
    if (actual != expected)
        return "lines of other programs changed: expected " + Quoted(expected) + ", got " + Quoted(actual);
    return CheckOwnMaterial(text, portKinds, driverDir);
}

std::string GenerateOldHbciText(std::mt19937& random)
{
    static const std::vector<std::string> kPieces = {
        "[CardReader]\n",
        "[VeskKavirex3]\n",
        "[VeskKavirex]\n",
        "[VeskOld]\n",
        "[Other]\n",
        "[Other Reader]\n",
        "VeskKavirex3=Installed\n",
        "VeskKavirex=Active\n",
        "Vesk\n",
        "Other=Active\n",
        "Other = Active \n",
        "Mode=Inactive\n",
        "ActiveX=1\n",
        "Comment=see [Vesk docs]\n",
        "Note=Vesk\n",
        "Port=1\n",
        "PIN-Entry=1\n",
        "CtDllName=C:\\X\\ctvskdrv.dll\n",
        "=Active\n",
        "Other=Active",
        "Key = Active\r",
        "\n",
        "\n\n",
        " ",
        "\t",
        "\r",
        "\r\n",
        "\v",
        "\f",
        "[",
        "]",
        "  [Other]\n",
        "\t[VeskKavirex3]\n",
        " \t[VeskOld]\n",
        "  VeskKavirex3=Installed\n",
        "\tVesk\n",
        "Vesk",
        "=",
        "Active",
        "Installed",
        "\x1a",
        "\xDF",
        "x",
        "[CardReader]",
        std::string(1, '\0'),
        // Line ends and white space as other editors leave them.
        "Other=Installed\r",
        "\f[VeskKavirex3]\r",
        "\v[Other]\r",
        "\x1aVeskKavirex=Active\r",
        "\x0b\x1a [VeskOld]\r",
        // Names in another letter case, blanks inside the brackets, text behind them.
        "[VESKKAVIREX3]\n",
        "[ veskkavirex ]\r",
        "[ VeskKavirex3 ] ; old\n",
        "[vesktool]\n",
        "veskkavirex3=Active\n",
        " VESKKAVIREX = Installed\r",
        "VeskKavirex3\n",
        "[cardreader]\n",
        "[ CardReader ] ; readers\r",
        // Brackets that are no header, quoted and padded values, comments.
        "[Vesk\n",
        "[Note\r",
        "[]\n",
        "[x]=Active\n",
        "Other=\"Active\"\n",
        "Other='Active'\r",
        "Other=\"Active'\n",
        "Other=Active\x1a\n",
        "Other= \"Active\" \x1a\r",
        "Other=\"\"\n",
        "; Other=Active\n",
        "; comment\r",
    };
    static const std::vector<std::string> kStarts = {
        "",  // another first line, or nothing
        " \t\n\r\n[CardReader]\n",
        "[cardreader]\r",
        "[ CardReader ] \n",
        "; readers\r\n\n[CardReader] ; x\n",
        "\xEF\xBB\xBF[CardReader]\n",
        "\x1a[CardReader]\r",
        "\xEF\xBB\xBF; x\n\x1a\n[CardReader]",
    };
    std::string text = random() % 2 == 0 ? "[CardReader]\n" : kStarts[random() % kStarts.size()];
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
        if (random() % 20 == 0) {
            for (int n = static_cast<int>(random() % 8); n > 0; --n)
                text += static_cast<char>(random() % 256);
        } else {
            text += kPieces[random() % kPieces.size()];
        }
    }
    return text;
}

}  // namespace lesamo::test
