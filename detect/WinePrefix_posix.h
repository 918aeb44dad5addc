// Where Wine keeps what Windows programs see, found by one rule for the serial ports and the
// configuration files alike (POSIX only).
#pragma once

#include <string>

namespace lesamo {

/// The Wine prefix as Wine finds it: $WINEPREFIX when set and not empty, else .wine in the
/// home directory ($HOME when set and not empty, else the user's entry in the passwd
/// database). Empty when there is no home directory either.
std::string WinePrefix();

/// The device of the port "comN" (N 1..4): <prefix>/dosdevices/comN when that entry exists,
/// even as a dangling link (which then fails to open, as under Wine); /dev/ttyS(N-1) only
/// when the entry is truly absent (ENOENT), as Wine hands those devices out. Empty, so no
/// port, for any other name and when the entry cannot be examined (no permission, a name
/// too long, a prefix that is no directory, a symbolic link on the way that is not safe to
/// follow: see FindSafePlace). The path is opened through the same safe chase.
std::string PortDevicePath(const std::string& name);

}  // namespace lesamo
