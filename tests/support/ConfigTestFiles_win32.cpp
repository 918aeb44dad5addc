// Windows parts of the configuration-file test support.
#include <stdlib.h>

#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {

void SetEnvironment(const std::string& name, const char* value)
{
    // The runtime's getenv reads its own copy of the environment, which _putenv_s keeps;
    // an empty value removes the variable, as "set name=" does.
    _putenv_s(name.c_str(), value ? value : "");
}

std::filesystem::path TestDataFile(std::string_view name)
{
    // The source tree as Wine's drive Z: shows it (set by tests/windows/config.cmake).
    return std::filesystem::path(LESAMO_CONFIG_DATA_DIR) / name;
}

}  // namespace lesamo::test
