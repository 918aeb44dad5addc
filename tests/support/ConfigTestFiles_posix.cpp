// POSIX parts of the configuration-file test support.
#include <cstdlib>

#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {

void SetEnvironment(const std::string& name, const char* value)
{
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
}

std::filesystem::path TestDataFile(std::string_view name)
{
    return std::filesystem::path(LESAMO_SOURCE_DIR) / "tests" / "data" / name;
}

}  // namespace lesamo::test
