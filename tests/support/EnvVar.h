// Setting environment variables from tests, on both platforms.
#pragma once

namespace lesamo::test {

/// Sets `name` to `value` for this process and the processes it starts.
void SetEnvVar(const char* name, const char* value);

}  // namespace lesamo::test
