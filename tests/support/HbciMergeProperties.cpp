// The merge's promises, checked line by line against the old text.
#include "tests/support/HbciMergeProperties.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/HbciMerge.h"

namespace lesamo::test {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lineFeed = text.find('\n');
        lines.push_back(text.substr(0, lineFeed));
        if (lineFeed == std::string_view::npos)
            break;
        text.remove_prefix(lineFeed + 1);
    }
    return lines;
}

std::string_view TrimRight(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(kWhiteSpace);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

/// The line as an ini reader looks at it: without the blanks and tabs ahead of it.
std::string_view Content(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

bool IsHeader(std::string_view line)
{
    return Content(line).starts_with("[");
}

bool IsOwnHeader(std::string_view line)
{
    return Content(line).starts_with("[Vesk");
}

bool IsOwnEntry(std::string_view line)
{
    return Content(line).starts_with("Vesk");
}

bool ValueIsActive(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    std::string_view value = line.substr(equals + 1);
    const std::size_t first = value.find_first_not_of(" \t\v\f\r");
    if (first == std::string_view::npos)
        return false;
    value = value.substr(first, value.find_last_not_of(" \t\v\f\r") - first + 1);
    return value == "Active";
}

/// The lines of other programs, in order, with the program's own sections and entries left out.
std::vector<std::string> ForeignLines(std::string_view text, bool demote)
{
    std::vector<std::string> lines;
    bool inOwnSection = false;
    for (std::string_view line : Lines(text)) {
        if (IsHeader(line))
            inOwnSection = IsOwnHeader(line);
        if (inOwnSection || IsOwnEntry(line))
            continue;
        std::string kept(line);
        if (demote && ValueIsActive(line))
            kept.replace(kept.find("Active", kept.find('=')), 6, "Installed");
        lines.push_back(std::move(kept));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return std::string(TrimRight(text));
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

}  // namespace

std::string CheckMergeProperties(std::string_view oldText, const int (&portKinds)[kPortCount],
                                 std::optional<std::string_view> driverDir)
{
    const std::string merged = MergeHbciText(oldText, portKinds, driverDir);
    if (!merged.starts_with("[CardReader]\n"))
        return "does not start with [CardReader]: " + Quoted(merged);
    if (merged.size() < 2 || merged.back() != '\n' ||
        kWhiteSpace.find(merged[merged.size() - 2]) != std::string_view::npos)
        return "does not end with exactly one line end: " +
               Quoted(merged.substr(merged.size() - std::min<std::size_t>(merged.size(), 40)));
    if (MergeHbciText(merged, portKinds, driverDir) != merged)
        return "a second merge changes the text: " + Quoted(merged);

    int krmPort = 0;
    int kavirex3Port = 0;
    for (int port = kPortCount; port >= 1; --port) {
        if (portKinds[port - 1] == readerKrm)
            krmPort = port;
        if (portKinds[port - 1] == readerKavirex3)
            kavirex3Port = port;
    }
    const bool addsSection = krmPort != 0 || kavirex3Port != 0;

    // The old text as the merge sees it: up to the first zero byte, trimmed, header rule.
    std::string_view old = oldText.substr(0, oldText.find('\0'));
    const std::size_t first = old.find_first_not_of(kWhiteSpace);
    old = first == std::string_view::npos ? std::string_view() : TrimRight(old.substr(first));
    if (!old.starts_with("[CardReader]\n"))
        old = {};
    const std::string expected = Joined(ForeignLines(old, addsSection));
    const std::string actual = Joined(ForeignLines(merged, false));
    const std::string header = "[CardReader]";
    const std::string expectedWithHeader = expected.empty() ? header : expected;
    if (actual != expectedWithHeader)
        return "lines of other programs changed: expected " + Quoted(expectedWithHeader) + ", got " + Quoted(actual);

    // The program's own material: key lines behind the header, sections at the end.
    std::vector<std::string> ownKeys;
    std::vector<std::string> ports;
    std::vector<std::string> drivers;
    int activeCount = 0;
    bool inOwnSection = false;
    for (std::string_view line : Lines(merged)) {
        // Read as the merge's input reads, so an indented own line left behind shows up here
        // with its indentation and does not match what the merge writes.
        if (IsHeader(line))
            inOwnSection = IsOwnHeader(line);
        if (ValueIsActive(line))
            ++activeCount;
        if (!inOwnSection && IsOwnEntry(line))
            ownKeys.emplace_back(line);
        if (inOwnSection && IsHeader(line))
            ports.emplace_back(line);
        if (inOwnSection && line.starts_with("Port="))
            ports.back() += std::string(line);
        if (inOwnSection && line.starts_with("CtDllName="))
            drivers.emplace_back(line.substr(10));
    }
    std::vector<std::string> expectedKeys;
    std::vector<std::string> expectedPorts;
    if (kavirex3Port != 0 && krmPort != 0)
        expectedKeys = {"VeskKavirex=Installed", "VeskKavirex3=Active"};
    else if (kavirex3Port != 0)
        expectedKeys = {"VeskKavirex3=Active"};
    else if (krmPort != 0)
        expectedKeys = {"VeskKavirex=Active"};
    for (int port = 1; port <= kPortCount; ++port) {
        if (port == krmPort)
            expectedPorts.push_back("[VeskKavirex]Port=" + std::to_string(port));
        if (port == kavirex3Port)
            expectedPorts.push_back("[VeskKavirex3]Port=" + std::to_string(port));
    }
    if (ownKeys != expectedKeys)
        return "wrong key lines in " + Quoted(merged);
    if (!expectedKeys.empty() && merged.compare(13, expectedKeys[0].size(), expectedKeys[0]) != 0)
        return "key lines not behind the header: " + Quoted(merged);
    if (ports != expectedPorts)
        return "wrong sections in " + Quoted(merged);
    if (drivers != std::vector<std::string>(expectedPorts.size(), DriverPath(driverDir)))
        return "wrong CtDllName in " + Quoted(merged);
    if (addsSection && activeCount != 1)
        return "not exactly one reader is Active: " + Quoted(merged);
    return {};
}

}  // namespace lesamo::test
