// POSIX parts of the configuration-file test support.
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {

void SetEnvironment(const std::string& name, const char* value)
{
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
}

void ResizeFile(const std::filesystem::path& path, std::uint64_t size)
{
    if (truncate(path.c_str(), static_cast<off_t>(size)) != 0)
        throw std::runtime_error("cannot resize " + path.string());
}

std::filesystem::path TestDataFile(std::string_view name)
{
    return std::filesystem::path(LESAMO_SOURCE_DIR) / "tests" / "data" / name;
}

}  // namespace lesamo::test
