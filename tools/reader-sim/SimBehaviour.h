// reader-sim's words: what a port is told to do ("com2=krm@40:?0") and the escapes of reply
// texts, read from the command line and from commands on standard input, and written to the log.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lesamo::sim {

enum class Kind { Kavirex3, Krm, Silent, Flood, Hangup, None };

struct Behaviour {
    Kind kind = Kind::Silent;
    int delayMs = 0;   // from the probe setting its line to the reply
    std::string text;  // the reply
};

/// "comN=BEHAVIOUR": the port and what it does.
struct Assignment {
    int port = 0;  // 0 for com1
    Behaviour behaviour;
};

/// Reply text with the escapes \r \n \xHH \\ resolved; nothing for any other escape or a
/// trailing backslash.
std::optional<std::string> Unescape(std::string_view in);

/// "kavirex3[@MS][:TEXT]", "krm[@MS][:TEXT]", "silent", "flood", "hangup" or "none"; nothing
/// for anything else.
std::optional<Behaviour> ParseBehaviour(std::string_view text);

/// "comN=BEHAVIOUR" with N 1..4; nothing for anything else.
std::optional<Assignment> ParseAssignment(std::string_view text);

/// The behaviour's name as it is written on the command line.
const char* KindName(Kind kind);

/// `bytes` for a log line: CR, LF and the backslash as their escapes, other control and
/// non-ASCII bytes as \xHH.
std::string Printable(const std::string& bytes);

}  // namespace lesamo::sim
