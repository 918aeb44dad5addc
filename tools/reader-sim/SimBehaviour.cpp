// reader-sim's words: port assignments, behaviours and the escapes of reply texts.
#include "tools/reader-sim/SimBehaviour.h"

#include <cstdio>

namespace lesamo::sim {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> Unescape(std::string_view in)
{
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size())
            return std::nullopt;
        switch (in[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const int high = i + 1 < in.size() ? HexDigit(in[i + 1]) : -1;
            const int low = i + 2 < in.size() ? HexDigit(in[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<Behaviour> ParseBehaviour(std::string_view text)
{
    const std::size_t nameEnd = text.find_first_of("@:");
    const std::string_view name = text.substr(0, nameEnd);
    Behaviour b;
    if (name == "kavirex3") {
        b = {Kind::Kavirex3, 500, "Kavirex3 V1.0\r\n"};
    } else if (name == "krm") {
        b = {Kind::Krm, 40, "?0"};
    } else if (name == "silent" || name == "flood" || name == "hangup" || name == "none") {
        if (nameEnd != std::string_view::npos)
            return std::nullopt;  // these take neither a delay nor a text
        b.kind = name == "silent"   ? Kind::Silent
                 : name == "flood"  ? Kind::Flood
                 : name == "hangup" ? Kind::Hangup
                                    : Kind::None;
        return b;
    } else {
        return std::nullopt;
    }
    std::string_view rest = nameEnd == std::string_view::npos ? "" : text.substr(nameEnd);
    if (!rest.empty() && rest[0] == '@') {
        std::size_t i = 1;
        int ms = 0;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && ms < 1000000)
            ms = ms * 10 + (rest[i++] - '0');
        if (i == 1 || (i < rest.size() && rest[i] != ':'))
            return std::nullopt;
        b.delayMs = ms;
        rest.remove_prefix(i);
    }
    if (!rest.empty()) {
        std::optional<std::string> reply = Unescape(rest.substr(1));
        if (!reply)
            return std::nullopt;
        b.text = *reply;
    }
    return b;
}

std::optional<Assignment> ParseAssignment(std::string_view text)
{
    if (text.size() < 6 || text.substr(0, 3) != "com" || text[3] < '1' || text[3] > '4' || text[4] != '=')
        return std::nullopt;
    std::optional<Behaviour> b = ParseBehaviour(text.substr(5));
    if (!b)
        return std::nullopt;
    return Assignment{text[3] - '1', *b};
}

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::Kavirex3: return "kavirex3";
    case Kind::Krm: return "krm";
    case Kind::Silent: return "silent";
    case Kind::Flood: return "flood";
    case Kind::Hangup: return "hangup";
    case Kind::None: return "none";
    }
    return "?";
}

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace lesamo::sim
