// Which port names a probe may open: the same four on both back ends.
#pragma once

#include <string_view>

namespace lesamo {

/// True for exactly "com1" to "com4", the names the scan builds; nothing else reaches the
/// system. Windows would also open "COM1", "com1:", "\\.\com1" or "aux" as a serial port and a
/// higher number may be a modem; on Linux the name becomes part of a path in the Wine prefix.
inline bool IsScannedPortName(std::string_view name)
{
    return name.size() == 4 && name.substr(0, 3) == "com" && name[3] >= '1' && name[3] <= '4';
}

}  // namespace lesamo
