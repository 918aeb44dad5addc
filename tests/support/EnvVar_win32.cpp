// Environment variables for tests: the C runtime's copy, which getenv reads.
#include "tests/support/EnvVar.h"

#include <stdlib.h>

namespace lesamo::test {

void SetEnvVar(const char* name, const char* value)
{
    _putenv_s(name, value);
}

}  // namespace lesamo::test
