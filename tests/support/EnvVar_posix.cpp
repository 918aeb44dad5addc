// Environment variables for tests: POSIX.
#include "tests/support/EnvVar.h"

#include <stdlib.h>

namespace lesamo::test {

void SetEnvVar(const char* name, const char* value)
{
    setenv(name, value, 1);
}

}  // namespace lesamo::test
