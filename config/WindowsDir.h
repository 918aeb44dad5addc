// Where the configuration files live: the Windows directory, as the environment names it.
#pragma once

#include <string>
#include <string_view>

namespace lesamo {

/// The path of the file `name` in the Windows directory. Windows: %windir%, a backslash and
/// `name`; an unset variable counts as empty, so the file is in the root of the current
/// drive. POSIX: $windir/name when "windir" is set, else the Windows directory of the Wine
/// prefix, ${WINEPREFIX:-$HOME/.wine}/drive_c/windows/name.
std::string WindowsFilePath(std::string_view name);

}  // namespace lesamo
