// Windows parts of the configuration-file test support.
#include <windows.h>
#include <stdlib.h>

#include <stdexcept>

#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {

void SetEnvironment(const std::string& name, const char* value)
{
    // The runtime's getenv reads its own copy of the environment, which _putenv_s keeps;
    // an empty value removes the variable, as "set name=" does.
    _putenv_s(name.c_str(), value ? value : "");
}

void ResizeFile(const std::filesystem::path& path, std::uint64_t size)
{
    const HANDLE file = CreateFileA(path.string().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool done = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) &&
                      SetEndOfFile(file);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!done)
        throw std::runtime_error("cannot resize " + path.string());
}

std::filesystem::path TestDataFile(std::string_view name)
{
    // The source tree as Wine's drive Z: shows it (set by tests/windows/config.cmake).
    return std::filesystem::path(LESAMO_CONFIG_DATA_DIR) / name;
}

}  // namespace lesamo::test
